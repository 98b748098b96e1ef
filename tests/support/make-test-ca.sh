#!/bin/sh
# make-test-ca.sh DIR
#
# For tests only: makes in DIR a throw-away certificate authority (ca.pem,
# ca.key) and a server certificate signed by it (server.pem, server.key) for
# 127.0.0.1 and localhost, valid for two days. Nothing made here may ever be
# trusted outside a test.
set -eu

if [ $# -ne 1 ]; then
    echo "usage: make-test-ca.sh DIR" >&2
    exit 2
fi
dir=$1
if ! command -v openssl >/dev/null 2>&1; then
    echo "make-test-ca: openssl is not installed" >&2
    exit 77
fi
mkdir -p "$dir"
cd "$dir"
umask 077

openssl req -x509 -new -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes \
    -keyout ca.key -out ca.pem -days 2 -subj "/CN=Velbrin test authority (test only)" \
    -addext "basicConstraints=critical,CA:TRUE" \
    -addext "keyUsage=critical,keyCertSign,cRLSign" 2>/dev/null

openssl req -new -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes \
    -keyout server.key -out server.csr -subj "/CN=localhost" 2>/dev/null

cat >server.ext <<EXT
basicConstraints=CA:FALSE
keyUsage=critical,digitalSignature,keyEncipherment
extendedKeyUsage=serverAuth
subjectAltName=IP:127.0.0.1,DNS:localhost
EXT
openssl x509 -req -in server.csr -CA ca.pem -CAkey ca.key -CAcreateserial \
    -out server.pem -days 2 -extfile server.ext 2>/dev/null
rm -f server.csr server.ext ca.srl
chmod 644 ca.pem server.pem
