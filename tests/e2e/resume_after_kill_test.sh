#!/bin/sh
# resume_after_kill_test.sh VELBRIN_CLI SOURCE_DIR
#
# Captures a generated site (bench/generate_site.py, 250 pages and 40
# pictures) served by nginx once without interruption, and once killed with
# SIGKILL at three points and resumed each time. After each kill the Web,
# loaded again, must have lost at most the last 50 kept files (and the
# transfers that were running); the resumed capture must end with the same
# files as the uninterrupted one: the same links captured, each page and
# picture stored once, nothing left over from the killed sessions, and every
# local link of the copy leading to a file that is there. Exits 77 (skipped)
# without nginx or python3.
set -eu

cli=$1
src=$2

if [ -z "${E2E_TMP:-}" ]; then
    if ! command -v nginx >/dev/null 2>&1 && [ ! -x /usr/sbin/nginx ]; then
        echo "SKIP: nginx is not installed"
        exit 77
    fi
    command -v python3 >/dev/null 2>&1 || { echo "SKIP: python3 is not installed"; exit 77; }
    tmp=$(mktemp -d)
    trap 'rm -rf "$tmp"' EXIT
    python3 "$src/bench/generate_site.py" "$tmp/site" 250 40 >/dev/null
    chmod -R a+rX "$tmp"
    status=0
    E2E_TMP=$tmp "$src/tests/support/with-site.sh" "$tmp/site" sh "$0" "$@" || status=$?
    exit $status
fi

LC_ALL=C
export LC_ALL
tmp=$E2E_TMP
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# A working path whose settings fetch with 5 sockets and follow every link.
setup() {
    mkdir -p "$1/home" "$1/work" "$1/webs"
    cat >"$1/work/velbrin.ini" <<INI
[Options]
MaxSockets=5
[Web]
Path=$1/webs
[DEFAULT]
InternalLinkDepth=255
INI
}

# run DIR ARGS...: velbrin-cli with DIR's home and working path.
run() {
    dir=$1
    shift
    env -u XDG_CONFIG_HOME HOME="$dir/home" "$cli" "$@" --workpath "$dir/work"
}

# The captured files of a Web directory: all but the program's own.
captured_files() {
    find "$1" -maxdepth 1 -type f ! -name 'LOCAL.WEB*' ! -name LogFile.htm ! -name NotFound.htm \
        ! -name BadLink.htm ! -name '_*' | wc -l
}

# What two copies must share: the address of every stored page (each page
# names its own in a comment), the bytes of every other file, and the
# numbers of the Web.
fingerprint() {
    web=$1
    for page in "$web"/*.htm; do
        case $(basename "$page") in _* | LogFile.htm | NotFound.htm | BadLink.htm) continue ;; esac
        sed -n 's/.*<!-- Url : "\([^"]*\)" -->.*/page \1/p' "$page" | head -n 1
    done | sort
    for file in "$web"/*; do
        case $file in *.htm | */LOCAL.WEB* | */_*) continue ;; esac
        echo "file $(cksum <"$file")"
    done | sort
    echo "files $(captured_files "$web")"
}

# --- The capture without interruption ----------------------------------------
ref=$tmp/ref
setup "$ref"
run "$ref" "$SITE_URL" >"$tmp/ref.out" 2>&1 || fail "the uninterrupted capture failed"
ref_web=$(dirname "$(find "$ref/webs" -name LOCAL.WEB | head -n 1)")
total=$(captured_files "$ref_web")
[ "$total" -ge 400 ] || fail "the uninterrupted capture stored only $total files"
run "$ref" "$ref_web/LOCAL.WEB" >"$tmp/ref.summary" 2>&1
grep '^Links:' "$tmp/ref.summary" >"$tmp/ref.links"
fingerprint "$ref_web" >"$tmp/ref.print"

# --- Killed three times, resumed ---------------------------------------------
kill=$tmp/kill
setup "$kill"
web=
point=0
on_disk=0
for at in 60 200 340; do
    point=$((point + 1))
    # The session must store files of its own before it is killed: the
    # files an earlier session left count from its start.
    [ "$at" -ge $((on_disk + 10)) ] || at=$((on_disk + 10))
    [ "$at" -le "$total" ] || at=$total
    # Started without a subshell, so that $! is the program itself.
    if [ -z "$web" ]; then
        set -- "$SITE_URL"
    else
        set -- "$web/LOCAL.WEB" CAPTURE
    fi
    env -u XDG_CONFIG_HOME HOME="$kill/home" "$cli" "$@" --workpath "$kill/work" >"$tmp/kill$point.out" 2>&1 &
    pid=$!
    # Until the capture directory holds at files (the project file is there
    # from the start).
    while :; do
        if [ -z "$web" ]; then
            project=$(find "$kill/webs" -name LOCAL.WEB 2>/dev/null | head -n 1)
            [ -n "$project" ] && web=$(dirname "$project")
        fi
        if [ -n "$web" ] && [ "$(captured_files "$web")" -ge $at ]; then
            break
        fi
        if ! kill -0 $pid 2>/dev/null; then
            fail "kill point $point: the capture ended before it stored $at files"
            break
        fi
        sleep 0.01
    done
    kill -9 $pid 2>/dev/null || true
    wait $pid 2>/dev/null || true
    on_disk=$(captured_files "$web")
    # A kill that came after the last file (in the resolution pass) finds the
    # journal folded in already.
    [ -f "$web/LOCAL.WEB-journal" ] || [ "$on_disk" -ge "$total" ] ||
        fail "kill point $point: no journal beside the project file"
    run "$kill" "$web/LOCAL.WEB" >"$tmp/kill$point.summary" 2>&1 || fail "kill point $point: the Web does not load"
    kept=$(sed -n 's/^Links: .*(captured \([0-9]*\),.*/\1/p' "$tmp/kill$point.summary")
    # At most 50 kept files and the 5 transfers that were running are lost.
    if [ -z "$kept" ] || [ $((kept + 55)) -lt "$on_disk" ]; then
        fail "kill point $point: $on_disk files were on disk, the Web kept ${kept:-none}"
    fi
    [ ! -f "$web/LOCAL.WEB-journal" ] || fail "kill point $point: the journal was not folded into the project file"
    echo "kill point $point: $on_disk files on disk, $kept kept"
done
run "$kill" "$web/LOCAL.WEB" CAPTURE >"$tmp/resumed.out" 2>&1 || fail "the resumed capture failed"
run "$kill" "$web/LOCAL.WEB" >"$tmp/resumed.summary" 2>&1
grep '^Links:' "$tmp/resumed.summary" >"$tmp/resumed.links"
fingerprint "$web" >"$tmp/resumed.print"

if ! cmp -s "$tmp/ref.links" "$tmp/resumed.links"; then
    fail "the resumed Web's links differ: $(cat "$tmp/resumed.links") against $(cat "$tmp/ref.links")"
fi
if ! cmp -s "$tmp/ref.print" "$tmp/resumed.print"; then
    fail "the resumed capture stored other files than the uninterrupted one"
    diff "$tmp/ref.print" "$tmp/resumed.print" | head -n 20 | sed 's/^/  | /'
fi
[ ! -f "$web/LOCAL.WEB-journal" ] || fail "a journal is left after the capture ended"
[ ! -f "$web/LOCAL.WEB-unresolved" ] || fail "the links are still marked unresolved after the capture ended"
python3 "$src/tests/support/check-capture.py" "$web" --server "127.0.0.1:$SITE_PORT" >"$tmp/check.out" 2>&1 ||
    { fail "the resumed copy has broken references"; sed 's/^/  | /' "$tmp/check.out" | head -n 20; }

if [ $failures -ne 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "all checks passed ($total files)"
