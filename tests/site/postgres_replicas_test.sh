# Several lookup services over one real PostgreSQL server: the schema made once when they start
# together, an import through the command line seen by all of them at once and whole, the
# server stopped under them and started again, a database that belongs to something else left
# untouched, and a password on the command line refused.
# Usage: postgres_replicas_test.sh LOOKUPD OUTDIR
lookupd="$1"
out="$2"
source "$(dirname "${BASH_SOURCE[0]}")/site_lib.sh"

site_start_postgres "$out"
uri="$SITE_POSTGRES_URI"

echo "== six services starting together on an empty database"
ports=()
for replica in 1 2 3 4 5 6; do
    "$lookupd" --port 0 --database "$uri" 2>"$out/replica$replica.log" &
    SITE_PIDS+=("$!")
done
for replica in 1 2 3 4 5 6; do
    for _ in $(seq 100); do
        port="$(sed -nE 's|.*正在监听 http://[^ ]*:([0-9]+)/.*|\1|p' "$out/replica$replica.log")"
        [[ -n "$port" ]] && break
        sleep 0.1
    done
    [[ -n "$port" ]] || { cat "$out/replica$replica.log" >&2; site_fail "replica $replica did not start"; }
    ports+=("$port")
done
[[ "$(site_psql postgres -c 'SELECT count(*) FROM quelmarn_schema')" == 1 ]] ||
    site_fail "the schema was set up more than once"
[[ "$(site_psql postgres -c 'SELECT count(*) FROM devices')" == 0 ]] ||
    site_fail "a site's database was given sample devices"
site_expect_lookup "${ports[0]}" SITE00001 404 SITE00001

echo "== an import through the command line, seen by every service"
{
    echo "serial,model,model_identifier,manufactured_on,warranty_ends_on,notes"
    for n in $(seq -w 1 500); do
        echo "SITE00$n,笔记本电脑 14 英寸,\"Notebook14,2\",2024-03-0$((10#$n % 9 + 1)),2027-03-01,第 $n 台"
    done
} >"$out/devices.csv"
"$lookupd" import "$out/devices.csv" --database "$uri" >"$out/import.out"
grep -q "已导入 500 台设备" "$out/import.out" || site_fail "import: $(cat "$out/import.out")"
for port in "${ports[@]}"; do
    site_expect_lookup "$port" SITE00001 200 "Notebook14,2"
    site_expect_lookup "$port" SITE00500 200 "第 500 台"
done

echo "== a faulty file imports nothing, on any service"
printf 'serial,model,model_identifier,manufactured_on,warranty_ends_on,notes\nNEW0001,a,b,2024-01-01,2025-01-01,\nNEW0002,a,b,2024-13-01,2025-01-01,\n' \
    >"$out/faulty.csv"
if "$lookupd" import "$out/faulty.csv" --database "$uri" >"$out/faulty.out" 2>&1; then
    site_fail "a faulty file was imported"
fi
site_expect_lookup "${ports[1]}" NEW0001 404 NEW0001

echo "== export and delete against the server"
"$lookupd" delete SITE00002 --database "$uri" >/dev/null
site_expect_lookup "${ports[2]}" SITE00002 404 SITE00002
"$lookupd" export - --database "$uri" 2>/dev/null >"$out/export.csv"
[[ "$(wc -l <"$out/export.csv")" == 500 ]] || site_fail "export: $(wc -l <"$out/export.csv") lines"
head -2 "$out/export.csv" | tail -1 | grep -q '^SITE00001,' || site_fail "export not in serial order"

echo "== the server stopped under the services: 503, no crash"
site_postgres_ctl stop -m fast >/dev/null
for port in "${ports[@]}"; do
    site_expect_lookup "$port" SITE00001 503 "无法连接设备数据库"
done
for pid in "${SITE_PIDS[@]}"; do kill -0 "$pid" || site_fail "a service ended with the database"; done
health="$(curl -s -o /dev/null -w '%{http_code}' "http://127.0.0.1:${ports[0]}/healthz")"
[[ "$health" == 503 ]] || site_fail "health while the database is down: $health"

echo "== the server started again: answers again, nothing lost"
site_postgres_ctl start >/dev/null
for port in "${ports[@]}"; do
    for _ in $(seq 50); do
        [[ "$(site_lookup_status "$port" SITE00001)" == 200 ]] && break
        sleep 0.1
    done
    site_expect_lookup "$port" SITE00500 200 "第 500 台"
done
health="$(curl -s -o /dev/null -w '%{http_code}' "http://127.0.0.1:${ports[0]}/healthz")"
[[ "$health" == 200 ]] || site_fail "health after the database came back: $health"

echo "== a database that belongs to something else is refused and left as it was"
site_psql postgres -c 'CREATE DATABASE billing'
site_psql billing -c 'CREATE TABLE invoices (id integer); INSERT INTO invoices VALUES (7);'
billing="postgresql://quelmarn@/billing?host=$SITE_POSTGRES_SOCKETS&port=5432"
if "$lookupd" --port 0 --database "$billing" 2>"$out/foreign.log"; then
    site_fail "a foreign database was served"
fi
grep -q "不属于本服务" "$out/foreign.log" || site_fail "foreign: $(cat "$out/foreign.log")"
if "$lookupd" import "$out/devices.csv" --database "$billing" 2>"$out/foreign-import.log"; then
    site_fail "a foreign database was imported into"
fi
[[ "$(site_psql billing -c "SELECT string_agg(table_name, ',') FROM information_schema.tables WHERE table_schema = 'public'")" == invoices ]] ||
    site_fail "the foreign database was changed"
[[ "$(site_psql billing -c 'SELECT id FROM invoices')" == 7 ]] || site_fail "the invoices changed"

echo "== a password on the command line is refused"
if "$lookupd" export - --database "postgresql://quelmarn:secret@/postgres?host=$SITE_POSTGRES_SOCKETS" \
    >/dev/null 2>"$out/password.log"; then
    site_fail "a password in the address was taken"
fi
grep -q "PGPASSFILE" "$out/password.log" || site_fail "password: $(cat "$out/password.log")"
echo "PASS"
