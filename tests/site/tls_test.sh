# The service over HTTPS with a certificate from a scratch certificate authority: a client that
# trusts the authority is answered, one that does not is refused, TLS 1.1 is refused, and
# SIGHUP takes up a renewed certificate without dropping a connection under way.
# Usage: tls_test.sh LOOKUPD OUTDIR
lookupd="$1"
out="$2"
source "$(dirname "${BASH_SOURCE[0]}")/site_lib.sh"
site_scratch "$out"
site_make_ca "$out"
site_issue_certificate "$out" first
cp "$out/first.pem" "$out/service.pem"
cp "$out/first.key" "$out/service.key"
site_start_lookupd "$lookupd" "$out/service.log" --database "$out/devices.sqlite3" \
    --tls-certificate "$out/service.pem" --tls-key "$out/service.key"
grep -q "正在监听 https://127.0.0.1:$SITE_PORT/" "$out/service.log" || site_fail "not listening on https"
url="https://127.0.0.1:$SITE_PORT"

echo "== a client that trusts the authority is answered"
page="$(curl -sS --cacert "$out/ca.pem" --data-binary sn=QX2K93HT7LMP "$url/inapp.php")"
[[ "$page" == *QX2K93HT7LMP* ]] || site_fail "no device page over https"

echo "== a client that does not is refused"
status=0
curl -sS -o /dev/null --data-binary sn=QX2K93HT7LMP "$url/inapp.php" 2>"$out/untrusted.err" || status=$?
[[ "$status" == 60 ]] || site_fail "an untrusted certificate gave curl status $status, not 60"

echo "== plain HTTP on the TLS port is not answered with a page"
plain="$(curl -s --max-time 5 --data-binary sn=QX2K93HT7LMP "http://127.0.0.1:$SITE_PORT/inapp.php" || true)"
[[ "$plain" != *QX2K93HT7LMP* ]] || site_fail "a serial number was answered in clear"

# The protocol and certificate serial a handshake with TLS version option $1 ends with; the
# client offers everything it can (security level 0), so that refusing is the service's doing.
handshake() {
    echo | openssl s_client -connect "127.0.0.1:$SITE_PORT" "$1" -cipher 'DEFAULT:@SECLEVEL=0' \
        -CAfile "$out/ca.pem" 2>/dev/null | sed -nE 's/^New, [^,]*, Cipher is (.*)/\1/p'
}
echo "== TLS 1.1 is refused, 1.2 and 1.3 are taken"
[[ "$(handshake -tls1_1)" == "(NONE)" ]] || site_fail "TLS 1.1 was accepted: $(handshake -tls1_1)"
[[ "$(handshake -tls1_2)" != "(NONE)" && -n "$(handshake -tls1_2)" ]] || site_fail "TLS 1.2 refused"
[[ "$(handshake -tls1_3)" != "(NONE)" && -n "$(handshake -tls1_3)" ]] || site_fail "TLS 1.3 refused"

served_serial() {
    echo | openssl s_client -connect "127.0.0.1:$SITE_PORT" -CAfile "$out/ca.pem" 2>/dev/null |
        openssl x509 -noout -serial
}
first="$(openssl x509 -noout -serial -in "$out/first.pem")"
[[ "$(served_serial)" == "$first" ]] || site_fail "the first certificate is not the one served"

echo "== SIGHUP takes up a renewed certificate; a connection under way stays"
# A connection made before the renewal sends its request after it.
{
    sleep 2
    printf 'GET /healthz HTTP/1.1\r\nHost: 127.0.0.1:%s\r\nConnection: close\r\n\r\n' "$SITE_PORT"
    sleep 2
} | openssl s_client -quiet -connect "127.0.0.1:$SITE_PORT" -CAfile "$out/ca.pem" \
    >"$out/held.out" 2>/dev/null &
held=$!
sleep 1
site_issue_certificate "$out" second
cp "$out/second.pem" "$out/service.pem"
cp "$out/second.key" "$out/service.key"
kill -HUP "$SITE_PID"
for _ in $(seq 50); do
    grep -q "已重新读取证书和私钥" "$out/service.log" && break
    sleep 0.1
done
second="$(openssl x509 -noout -serial -in "$out/second.pem")"
[[ "$(served_serial)" == "$second" ]] || site_fail "the renewed certificate is not served"
wait "$held" || true
grep -q "HTTP/1.1 200" "$out/held.out" || site_fail "the connection under way was dropped: $(cat "$out/held.out")"

echo "== a renewal that cannot be used leaves the certificate in use"
echo "not a certificate" >"$out/service.pem"
kill -HUP "$SITE_PID"
for _ in $(seq 50); do
    grep -q "证书没有更新" "$out/service.log" && break
    sleep 0.1
done
grep -q "证书没有更新" "$out/service.log" || site_fail "a broken renewal was not reported"
[[ "$(served_serial)" == "$second" ]] || site_fail "a broken renewal replaced the certificate"
kill -0 "$SITE_PID" || site_fail "the service ended"
echo "PASS"
