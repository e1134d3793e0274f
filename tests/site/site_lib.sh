# Shared steps of the site tests: a scratch PostgreSQL server, lookup services, a scratch
# certificate authority, and cleaning up whatever was started. Source it; it sets -euo.
set -euo pipefail

SITE_PIDS=()
SITE_POSTGRES_DATA=""
site_cleanup() {
    for pid in "${SITE_PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
    if [[ -n "$SITE_POSTGRES_DATA" ]]; then site_postgres_ctl stop -m immediate >/dev/null 2>&1 || true; fi
    wait 2>/dev/null || true
}
trap site_cleanup EXIT

site_fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# A scratch folder $1 that the unprivileged user running PostgreSQL can reach.
site_scratch() {
    rm -rf "$1"
    mkdir -p "$1"
    chmod 0755 "$1"
}

PG_BIN=/usr/lib/postgresql/15/bin

# pg_ctl on the scratch server, as the unprivileged user: PostgreSQL refuses to run as root.
site_postgres_ctl() {
    local action="$1"
    shift
    runuser -u nobody -- "$PG_BIN/pg_ctl" -D "$SITE_POSTGRES_DATA" \
        -o "-k $SITE_POSTGRES_SOCKETS -c listen_addresses='' -p 5432" \
        -l "$SITE_POSTGRES_SOCKETS/server.log" -w "$action" "$@"
}

# Makes and starts a PostgreSQL server under folder $1, reached on a Unix socket in it only;
# sets SITE_POSTGRES_URI (database "postgres", user "quelmarn", no password).
site_start_postgres() {
    local root="$1"
    site_scratch "$root"
    SITE_POSTGRES_DATA="$root/data"
    SITE_POSTGRES_SOCKETS="$root/sockets"
    mkdir -p "$SITE_POSTGRES_DATA" "$SITE_POSTGRES_SOCKETS"
    chown nobody "$SITE_POSTGRES_DATA" "$SITE_POSTGRES_SOCKETS"
    runuser -u nobody -- "$PG_BIN/initdb" -D "$SITE_POSTGRES_DATA" -A trust -U quelmarn \
        -E UTF8 --locale=C.UTF-8 >"$root/initdb.log"
    site_postgres_ctl start >/dev/null
    SITE_POSTGRES_URI="postgresql://quelmarn@/postgres?host=$SITE_POSTGRES_SOCKETS&port=5432"
}

# psql on the scratch server's database $1 (with the rest of the arguments), unaligned.
site_psql() {
    local database="$1"
    shift
    psql -X -q -A -t -v ON_ERROR_STOP=1 \
        "postgresql://quelmarn@/$database?host=$SITE_POSTGRES_SOCKETS&port=5432" "$@"
}

# Starts the service $1 with its log in file $2 and the further arguments; waits until it
# listens and sets SITE_PORT and SITE_PID.
site_start_lookupd() {
    local lookupd="$1" log="$2"
    shift 2
    "$lookupd" --port 0 "$@" 2>"$log" &
    SITE_PID=$!
    SITE_PIDS+=("$SITE_PID")
    for _ in $(seq 100); do
        SITE_PORT="$(sed -nE 's|.*正在监听 https?://[^ ]*:([0-9]+)/.*|\1|p' "$log" | head -1)"
        [[ -n "$SITE_PORT" ]] && return 0
        kill -0 "$SITE_PID" 2>/dev/null || break
        sleep 0.1
    done
    cat "$log" >&2
    site_fail "$lookupd did not start listening"
}

# The status a lookup of $2 on port $1 answers with.
site_lookup_status() {
    curl -s -o /dev/null -w '%{http_code}' --data-binary "sn=$2" "http://127.0.0.1:$1/inapp.php"
}

# Fails unless a lookup of $2 on port $1 answers status $3 with a page that holds the text $4.
site_expect_lookup() {
    local page
    page="$(curl -s -w '\n%{http_code}' --data-binary "sn=$2" "http://127.0.0.1:$1/inapp.php")"
    [[ "${page##*$'\n'}" == "$3" ]] || site_fail "sn=$2 on port $1: status ${page##*$'\n'}, not $3"
    [[ "$page" == *"$4"* ]] || site_fail "sn=$2 on port $1: no '$4' on the page"
}

# A scratch certificate authority in folder $1 (ca.pem, ca.key); site_issue_certificate then
# issues $1/$2.pem and $1/$2.key for a service reached as 127.0.0.1, localhost or
# lookup.example.org.
site_make_ca() {
    local dir="$1"
    mkdir -p "$dir"
    openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -days 2 \
        -subj "/CN=quelmarn test CA" -keyout "$dir/ca.key" -out "$dir/ca.pem" 2>/dev/null
}
site_issue_certificate() {
    local dir="$1" name="$2"
    openssl req -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -subj "/CN=localhost" \
        -keyout "$dir/$name.key" -out "$dir/$name.csr" 2>/dev/null
    openssl x509 -req -in "$dir/$name.csr" -CA "$dir/ca.pem" -CAkey "$dir/ca.key" \
        -CAcreateserial -days 2 -out "$dir/$name.pem" 2>/dev/null \
        -extfile <(echo "subjectAltName=DNS:localhost,DNS:lookup.example.org,IP:127.0.0.1")
}

# A TCP port on 127.0.0.1 that nothing listens on just now.
site_free_port() {
    python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}

# Starts nginx with the repository's load-balancer configuration in front of the services on
# 127.0.0.1 ports $3 and $4, its own scratch files in folder $2, listening on 127.0.0.1 port
# $5 with the certificate $2/lb.pem and trusting the authority $2/ca.pem; $1 is the repository.
site_start_load_balancer() {
    local root="$1" dir="$2" first="$3" second="$4" port="$5"
    mkdir -p "$dir/nginx-temp"
    sed -e "s|10.0.0.11:47180|127.0.0.1:$first|; s|10.0.0.12:47180|127.0.0.1:$second|" \
        -e "s|listen 443 ssl;|listen 127.0.0.1:$port ssl;|; /listen \\[::\\]:443/d" \
        -e "s|/etc/nginx/quelmarn/lookup.example.org|$dir/lb|; s|/etc/nginx/quelmarn/site-ca.pem|$dir/ca.pem|" \
        "$root/packaging/site/nginx-quelmarn-lookup.conf" >"$dir/quelmarn-lookup.conf"
    cat >"$dir/nginx.conf" <<CONF
daemon off;
user root;
worker_processes 2;
pid $dir/nginx.pid;
error_log $dir/nginx-error.log;
events { worker_connections 4096; }
http {
    access_log off;
    client_body_temp_path $dir/nginx-temp/body;
    proxy_temp_path $dir/nginx-temp/proxy;
    fastcgi_temp_path $dir/nginx-temp/fastcgi;
    uwsgi_temp_path $dir/nginx-temp/uwsgi;
    scgi_temp_path $dir/nginx-temp/scgi;
    include $dir/quelmarn-lookup.conf;
}
CONF
    nginx -t -q -c "$dir/nginx.conf" -e "$dir/nginx-error.log" || site_fail "nginx refused the configuration"
    nginx -c "$dir/nginx.conf" -e "$dir/nginx-error.log" &
    SITE_PIDS+=("$!")
    for _ in $(seq 50); do
        [[ "$(curl -s -o /dev/null -w '%{http_code}' "http://127.0.0.1:$port/")" != 000 ]] && return 0
        sleep 0.1
    done
    site_fail "nginx did not start: $(cat "$dir/nginx-error.log")"
}
