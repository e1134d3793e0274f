# Two lookup services over one PostgreSQL database behind nginx, run with the repository's
# load-balancer configuration: a client that trusts the site's authority is answered through
# it by either service, and one service ending takes nothing down.
# Usage: load_balancer_test.sh LOOKUPD REPOSITORY OUTDIR
lookupd="$1"
repository="$2"
out="$3"
source "$(dirname "${BASH_SOURCE[0]}")/site_lib.sh"

site_start_postgres "$out/postgres"
site_make_ca "$out"
for name in first second lb; do site_issue_certificate "$out" "$name"; done
printf '%s\n' "serial,model,model_identifier,manufactured_on,warranty_ends_on,notes" \
    'LB0001,台式电脑,"Desktop9,1",2023-05-02,2026-05-01,前台' >"$out/devices.csv"
"$lookupd" import "$out/devices.csv" --database "$SITE_POSTGRES_URI" >/dev/null

ports=()
pids=()
for name in first second; do
    site_start_lookupd "$lookupd" "$out/$name.log" --database "$SITE_POSTGRES_URI" \
        --server-name lookup.example.org \
        --tls-certificate "$out/$name.pem" --tls-key "$out/$name.key"
    ports+=("$SITE_PORT")
    pids+=("$SITE_PID")
done
lb="$(site_free_port)"
site_start_load_balancer "$repository" "$out" "${ports[0]}" "${ports[1]}" "$lb"

# POSTs sn=$1 through the load balancer, as the application built for the site does.
through_lb() {
    curl -sS --cacert "$out/ca.pem" --resolve "lookup.example.org:$lb:127.0.0.1" \
        -w '\n%{http_code}' --data-binary "sn=$1" "https://lookup.example.org:$lb/inapp.php"
}

echo "== lookups through the load balancer reach both services"
for _ in $(seq 10); do
    page="$(through_lb LB0001)"
    [[ "${page##*$'\n'}" == 200 && "$page" == *"Desktop9,1"* ]] || site_fail "through nginx: $page"
done
for name in first second; do
    grep -q "POST /inapp.php 200" "$out/$name.log" || site_fail "the $name service got no lookup"
done

echo "== one service ending takes nothing down"
{ kill -9 "${pids[0]}" && wait "${pids[0]}"; } 2>/dev/null || true
for _ in $(seq 10); do
    page="$(through_lb LB0001)"
    [[ "${page##*$'\n'}" == 200 ]] || site_fail "with one service gone: ${page##*$'\n'}"
done
page="$(through_lb NOSUCH1)"
[[ "${page##*$'\n'}" == 404 ]] || site_fail "a missing serial: ${page##*$'\n'}"

echo "== the figures are not handed out through the load balancer"
status="$(curl -s -o /dev/null -w '%{http_code}' --cacert "$out/ca.pem" \
    --resolve "lookup.example.org:$lb:127.0.0.1" "https://lookup.example.org:$lb/metrics")"
[[ "$status" == 404 ]] || site_fail "/metrics through nginx: $status"
echo "PASS"
