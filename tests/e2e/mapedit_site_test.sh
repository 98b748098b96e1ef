#!/bin/sh
# mapedit_site_test.sh VELBRIN_CLI MAPEDIT_HELPER SOURCE_DIR
#
# A server-side image map from capture to offline reading: captures the
# fixture site's map page, draws two zones over its picture in the map
# editor (mapedit_helper), captures the Web again so that the answers of the
# map program for the zones' centres are fetched, and checks that the
# client-side map of the offline page leads to those captured answers. The
# map program is a static page that nginx serves whatever the query. Exits
# 77 (skipped) without nginx.
set -eu

cli=$1
helper=$2
src=$3

if [ -z "${E2E_TMP:-}" ]; then
    if ! command -v nginx >/dev/null 2>&1 && [ ! -x /usr/sbin/nginx ]; then
        echo "SKIP: nginx is not installed"
        exit 77
    fi
    tmp=$(mktemp -d)
    trap 'rm -rf "$tmp"' EXIT
    cp -R "$src/tests/fixtures/site" "$tmp/site"
    # The map program: a page of its own.
    sed 's#/cgi-bin/imagemap/nav"#/cgi-bin/imagemap/nav.html"#' "$src/tests/fixtures/site/some/dir/map.html" \
        >"$tmp/site/some/dir/map.html"
    mkdir -p "$tmp/site/cgi-bin/imagemap"
    printf '<HTML><HEAD><TITLE>Zone answer</TITLE></HEAD><BODY>The zone you chose</BODY></HTML>\n' \
        >"$tmp/site/cgi-bin/imagemap/nav.html"
    chmod -R a+rX "$tmp"
    status=0
    E2E_TMP=$tmp "$src/tests/support/with-site.sh" "$tmp/site" sh "$0" "$@" || status=$?
    exit $status
fi

LC_ALL=C
export LC_ALL
tmp=$E2E_TMP
work=$tmp/work
HOME=$tmp/home
XDG_CONFIG_HOME=$tmp/home/.config
export HOME XDG_CONFIG_HOME
mkdir -p "$HOME"
program=${SITE_URL}cgi-bin/imagemap/nav.html
failures=0

fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

run() {
    name=$1
    shift
    if ! "$@" >"$tmp/$name.out" 2>"$tmp/$name.err"; then
        fail "$name: exit status $?"
        sed 's/^/  | /' "$tmp/$name.out" "$tmp/$name.err"
        exit 1
    fi
}

run first "$cli" --workpath "$work" "${SITE_URL}some/dir/map.html"
project=$(find "$work" -name LOCAL.WEB | head -n 1)
[ -n "$project" ] || { fail "no Web was made"; exit 1; }
dir=$(dirname "$project")

# The picture is 40 x 20: a rectangle over its left half, a circle in its right half.
run edit "$helper" "$work" "$project"
printf '<area shape="rect" coords="00,00,20,20" href="%s?10,10">\r\n<area shape="circle" coords="30,10,09" href="%s?30,10">\r\n' \
    "$program" "$program" >"$tmp/map.want"
cmp -s "$dir/nav.map" "$tmp/map.want" || { fail "the map file is not the one drawn"; diff "$tmp/map.want" "$dir/nav.map"; }

run again "$cli" "$project" CAPTURE
grep -q "Session: captured 2," "$tmp/again.out" || { fail "the zones' answers were not captured"; cat "$tmp/again.out"; }

# The offline page: a client-side map whose areas lead to the stored answers.
page=$dir/map.htm
grep -q 'USEMAP="#nav"' "$page" || fail "map.htm: the picture does not use the client-side map"
areas=$(grep -c '<area ' "$page" || true)
[ "$areas" = 2 ] || fail "map.htm: $areas areas instead of 2"
for query in 10,10 30,10; do
    line=$(grep "<area .*OLDREF=\"$program?$query\"" "$page" || true)
    target=$(printf '%s' "$line" | sed -n 's/.* href="\([^"]*\)".*/\1/p')
    case $target in
    '' | http:* | BadLink.htm) fail "map.htm: the area of $query leads to '$target'" ;;
    *) grep -q "Zone answer" "$dir/$target" || fail "map.htm: the area of $query leads to $target, not the answer" ;;
    esac
done

if [ "$failures" -gt 0 ]; then
    echo "$failures failure(s)"
    exit 1
fi
echo "map editor end to end: ok"
