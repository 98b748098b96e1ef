#!/bin/sh
# with-site.sh [--https] DOCROOT COMMAND [ARG...]
#
# Serves DOCROOT with nginx on a free loopback port, runs COMMAND with
# SITE_PORT and SITE_URL (http://127.0.0.1:PORT/) in its environment, then
# stops the server. With --https the same directory is also served over TLS
# on a second free port, with a certificate for 127.0.0.1 and localhost from a
# throw-away authority (make-test-ca.sh); COMMAND then also gets
# SITE_HTTPS_PORT, SITE_HTTPS_URL (https://127.0.0.1:PORT/) and SITE_CA_FILE
# (that authority's certificate, PEM), and the http server answers every
# address under /to-https/ with a permanent redirect to the same address on
# the https server. Whatever lies under /slow/ is sent at 1 KB a second,
# for tests that stop a capture under way. Where the machine allows it, everything runs inside a
# private network namespace that has only the loopback interface, so nothing
# can reach beyond 127.0.0.1. Exits with COMMAND's status.
set -eu

if [ "${VELBRIN_IN_NETNS:-}" != 1 ] && [ "${VELBRIN_NO_NETNS:-}" != 1 ]; then
    if unshare -n true 2>/dev/null; then
        exec unshare -n env VELBRIN_IN_NETNS=1 sh -c 'ip link set lo up && exec "$0" "$@"' "$0" "$@"
    elif unshare -rn true 2>/dev/null; then
        exec unshare -rn env VELBRIN_IN_NETNS=1 sh -c 'ip link set lo up && exec "$0" "$@"' "$0" "$@"
    fi
    echo "with-site: no private network namespace here; serving on the shared loopback" >&2
fi

https=0
if [ "${1:-}" = --https ]; then
    https=1
    shift
fi
docroot=$(cd "$1" && pwd)
shift
here=$(cd "$(dirname "$0")" && pwd)

nginx=$(command -v nginx || echo /usr/sbin/nginx)
if [ ! -x "$nginx" ]; then
    echo "with-site: nginx is not installed" >&2
    exit 77
fi

work=$(mktemp -d)
cleanup() {
    if [ -f "$work/nginx.pid" ]; then
        kill "$(cat "$work/nginx.pid")" 2>/dev/null || true
        sleep 0.2
    fi
    rm -rf "$work"
}
trap cleanup EXIT INT TERM

mkdir -p "$work/logs" "$work/tmp"
tls_server=
if [ $https = 1 ]; then
    sh "$here/make-test-ca.sh" "$work/tls"
fi
random_port() {
    echo $(( 20000 + ( $(od -An -N2 -tu2 /dev/urandom | tr -d ' ') % 30000 ) ))
}
# nginx binds its port before it returns: try ports until one is free.
attempt=0
while :; do
    attempt=$((attempt + 1))
    port=$(random_port)
    to_https=
    if [ $https = 1 ]; then
        https_port=$(random_port)
        [ "$https_port" != "$port" ] || continue
        to_https="
        location /to-https/ {
            return 301 https://127.0.0.1:$https_port\$request_uri;
        }"
        tls_server="
    server {
        listen 127.0.0.1:$https_port ssl;
        server_name localhost;
        ssl_certificate $work/tls/server.pem;
        ssl_certificate_key $work/tls/server.key;
        root $docroot;
        index index.html index.htm;
    }"
    fi
    cat >"$work/nginx.conf" <<CONF
worker_processes 1;
pid $work/nginx.pid;
error_log $work/logs/error.log warn;
daemon on;
events { worker_connections 256; }
http {
    include /etc/nginx/mime.types;
    default_type application/octet-stream;
    access_log $work/logs/access.log;
    client_body_temp_path $work/tmp;
    proxy_temp_path $work/tmp;
    fastcgi_temp_path $work/tmp;
    uwsgi_temp_path $work/tmp;
    scgi_temp_path $work/tmp;
    sendfile on;
    server {
        listen 127.0.0.1:$port;
        server_name localhost;
        root $docroot;
        index index.html index.htm;$to_https
        location /slow/ {
            limit_rate 1k;
        }
    }$tls_server
}
CONF
    if "$nginx" -p "$work" -c "$work/nginx.conf" -e "$work/logs/error.log" 2>"$work/logs/start.log"; then
        break
    fi
    if [ $attempt -ge 20 ] || ! grep -q "in use" "$work/logs/start.log"; then
        cat "$work/logs/start.log" >&2
        exit 1
    fi
done

SITE_PORT=$port
SITE_URL="http://127.0.0.1:$port/"
export SITE_PORT SITE_URL
if [ $https = 1 ]; then
    SITE_HTTPS_PORT=$https_port
    SITE_HTTPS_URL="https://127.0.0.1:$https_port/"
    SITE_CA_FILE=$work/tls/ca.pem
    export SITE_HTTPS_PORT SITE_HTTPS_URL SITE_CA_FILE
fi
status=0
"$@" || status=$?
exit $status
