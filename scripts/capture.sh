#!/bin/sh
# Builds the command-line program and its data (nothing else) and runs the
# main job: a capture.
#
#   scripts/capture.sh                 serves the program's own help pages with a
#                                      loopback web server and captures them
#   scripts/capture.sh URL [ARGS...]   captures URL (and passes ARGS to velbrin-cli)
#
# The Webs go to the working directory of velbrin-cli ($HOME/Webs/ unless
# --workpath DIR says otherwise or an earlier run chose another one).
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/bootstrap.sh" velbrin-cli velbrin-data
cli="$root/build/bin/velbrin-cli"

if [ $# -gt 0 ]; then
    exec "$cli" "$@"
fi

echo "Serving the help pages on a loopback port and capturing them..."
exec "$root/tests/support/with-site.sh" "$root/data" sh -c '"$0" "${SITE_URL}help/"' "$cli"
