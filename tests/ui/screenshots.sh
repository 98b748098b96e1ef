#!/bin/sh
# screenshots.sh BUILD_DIR OUT_DIR
#
# Pictures of the desktop program as a user sees it, in OUT_DIR: the start
# screen, each of the six tabs with a Web captured from the fixture site (the
# Multimedia tab showing one of its pictures), the image map editor over the
# site's server-side map picture, the New Web dialog, the four pages of the
# setup dialog and the first-run dialog. The program runs on a virtual X display (xvfb-run) in a
# home of its own, and takes the pictures itself (VELBRIN_SCREENSHOTS); the
# Web is captured with velbrin-cli from tests/fixtures/site served by nginx on
# the loopback (tests/support/with-site.sh).
set -eu
build=$(cd "${1:?usage: screenshots.sh BUILD_DIR OUT_DIR}" && pwd)
mkdir -p "${2:?usage: screenshots.sh BUILD_DIR OUT_DIR}"
out=$(cd "$2" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export HOME="$scratch/home" XDG_CONFIG_HOME="$scratch/config" XDG_RUNTIME_DIR="$scratch/runtime"
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
work="$HOME/Webs"

shoot() {
    # The picture of the start screen, or of the Web named by the arguments.
    VELBRIN_SCREENSHOTS="$1" xvfb-run -a -s '-screen 0 1024x768x24' \
        "$build/bin/velbrin" --workpath "$work" "$@" 2>>"$scratch/velbrin.log" || {
        cat "$scratch/velbrin.log" >&2
        exit 1
    }
}

# The start screen (and the New Web dialog over it).
VELBRIN_SCREENSHOTS="$out" xvfb-run -a -s '-screen 0 1024x768x24' \
    "$build/bin/velbrin" --workpath "$work"
mv "$out/new-web.png" "$out/new-web-start.png"
for page in setup-1-communication setup-2-directories setup-3-browser setup-4-html-pages first-run; do
    [ -s "$out/$page.png" ] || { echo "screenshots: no $page.png" >&2; exit 1; }
done

# A Web of the fixture site, captured, then shown tab by tab.
"$root/tests/support/with-site.sh" "$root/tests/fixtures/site" sh -c \
    '"$0" --workpath "$1" "${SITE_URL}some/dir/" >"$2/cli.log" 2>&1' "$build/bin/velbrin-cli" "$work" "$scratch"
project=$(find "$work" -name LOCAL.WEB | head -n 1)
[ -n "$project" ] || { echo "screenshots: no Web was captured" >&2; cat "$scratch/cli.log" >&2; exit 1; }
VELBRIN_SCREENSHOTS="$out" xvfb-run -a -s '-screen 0 1024x768x24' \
    "$build/bin/velbrin" --workpath "$work" "$project"

# The image map editor: a Web of the fixture's page with a server-side map,
# shown in a window of its own; only the editor's picture is kept from it.
"$root/tests/support/with-site.sh" "$root/tests/fixtures/site" sh -c \
    '"$0" --workpath "$1" "${SITE_URL}some/dir/map.html" >"$2/cli-map.log" 2>&1' "$build/bin/velbrin-cli" \
    "$work/maps" "$scratch"
project=$(find "$work/maps" -name LOCAL.WEB | head -n 1)
[ -n "$project" ] || { echo "screenshots: the map page was not captured" >&2; cat "$scratch/cli-map.log" >&2; exit 1; }
mkdir -p "$scratch/maps"
VELBRIN_SCREENSHOTS="$scratch/maps" xvfb-run -a -s '-screen 0 1024x768x24' \
    "$build/bin/velbrin" --workpath "$work" "$project"
[ -f "$scratch/maps/mapedit.png" ] || { echo "screenshots: the Web of the map page has no image map" >&2; exit 1; }
mv "$scratch/maps/mapedit.png" "$out/"
ls "$out"
