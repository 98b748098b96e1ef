#!/bin/sh
# compare_screens.sh [-o DIR] [--https] [VELBRIN_CLI]
#
# Puts the live pages of a few sites next to their offline copies, as a
# reader sees them. Serves the Python 3.11 documentation (python3.11-doc), the
# Exim manual (exim4-doc-html) and the program's own help pages
# (data/help) with nginx on loopback (tests/support/with-site.sh, inside a
# private network namespace), captures each with velbrin-cli, then takes a
# headless Chromium screenshot (1280x900, the first screen) of each listed
# page live (http://127.0.0.1:PORT/...) and of its stored file (file:///...)
# and compares the two with ImageMagick's `compare -metric AE`. Prints, per
# page, the share of pixels that differ; exits 1 when a page differs by more
# than 1% (or is missing from the copy), 2 when a tool is missing.
#
#   -o DIR        keep the screenshots and difference pictures in DIR
#                 (default: a new directory under /tmp, printed at the end)
#   --https       serve and capture the sites over https instead
#                 (https://127.0.0.1:PORT/..., a certificate from a throw-away
#                 authority that the capture trusts through CaCertificates= in
#                 its velbrin.ini; Chromium is told to accept it)
#   VELBRIN_CLI   the program to run (default: build/bin/velbrin-cli)
#   SCREEN_FUZZ   colour distance under which pixels count as equal (compare
#                 -fuzz, e.g. 2%; default 0)
#
# The copies are made without the footer that links each stored page to its
# address. The stored file of a page is the one whose address comment
# (<!-- Url : "..." -->, written near the top of every stored page) names the
# page's address. A site whose package is missing is left out.
#
# Needs chromium, imagemagick and nginx (apt-get install chromium imagemagick
# nginx). Nothing goes beyond 127.0.0.1: the script refuses to run outside the
# private namespace unless VELBRIN_NO_NETNS=1 is set by hand, and Chromium is
# given a dead proxy for every address but loopback.
set -eu

here=$(cd "$(dirname "$0")" && pwd)
repo=$(dirname "$here")

# The pages compared, by site: the path under the site's start directory.
python_pages="index.html library/os.html tutorial/index.html library/functions.html"
exim_pages="index.html ch-introduction.html ch-the_exim_command_line.html"
help_pages="index.html options.html capture.html"
limit=1 # percent

if [ -z "${SCREENS_TMP:-}" ]; then
    out=
    https=
    while [ $# -gt 0 ]; do
        case $1 in
        -o)
            out=$2
            shift 2
            ;;
        --https)
            https=--https
            shift
            ;;
        *) break ;;
        esac
    done
    cli=${1:-$repo/build/bin/velbrin-cli}
    missing=
    for tool in chromium compare nginx python3; do
        command -v "$tool" >/dev/null 2>&1 || [ -x "/usr/sbin/$tool" ] || missing="$missing $tool"
    done
    if [ -n "$missing" ]; then
        echo "compare_screens: missing:$missing (apt-get install chromium imagemagick nginx)" >&2
        exit 2
    fi
    if [ ! -x "$cli" ]; then
        echo "compare_screens: no program $cli (cmake --build build --target velbrin-cli)" >&2
        exit 2
    fi
    cli=$(cd "$(dirname "$cli")" && pwd)/$(basename "$cli")
    if [ -z "$out" ]; then
        out=$(mktemp -d /tmp/velbrin-screens.XXXXXX)
    fi
    mkdir -p "$out"
    out=$(cd "$out" && pwd)
    tmp=$(mktemp -d)
    trap 'rm -rf "$tmp"' EXIT
    mkdir -p "$tmp/root"
    sites=
    if [ -f /usr/share/doc/python3.11/html/index.html ]; then
        ln -s /usr/share/doc/python3.11/html "$tmp/root/python"
        sites="$sites python"
    fi
    exim=$(dpkg -L exim4-doc-html 2>/dev/null | grep '/spec_html$' | head -n 1 || true)
    if [ -n "$exim" ] && [ -f "$exim/index.html" ]; then
        ln -s "$exim" "$tmp/root/exim"
        sites="$sites exim"
    fi
    # The help pages as the README's capture serves them: under /help/.
    ln -s "$repo/data/help" "$tmp/root/help"
    sites="$sites help"
    # nginx's workers run as another user.
    chmod -R a+rX "$tmp"
    status=0
    SCREENS_TMP=$tmp SCREENS_OUT=$out SCREENS_CLI=$cli SCREENS_SITES=$sites \
        "$repo/tests/support/with-site.sh" $https "$tmp/root" sh "$0" || status=$?
    echo "screenshots in $out"
    exit $status
fi

# From here on nginx serves the sites under $SITE_URL (and $SITE_HTTPS_URL
# with --https).
if [ "${VELBRIN_IN_NETNS:-}" != 1 ] && [ "${VELBRIN_NO_NETNS:-}" != 1 ]; then
    echo "compare_screens: no private network namespace; set VELBRIN_NO_NETNS=1 to run on the shared loopback" >&2
    exit 2
fi
LC_ALL=C
export LC_ALL
tmp=$SCREENS_TMP
out=$SCREENS_OUT
HOME=$tmp/home
XDG_CONFIG_HOME=$tmp/home/.config
export HOME XDG_CONFIG_HOME
mkdir -p "$HOME"
# Everything the sites hold; no footer under the pages: what is compared is
# the copy of the page, not what the program adds to it.
printf '[OPTIONS]\nMIMES=+ALL\nInternalLinkDepth=100\nRealLinkFlag=0\n' >"$tmp/options.ini"
site_url=$SITE_URL
tls_options=
if [ -n "${SITE_HTTPS_URL:-}" ]; then
    site_url=$SITE_HTTPS_URL
    # The certificate comes from the test authority; only loopback is reached.
    tls_options=--ignore-certificate-errors
fi

# shot URL FILE: the first screen of URL as a PNG.
shot() {
    rm -f "$2"
    chromium --headless --no-sandbox --disable-gpu --hide-scrollbars --window-size=1280,900 \
        --user-data-dir="$tmp/chromium" --no-first-run --disable-background-networking \
        --disable-component-update --disable-sync --disable-default-apps --disable-extensions \
        --proxy-server=http://127.0.0.1:9 --dns-prefetch-disable --allow-file-access-from-files $tls_options \
        --virtual-time-budget=5000 --screenshot="$2" "$1" >"$tmp/chromium.log" 2>&1 || true
    [ -s "$2" ]
}

# The stored file of an address, found by the comment at the top of each page.
stored_file() {
    grep -lF "<!-- Url : \"$2\" -->" "$1"/*.htm "$1"/*.html 2>/dev/null | head -n 1
}

failed=0
printf '%-44s %9s  %s\n' "page" "differs" "stored as"
for site in $SCREENS_SITES; do
    mkdir -p "$tmp/work-$site"
    if [ -n "${SITE_CA_FILE:-}" ]; then
        printf '[Options]\nCaCertificates=%s\n' "$SITE_CA_FILE" >"$tmp/work-$site/velbrin.ini"
    fi
    "$SCREENS_CLI" "${site_url}$site/" --workpath "$tmp/work-$site" "$tmp/options.ini" \
        >"$tmp/$site.out" 2>"$tmp/$site.err" || true
    dir=$(sed -n 's/^New Web .* in \(.*\)$/\1/p' "$tmp/$site.out")
    if [ -z "$dir" ]; then
        echo "$site: the capture failed"
        sed 's/^/  | /' "$tmp/$site.out" "$tmp/$site.err"
        failed=$((failed + 1))
        continue
    fi
    eval "pages=\$${site}_pages"
    for page in $pages; do
        url=${site_url}$site/$page
        name=$(echo "$site/$page" | tr '/' '_' | sed 's/\.html$//')
        file=$(stored_file "$dir" "$url")
        if [ -z "$file" ]; then
            printf '%-44s %9s  %s\n' "$site/$page" "-" "not in the copy"
            failed=$((failed + 1))
            continue
        fi
        if ! shot "$url" "$out/$name.live.png" || ! shot "file://$file" "$out/$name.offline.png"; then
            printf '%-44s %9s  %s\n' "$site/$page" "-" "no screenshot (see $tmp/chromium.log)"
            failed=$((failed + 1))
            continue
        fi
        # compare writes the count of differing pixels to stderr; status 1
        # only says that there are some.
        pixels=$(compare -metric AE -fuzz "${SCREEN_FUZZ:-0}" "$out/$name.live.png" "$out/$name.offline.png" \
            "$out/$name.diff.png" 2>&1 >/dev/null || true)
        total=$(identify -format '%[fx:w*h]' "$out/$name.live.png")
        case $pixels in
        '' | *[!0-9.e+]*)
            printf '%-44s %9s  %s (%s)\n' "$site/$page" "-" "$(basename "$file")" "$pixels"
            failed=$((failed + 1))
            continue
            ;;
        esac
        percent=$(awk -v p="$pixels" -v t="$total" 'BEGIN { printf "%.2f", 100 * p / t }')
        printf '%-44s %8s%%  %s\n' "$site/$page" "$percent" "$(basename "$file")"
        if awk -v p="$percent" -v l="$limit" 'BEGIN { exit !(p > l) }'; then
            failed=$((failed + 1))
        fi
    done
done
if [ $failed -ne 0 ]; then
    echo "$failed page(s) differ by more than $limit% or could not be compared"
    exit 1
fi
echo "every page within $limit%"
