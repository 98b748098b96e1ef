#!/bin/sh
# capture_site_test.sh VELBRIN_CLI SOURCE_DIR
#
# Captures the fixture site (tests/fixtures/site) with the real program while
# nginx serves it on a loopback port, then checks the offline copy: the stored
# files, the capture log, the project file, the index pages and every local
# link. Then captures the Web again twice, loads it with a stored name made
# unsafe, captures other sites of the same short name, applies options files,
# captures an address that answers 404, interrupts a capture and tries
# unusable arguments. Exits 77 (skipped) without nginx.
set -eu

cli=$1
src=$2

if [ -z "${E2E_TMP:-}" ]; then
    if ! command -v nginx >/dev/null 2>&1 && [ ! -x /usr/sbin/nginx ]; then
        echo "SKIP: nginx is not installed"
        exit 77
    fi
    tmp=$(mktemp -d)
    trap 'rm -rf "$tmp"' EXIT
    cp -R "$src/tests/fixtures/site" "$tmp/site"
    # nginx's workers run as another user.
    chmod -R a+rX "$tmp"
    status=0
    E2E_TMP=$tmp "$src/tests/support/with-site.sh" "$tmp/site" sh "$0" "$@" || status=$?
    exit $status
fi

# From here on nginx serves $E2E_TMP/site at $SITE_URL.
LC_ALL=C
export LC_ALL
tmp=$E2E_TMP
site=$tmp/site
work=$tmp/work
HOME=$tmp/home
XDG_CONFIG_HOME=$tmp/home/.config
export HOME XDG_CONFIG_HOME
mkdir -p "$HOME"
host=127.0.0.1:$SITE_PORT
start=${SITE_URL}some/dir/
failures=0

fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# expect_status WANTED NAME COMMAND...: runs the command, output in $tmp/NAME.out and .err.
expect_status() {
    wanted=$1
    name=$2
    shift 2
    got=0
    "$@" >"$tmp/$name.out" 2>"$tmp/$name.err" || got=$?
    if [ "$got" != "$wanted" ]; then
        fail "$name: exit status $got, expected $wanted"
        sed 's/^/  | /' "$tmp/$name.out" "$tmp/$name.err"
    fi
}

# expect_line FILE LINE: FILE holds exactly this line.
expect_line() {
    if ! grep -Fxq -- "$2" "$1"; then
        fail "$(basename "$1") lacks the line: $2"
    fi
}

# The entries of a capture log, one per line, without "<br>" and the heading.
log_entries() {
    sed 's/^.*<\/H3>//' "$1" | tr -d '\r' | sed 's/^<br>//'
}

# Checks that every relative HREF and SRC of the pages of a directory names a
# file that is there, letter case included. Prints how many were checked.
check_links() {
    dir=$1
    names=$tmp/names
    ls -1 "$dir" >"$names"
    count=0
    for page in "$dir"/*.htm; do
        grep -oiE "[[:space:]](href|src)[[:space:]]*=[[:space:]]*(\"[^\"]*\"|'[^']*'|[^[:space:]>\"']+)" "$page" |
            sed -E "s/^[[:space:]]*[A-Za-z]+[[:space:]]*=[[:space:]]*//; s/^[\"']//; s/[\"']\$//" >"$tmp/values" || true
        while IFS= read -r value; do
            case $value in
            *:* | '#'* | '') continue ;; # an address, a place in the same page
            esac
            file=${value%%#*}
            file=${file%%\?*}
            count=$((count + 1))
            if ! grep -Fxq -- "$file" "$names"; then
                fail "$(basename "$page") links to \"$value\", which is not in the copy"
            fi
        done <"$tmp/values"
    done
    echo "$count"
}

# cksum of every file of a directory but the ones named (basic patterns).
snapshot() {
    dir=$1
    shift
    for file in "$dir"/*; do
        name=$(basename "$file")
        skip=no
        for pattern in "$@"; do
            case $name in
            $pattern) skip=yes ;;
            esac
        done
        [ $skip = yes ] || (cd "$dir" && cksum "$name")
    done
}

# The bytes of the captured files of a directory.
captured_bytes() {
    sum=0
    for file in "$1"/*; do
        case $(basename "$file") in
        BadLink.htm | NotFound.htm | LogFile.htm | LOCAL.WEB | _*) ;;
        *) sum=$((sum + $(wc -c <"$file"))) ;;
        esac
    done
    echo $sum
}

# The absolute addresses of the fixture pages name the server's own port.
for page in $(grep -rl '@SITE@' "$site"); do
    sed "s/@SITE@/$host/g" "$page" >"$page.new" && mv "$page.new" "$page"
done

# --- First capture -----------------------------------------------------------
started=$(date +%s)
expect_status 0 first "$cli" "$start" --workpath "$work"
seconds=$(($(date +%s) - started))
dir=$(sed -n 's/^New Web .* in \(.*\)$/\1/p' "$tmp/first.out")
project=${dir}LOCAL.WEB
if [ $failures -ne 0 ] || [ -z "$dir" ] || [ ! -f "$project" ]; then
    echo "FAIL: the first capture did not succeed; nothing more to check"
    exit 1
fi
expect_line "$tmp/first.out" "Session: captured 13, filtered 0, not found 1, errors 0"
# Not on a terminal: at most a progress line a second, one line for the
# resolution pass.
resolving=$(grep -c '^Resolving links' "$tmp/first.out" || true)
[ "$resolving" = 1 ] || fail "first.out has $resolving lines about the resolution pass"
expect_line "$tmp/first.out" "Resolving links: 9 pages rewritten"
progress=$(grep -c '^\[' "$tmp/first.out" || true)
[ "$progress" -le $((seconds + 2)) ] || fail "first.out has $progress progress lines in $seconds seconds"

# The local name a page of the copy gives to an address it links to.
local_name() {
    address=$(printf '%s\n' "$2" | sed 's/[].[\*^$/]/\\&/g')
    sed -n "s/.*HREF=\"\([^\"#]*\)[^\"]*\" OLDREF=\"$address\".*/\1/p" "$1" | head -n 1
}

# The start address (a directory) and index.html hold the same page, and so
# do sub/ and its index.html: each address has a file of its own. The start
# page is INDEX.htm; the other two want "index" too and are numbered in the
# order their answers came.
subpage=$(local_name "$dir/INDEX.htm" "http://$host/some/dir/sub")
indexpage=$(local_name "$dir/page2.htm" "http://$host/some/dir/index.html")
case "$subpage $indexpage" in
"INDEX1.htm index2.htm" | "INDEX2.htm index1.htm") ;;
*) fail "the directory's page is \"$subpage\" and index.html \"$indexpage\"" ;;
esac
ls -1 "$dir" >"$tmp/stored"
sort >"$tmp/stored.want" <<EOF
$subpage
$indexpage
BadLink.htm
CaseTest.htm
INDEX.htm
LOCAL.WEB
LogFile.htm
NotFound.htm
_Home.htm
_IxE.htm
_IxH.htm
_IxI.htm
_velbrin_index.css
_velbrin_logo.svg
base.htm
deep.htm
dot.gif
long.htm
map.htm
nav.gif
page2.htm
photo.jpg
EOF
if ! cmp -s "$tmp/stored" "$tmp/stored.want"; then
    fail "stored files differ from the expected list"
    diff "$tmp/stored.want" "$tmp/stored" | sed 's/^/  | /'
fi
for picture in dot.gif nav.gif photo.jpg; do
    cmp -s "$dir/$picture" "$site/some/dir/pics/$picture" || fail "$picture is not the site's picture"
done

# The log: the program's texts in Latin-1, in the order of the session.
log=$dir/LogFile.htm
log_entries "$log" >"$tmp/log"
e=$(printf '\351')
e_grave=$(printf '\350')
head -n 1 "$log" | grep -q "^<HTML><HEADER></HEADER><BODY BGCOLOR=\"#FFFFFF\"><H3>WEB : HTTP://$host/SOME/DIR/</H3><br>" ||
    fail "LogFile.htm has no heading"
{
    echo "D${e}but de capture le *"
    echo "http://$host/some/outside.html filtr$e : Niveau interne max atteint"
    echo "http://www.example.invalid/elsewhere.html filtr$e : Externe au domaine principal"
    echo "URL non trouv${e}e (404):http://$host/some/dir/missing.html"
    echo "Fin de capture le *"
    echo "Dur${e}e de la session : 00:00:0?"
    echo "13 page(s) captur${e}e(s)"
    echo "1 page(s) non trouv${e}e(s)"
    echo ""
} >"$tmp/log.want"
if [ "$(wc -l <"$tmp/log")" != "$(wc -l <"$tmp/log.want")" ]; then
    fail "LogFile.htm has $(wc -l <"$tmp/log") entries, expected $(wc -l <"$tmp/log.want")"
    sed 's/^/  | /' "$tmp/log"
else
    n=0
    while IFS= read -r pattern; do
        n=$((n + 1))
        line=$(sed -n "${n}p" "$tmp/log")
        case $line in
        $pattern) ;;
        *) fail "LogFile.htm entry $n is \"$line\", expected \"$pattern\"" ;;
        esac
    done <"$tmp/log.want"
fi
if grep -q "$(printf '\303')" "$log"; then
    fail "LogFile.htm holds UTF-8"
fi

# The project file loads back with the counters of the session.
expect_status 0 summary "$cli" "$project"
expect_line "$tmp/summary.out" "Title:        Caf${e} cr${e_grave}me & th${e} <fixture>"
expect_line "$tmp/summary.out" "Address:      $start"
expect_line "$tmp/summary.out" "Links:        16 (captured 13, to do 0, errors 0, not found 1, filtered 2)"
grep -q "^              captured 13, filtered 0, not found 1, errors 0, received [0-9]* Kb\$" "$tmp/summary.out" ||
    fail "summary.out lacks the figures of the last session"
stored=$(sed -n 's/^Stored: *//p' "$tmp/summary.out" | tr -cd '0-9')
total=$(captured_bytes "$dir")
[ "$stored" = "$total" ] || fail "the Web stores $stored bytes, its files hold $total"

# The pages of the copy.
grep -q "<!-- Url : \"$start\" -->" "$dir/INDEX.htm" || fail "INDEX.htm lacks its address comment"
grep -q "Captured by Velbrin from  <A HREF=$start>" "$dir/INDEX.htm" || fail "INDEX.htm lacks its footer"
grep -q "<!-- Url : \"http://$host/some/dir/sub/\" -->" "$dir/$subpage" ||
    fail "the directory link without its slash does not lead to the directory's page"
grep -Fq "<A HREF=\"NotFound.htm\" OLDREF=\"http://$host/some/dir/missing.html\">" "$dir/INDEX.htm" ||
    fail "the missing page does not lead to NotFound.htm"
grep -Fq "<A HREF=\"BadLink.htm\" OLDREF=\"http://www.example.invalid/elsewhere.html\">" "$dir/INDEX.htm" ||
    fail "the filtered link does not lead to BadLink.htm"
grep -Fq '<A HREF="mailto:webmaster@example.invalid">' "$dir/INDEX.htm" || fail "the mail link changed"
grep -Fq "<A HREF=\"CaseTest.htm\" OLDREF=\"http://$host/some/dir/CaseTest.html\">" "$dir/base.htm" ||
    fail "base.htm: the link before the BASE tag is not resolved against the page"
grep -Fq "<A HREF=\"deep.htm\" OLDREF=\"http://$host/some/dir/sub/deep.html\">" "$dir/base.htm" ||
    fail "base.htm: the link after the BASE tag is not resolved against the BASE address"
grep -Fq "HREF=\"page2.htm\" OLDREF=\"http://$host/some/dir/page2.html\" CLASS=\"far\">" "$dir/long.htm" ||
    fail "long.htm: the link at the end of the long tag is not resolved"
grep -Fq "SRC=\"photo.jpg\" OLDREF=\"http://$host/some/dir/pics/photo.jpg\" WIDTH=24 HEIGHT=16>" "$dir/long.htm" ||
    fail "long.htm: the picture of the long tag is not resolved"
grep -Fq "<IMG SRC=\"nav.gif\" OLDREF=\"http://$host/some/dir/pics/nav.gif\"" "$dir/map.htm" ||
    fail "map.htm: the map's picture is not resolved"
grep -q "<TITLE>Caf&eacute; cr${e_grave}me &amp; th${e} &lt;fixture&gt;</TITLE>" "$dir/INDEX.htm" ||
    fail "the title of the start page changed"

# The index pages.
for index in _Home.htm _IxH.htm _IxI.htm _IxE.htm; do
    [ -s "$dir/$index" ] || fail "no index page $index"
done
grep -q 'HREF="INDEX.htm"' "$dir/_Home.htm" || grep -q 'href="INDEX.htm"' "$dir/_Home.htm" ||
    fail "_Home.htm does not lead to the start page"

checked=$(check_links "$dir")
case $checked in
*FAIL*) echo "$checked" | grep FAIL; failures=$((failures + 1)) ;;
*) [ "$checked" -ge 40 ] || fail "only $checked local links were checked" ;;
esac

# --- Capture again: the missing page has appeared --------------------------
snapshot "$dir" LogFile.htm LOCAL.WEB '_*.htm' INDEX.htm "$indexpage" >"$tmp/before"
printf '<HTML><HEAD><TITLE>Found at last</TITLE></HEAD><BODY><A HREF="page2.html">Second</A></BODY></HTML>\n' \
    >"$site/some/dir/missing.html"
expect_status 0 again "$cli" "$project" CAPTURE
expect_line "$tmp/again.out" "Session: captured 1, filtered 0, not found 0, errors 0"
snapshot "$dir" LogFile.htm LOCAL.WEB '_*.htm' INDEX.htm "$indexpage" missing.htm >"$tmp/after"
if ! cmp -s "$tmp/before" "$tmp/after"; then
    fail "pages rewritten again changed"
    diff "$tmp/before" "$tmp/after" | sed 's/^/  | /'
fi
grep -Fq "<A HREF=\"missing.htm\" OLDREF=\"http://$host/some/dir/missing.html\">" "$dir/INDEX.htm" ||
    fail "the page found at last is not linked"
expect_status 0 summary2 "$cli" "$project"
expect_line "$tmp/summary2.out" "Links:        16 (captured 14, to do 0, errors 0, not found 0, filtered 2)"
stored=$(sed -n 's/^Stored: *//p' "$tmp/summary2.out" | tr -cd '0-9')
total=$(captured_bytes "$dir")
[ "$stored" = "$total" ] || fail "after the second capture the Web stores $stored bytes, its files hold $total"
checked=$(check_links "$dir")
case $checked in
*FAIL*) echo "$checked" | grep FAIL; failures=$((failures + 1)) ;;
esac

# --- Capture again: nothing left to fetch ----------------------------------
snapshot "$dir" LogFile.htm LOCAL.WEB >"$tmp/before"
expect_status 0 third "$cli" "$project" CAPTURE
expect_line "$tmp/third.out" "Session: captured 0, filtered 0, not found 0, errors 0"
snapshot "$dir" LogFile.htm LOCAL.WEB >"$tmp/after"
cmp -s "$tmp/before" "$tmp/after" || fail "a capture that kept nothing changed the copy"
log_entries "$log" | grep -q "^0 page(s) captur${e}e(s)$" || fail "the third session is not in the log"

# --- A stored name that leads outside the capture directory ----------------
# "deep.htm" and "../x.htm" have the same length: the length byte before the
# name stays right.
perl -pi -e 's/\x08deep\.htm/\x08..\/x.htm/g' "$project"
expect_status 0 unsafe "$cli" "$project"
expect_line "$tmp/unsafe.out" "1 record of the project file named a file outside the capture directory: the names were dropped and the links will be captured again"
expect_line "$tmp/unsafe.out" "Links:        16 (captured 13, to do 1, errors 0, not found 0, filtered 2)"
expect_status 0 unsafe_capture "$cli" "$project" CAPTURE
expect_line "$tmp/unsafe_capture.out" "Session: captured 1, filtered 0, not found 0, errors 0"
[ -e "$work/x.htm" ] && fail "a file was written outside the capture directory"
grep -Fq "<A HREF=\"deep1.htm\" OLDREF=\"http://$host/some/dir/sub/deep.html\">" "$dir/base.htm" ||
    fail "the page whose name was dropped is not captured again under a name of its own"

# --- One Web per site --------------------------------------------------------
# Another directory of the same short name ("DIR") is another Web.
mkdir -p "$site/else/dir"
printf '<HTML><BODY><P>Elsewhere</BODY></HTML>\n' >"$site/else/dir/index.html"
expect_status 0 else "$cli" "${SITE_URL}else/dir/" --workpath "$work"
expect_line "$tmp/else.out" "${dir} holds the Web of $start: the Web of ${SITE_URL}else/dir/ is in ${work}/DIR1/"
grep -q "^New Web ${SITE_URL}else/dir/ in ${work}/DIR1/\$" "$tmp/else.out" || fail "the other site made no Web of its own"
expect_status 0 else_again "$cli" "${SITE_URL}else/dir/" --workpath "$work"
grep -q "^New Web" "$tmp/else_again.out" && fail "the other site's Web was made again"
expect_line "$tmp/else_again.out" "Capturing ${SITE_URL}else/dir/ into ${work}/DIR1/"
expect_status 0 start_again "$cli" "$start" --workpath "$work"
expect_line "$tmp/start_again.out" "Capturing $start into $dir"

# --- Options files -----------------------------------------------------------
# MaxFileCount keeps that many files; options given with the address of a
# Web made before apply to it.
printf '[OPTIONS]\nMaxFileCount=1\n' >"$tmp/one.ini"
printf '[Options]\nmaxfilecount=3\n' >"$tmp/three.ini"
expect_status 0 limited "$cli" "${SITE_URL}some/dir/page2.html" "$tmp/one.ini" --workpath "$work"
expect_line "$tmp/limited.out" "Session: captured 1, filtered 0, not found 0, errors 0"
limited=$(sed -n 's/^New Web .* in \(.*\)$/\1/p' "$tmp/limited.out")
expect_status 0 more "$cli" "${SITE_URL}some/dir/page2.html" "$tmp/three.ini" --workpath "$work"
expect_line "$tmp/more.out" "Options of $tmp/three.ini applied to the Web: maxfilecount"
expect_line "$tmp/more.out" "Session: captured 2, filtered 0, not found 0, errors 0"
expect_status 0 more_summary "$cli" "${limited}LOCAL.WEB"
grep -q "^Links:        [0-9]* (captured 3, " "$tmp/more_summary.out" || fail "the Web does not hold 3 files"
# A refused options file leaves nothing behind, not even a working directory.
printf '[OPTIONS]\nMaxFileCount=10\nMaxFiles=3\n' >"$tmp/unknown.ini"
printf '[OPTIONS]\nMaxTime=ten\n' >"$tmp/word.ini"
expect_status 2 unknown_key "$cli" "${SITE_URL}some/" "$tmp/unknown.ini" --workpath "$tmp/refused"
expect_line "$tmp/unknown_key.err" "velbrin-cli: $tmp/unknown.ini: unknown key MaxFiles in section [OPTIONS]"
expect_status 2 not_a_number "$cli" "${SITE_URL}some/" "$tmp/word.ini" --workpath "$tmp/refused"
expect_line "$tmp/not_a_number.err" "velbrin-cli: $tmp/word.ini: the key MaxTime needs a number, not \"ten\""
expect_status 2 no_options "$cli" "${SITE_URL}some/" "$tmp/absent.ini" --workpath "$tmp/refused"
[ -e "$tmp/refused" ] && fail "a refused command left $tmp/refused behind"
[ -e "$work/SOME" ] && fail "a refused command left a Web directory behind"

# --- An address that answers 404 -------------------------------------------
expect_status 1 nothing "$cli" "${SITE_URL}nowhere/" --workpath "$work"
expect_line "$tmp/nothing.out" "Session: captured 0, filtered 0, not found 1, errors 0"
grep -q "^Connection error$" "$tmp/nothing.err" || fail "no connection error box"
grep -q "Rename Web's URL?" "$tmp/nothing.err" || fail "the box does not offer to rename the address"
grep -q "^  Not found (404)$" "$tmp/nothing.err" || fail "the box does not name the server's answer"
grep -q "Cannot reach server" "$tmp/nothing.err" && fail "the box says a server that answered cannot be reached"
expect_line "$tmp/nothing.err" "velbrin-cli: ${SITE_URL}nowhere/ was answered Not found (404)"
nothing_log=$(sed -n 's/^New Web .* in \(.*\)$/\1/p' "$tmp/nothing.out")LogFile.htm
grep -Fq "URL non trouv${e}e (404):${SITE_URL}nowhere/" "$nothing_log" || fail "the 404 is not in its log"

# --- Ctrl-C --------------------------------------------------------------------
# A page sent at 1 KB a second: the capture is under way when it is stopped.
mkdir -p "$site/slow"
head -c 300000 /dev/zero | tr '\0' 'x' | sed 's/^/<HTML><BODY><P>/' >"$site/slow/index.html"
chmod -R a+rX "$site/slow"
"$cli" "${SITE_URL}slow/" --workpath "$work" >"$tmp/stopped.out" 2>"$tmp/stopped.err" &
pid=$!
# Stopped once the capture runs (Ctrl-C is the program's own from then on),
# however long a loaded machine takes to get there.
waited=0
until grep -q "^Capturing " "$tmp/stopped.out" 2>/dev/null || [ $waited -ge 120 ]; do
    sleep 0.5
    waited=$((waited + 1))
done
sleep 1
kill -INT $pid
got=0
wait $pid || got=$?
[ "$got" = 130 ] || fail "a capture stopped with Ctrl-C exits with $got, expected 130"
slow=$(sed -n 's/^New Web .* in \(.*\)$/\1/p' "$tmp/stopped.out")
expect_line "$tmp/stopped.out" "Stopping the capture..."
grep -q "^\[[0-9:]*\] interrupted: links 1," "$tmp/stopped.out" || fail "the status line does not say the capture was interrupted"
expect_line "$tmp/stopped.out" "Session interrupted: captured 0, filtered 0, not found 0, errors 0"
expect_line "$tmp/stopped.out" "  velbrin-cli ${slow}LOCAL.WEB CAPTURE"
grep -q "Connection error" "$tmp/stopped.err" && fail "an interrupted capture reports a failure"
[ -f "${slow}LOCAL.WEB" ] || fail "the interrupted Web was not saved"

# --- Unusable arguments ----------------------------------------------------
expect_status 2 no_arguments "$cli"
expect_status 2 bad_option "$cli" --bogus
expect_status 2 bad_argument "$cli" nonsense
expect_status 2 ftp "$cli" "ftp://$host/" --workpath "$work"
expect_status 2 no_project "$cli" "$tmp/absent.WEB" --workpath "$work"
printf 'not a project' >"$tmp/damaged.WEB"
expect_status 2 damaged_project "$cli" "$tmp/damaged.WEB" --workpath "$work"

if [ $failures -ne 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "all checks passed"
