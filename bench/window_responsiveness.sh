#!/bin/sh
# window_responsiveness.sh BUILD_DIR [DOCROOT [PATH]]
#
# Serves DOCROOT (by default the Python 3.11 documentation of python3.11-doc)
# with nginx on the loopback (tests/support/with-site.sh) and runs
# BUILD_DIR/bench/window_responsiveness on it with 5 sockets: the longest gap
# between two 10 ms timer events of the desktop window during the capture and
# during its closing steps. Nothing is sent beyond 127.0.0.1.
set -eu
build=$(cd "${1:?usage: window_responsiveness.sh BUILD_DIR [DOCROOT [PATH]]}" && pwd)
docroot=${2:-/usr/share/doc/python3.11/html}
path=${3:-}
here=$(cd "$(dirname "$0")" && pwd)
[ -d "$docroot" ] || { echo "no $docroot (apt-get install python3.11-doc)" >&2; exit 77; }
"$here/../tests/support/with-site.sh" "$docroot" sh -c \
    'exec "$0" "${SITE_URL}$1" 5' "$build/bench/window_responsiveness" "$path"
