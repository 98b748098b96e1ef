#!/bin/sh
# real_sites_test.sh VELBRIN_CLI SOURCE_DIR
#
# Captures two real documentation sites that Debian packages install, served
# by nginx on a loopback port: the whole Python 3.11 documentation
# (python3.11-doc) and the Exim manual (exim4-doc-html). Then reads
# each copy the way a browser would (tests/support/check-capture.py): every
# local reference must name a file of the copy, and no reference may lead back
# to the server (the program's own index pages are reported, not judged).
# Captures the Exim manual a second time into another working
# directory: both copies must hold the same bytes. Then captures it over
# https (the same directory behind TLS, with a throw-away authority): with the
# authority's certificate in the settings the copy reads offline and holds the
# bytes of the http copy but for the addresses, also when the start address
# is an http one that the server redirects to https; without it nothing is
# captured and the log names the certificate error; with certificate errors
# accepted the copy is made and the log says so. Exits 77 (skipped) without
# nginx, openssl, python3 or the documentation packages.
set -eu

cli=$1
src=$2

python_docs=/usr/share/doc/python3.11/html
exim_docs=

if [ -z "${E2E_TMP:-}" ]; then
    if ! command -v nginx >/dev/null 2>&1 && [ ! -x /usr/sbin/nginx ]; then
        echo "SKIP: nginx is not installed"
        exit 77
    fi
    if ! command -v python3 >/dev/null 2>&1; then
        echo "SKIP: python3 is not installed"
        exit 77
    fi
    if [ ! -f "$python_docs/index.html" ]; then
        echo "SKIP: python3.11-doc is not installed"
        exit 77
    fi
    exim_docs=$(dpkg -L exim4-doc-html 2>/dev/null | grep '/spec_html$' | head -n 1 || true)
    if [ -z "$exim_docs" ] || [ ! -f "$exim_docs/index.html" ]; then
        echo "SKIP: exim4-doc-html is not installed"
        exit 77
    fi
    tmp=$(mktemp -d)
    trap 'rm -rf "$tmp"' EXIT
    # One document root for both sites; nginx follows the links.
    mkdir -p "$tmp/root"
    ln -s "$python_docs" "$tmp/root/python"
    ln -s "$exim_docs" "$tmp/root/exim"
    # The http server sends everything under /to-https/ to the https server.
    mkdir -p "$tmp/root/to-https"
    ln -s "$exim_docs" "$tmp/root/to-https/exim"
    # nginx's workers run as another user.
    chmod -R a+rX "$tmp"
    status=0
    E2E_TMP=$tmp "$src/tests/support/with-site.sh" --https "$tmp/root" sh "$0" "$@" || status=$?
    exit $status
fi

# From here on nginx serves both sites under $SITE_URL, and over TLS under
# $SITE_HTTPS_URL.
LC_ALL=C
export LC_ALL
tmp=$E2E_TMP
HOME=$tmp/home
XDG_CONFIG_HOME=$tmp/home/.config
export HOME XDG_CONFIG_HOME
mkdir -p "$HOME"
server=127.0.0.1:$SITE_PORT
checker="$src/tests/support/check-capture.py"
failures=0

fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# capture NAME ADDRESS WORKPATH [SETTING...]: captures ADDRESS into a new Web,
# with the settings given (KEY=VALUE, section [Options]) in the velbrin.ini of
# the working directory WORKPATH; prints its capture directory (empty when the
# capture failed). The status of the program is in $tmp/NAME.status.
capture() {
    name=$1 address=$2 work=$3
    shift 3
    mkdir -p "$work"
    { echo "[Options]"; for setting in "$@"; do echo "$setting"; done; } >"$work/velbrin.ini"
    status=0
    "$cli" "$address" --workpath "$work" "$tmp/options.ini" >"$tmp/$name.out" 2>"$tmp/$name.err" || status=$?
    echo $status >"$tmp/$name.status"
    if [ $status -ne 0 ]; then
        echo "FAIL: capture of $address: exit status $status" >&2
        sed 's/^/  | /' "$tmp/$name.out" "$tmp/$name.err" >&2
        return
    fi
    sed -n 's/^New Web .* in \(.*\)$/\1/p' "$tmp/$name.out"
}

# --- The checker itself, on a copy whose faults are known -------------------
# Sixteen broken local references, one of each kind a browser follows, and
# two mentions of the server outside the footer and the OLD* attributes.
known=$tmp/known
mkdir -p "$known"
printf 'x' >"$known/bg.png"
printf 'x' >"$known/pic.png"
cat >"$known/Style.css" <<EOF
/*OLDREF=http://$server/s.css*/ @import url("gone2.css");
p { background: url(pic.png) }
EOF
cat >"$known/page.htm" <<EOF
<html><head><link rel=stylesheet href="Style.css"><script src="gone.js"></script>
<style>@import "missing.css"; body { background: url('bg.png') }</style></head>
<body background="bg.png" style="background: url(nothere.png)">
<a href="#top">top</a> <a href="page.htm#x">self</a> <a href="mailto:a@example.invalid">mail</a>
<a href="javascript:void(0)">script</a> <a href="http://elsewhere.example.invalid/">out</a>
<img src="pic.PNG" srcset="pic.png 1x, big.png 2x">
<video src="v.mp4" poster="poster.png"></video><audio src="a.ogg"></audio><track src="t.vtt">
<embed src="e.swf"><object data="o.swf"></object><iframe src="f.htm"></iframe><source src="s.webm">
<map><area href="../up.htm"></map><meta http-equiv="refresh" content="0; url=gone.htm">
<a href="http://$server/x.html" OLDREF="http://$server/y.html">server</a>
<script>var u = "https://$server/z";</script>
</body></html>
<!--VELBRIN=ON-->  <p><hr>Captured by Velbrin from  <A HREF=http://$server/page.html>http://$server/page.html</a> : 01/02/03  <hr> <!--VELBRIN=OFF--> 
EOF
status=0
python3 "$checker" "$known" --server "$server" >"$tmp/known.out" || status=$?
[ $status -eq 1 ] || fail "the checker ends with status $status on a faulty copy"
grep -q "^  broken local references: 16\$" "$tmp/known.out" || fail "the checker misses broken references"
grep -q "^  server references: 2 (1 outside links)\$" "$tmp/known.out" || fail "the checker misses server references"
if [ $failures -eq 0 ]; then
    echo "checker: finds the faults of a copy made for it"
else
    sed 's/^/  | /' "$tmp/known.out"
fi
cp -R "$known" "$tmp/known2"
sed 's|: 01/02/03  |: 12/31/99  |' "$known/page.htm" >"$tmp/known2/page.htm"
printf '<dt>Speed</dt><dd>0 bytes/s</dd>' >"$known/_Home.htm"
printf '<dt>Speed</dt><dd>3692544 bytes/s</dd>' >"$tmp/known2/_Home.htm"
python3 "$checker" --compare "$known" "$tmp/known2" >/dev/null ||
    fail "the footer's date or the session's speed makes two copies differ"
printf 'y' >"$tmp/known2/bg.png"
python3 "$checker" --compare "$known" "$tmp/known2" >/dev/null && fail "a changed picture leaves two copies the same"

# Everything the sites hold, whatever its type; no limits but the site's
# own directory.
cat >"$tmp/options.ini" <<EOF
[OPTIONS]
MIMES=+ALL
InternalLinkDepth=100
EOF

# --- The Python documentation ----------------------------------------------
python_dir=$(capture python "${SITE_URL}python/" "$tmp/work-python")
if [ -n "$python_dir" ]; then
    sed -n 's/^Session: /python: /p' "$tmp/python.out"
    pages=$(ls "$python_dir" | grep -c '\.html*$' || true)
    # About 530 pages, the program's own pages aside.
    [ "$pages" -ge 500 ] || fail "the Python copy holds only $pages pages"
    python3 "$checker" "$python_dir" --server "$server" || fail "the Python copy does not read offline"
else
    fail "the Python documentation was not captured"
fi

# --- The Exim manual ------------------------------------------------
# Its index style sheet names pictures four directories up, out of the site
# (its web site's layout): they are missing on the server too.
# The copies of the manual are compared with each other, so they are made
# over one connection: with several, two pages whose short names collide
# (ch-the_e.htm, ch-the_1.htm) are named in the order their answers arrive,
# which changes from one capture to the next.
one="MaxSockets=1"
exim_dir=$(capture exim "${SITE_URL}exim/" "$tmp/work-exim" "$one")
if [ -n "$exim_dir" ]; then
    sed -n 's/^Session: /exim: /p' "$tmp/exim.out"
    pages=$(ls "$exim_dir" | grep -c '\.html*$' || true)
    [ "$pages" -ge 70 ] || fail "the Exim copy holds only $pages pages"
    python3 "$checker" "$exim_dir" --server "$server" --ignore '/static/doc/' ||
        fail "the Exim copy does not read offline"
    # A second capture from the same start, into a working directory of its
    # own: the same copy.
    again_dir=$(capture exim-again "${SITE_URL}exim/" "$tmp/work-exim-again" "$one")
    if [ -n "$again_dir" ]; then
        python3 "$checker" --compare "$exim_dir" "$again_dir" || fail "two captures of the Exim manual differ"
    else
        fail "the Exim manual was not captured again"
    fi
else
    fail "the Exim manual was not captured"
fi

# --- The Exim manual over https -------------------------------------
# The same directory from the TLS server, its certificate signed by the test
# authority that velbrin.ini names.
https_server=${SITE_HTTPS_URL#https://}
https_server=${https_server%/}
https_dir=$(capture exim-https "${SITE_HTTPS_URL}exim/" "$tmp/work-exim-https" "CaCertificates=$SITE_CA_FILE" "$one")
if [ -n "$https_dir" ]; then
    sed -n 's/^Session: /exim over https: /p' "$tmp/exim-https.out"
    python3 "$checker" "$https_dir" --server "$https_server" --ignore '/static/doc/' ||
        fail "the Exim copy made over https does not read offline"
    if [ -n "$exim_dir" ]; then
        python3 "$checker" --compare "$exim_dir" "$https_dir" --server1 "$SITE_URL" --server2 "$SITE_HTTPS_URL" ||
            fail "the copies made over http and over https differ"
    fi
else
    fail "the Exim manual was not captured over https"
fi

# A start address over http that the server sends over to https: the
# whole copy comes from the https server.
moved_dir=$(capture exim-moved "${SITE_URL}to-https/exim/" "$tmp/work-exim-moved" "CaCertificates=$SITE_CA_FILE")
if [ -n "$moved_dir" ]; then
    pages=$(ls "$moved_dir" | grep -c '\.html*$' || true)
    [ "$pages" -ge 70 ] || fail "the copy of the Exim manual moved to https holds only $pages pages"
    python3 "$checker" "$moved_dir" --server "$https_server" --ignore '/static/doc/' >"$tmp/moved.check" ||
        { sed 's/^/  | /' "$tmp/moved.check"; fail "the Exim copy moved to https does not read offline"; }
else
    fail "the Exim manual moved to https was not captured"
fi

# Without the authority the server's certificate is refused: nothing is
# captured, the program says so by its status, the log names the error.
status=0
"$cli" "${SITE_HTTPS_URL}exim/" --workpath "$tmp/work-exim-untrusted" "$tmp/options.ini" \
    >"$tmp/untrusted.out" 2>"$tmp/untrusted.err" </dev/null || status=$?
untrusted_dir=$(sed -n 's/^New Web .* in \(.*\)$/\1/p' "$tmp/untrusted.out")
[ $status -eq 1 ] || fail "a refused certificate ends the program with status $status"
if [ -n "$untrusted_dir" ] && [ -f "$untrusted_dir/LogFile.htm" ]; then
    grep -q "127\.0\.0\.1 : erreur TLS : .*certificate" "$untrusted_dir/LogFile.htm" ||
        fail "the log does not name the certificate error"
    # Only the log, the report pages and the project file.
    kept=$(ls "$untrusted_dir" | grep -v -x -e LogFile.htm -e NotFound.htm -e BadLink.htm -e LOCAL.WEB || true)
    [ -z "$kept" ] || fail "files were kept from a server whose certificate was refused:" $kept
else
    fail "the capture with a refused certificate left no log"
fi

# Certificate errors accepted: the copy is the one made with the authority,
# and the log tells which error was let through.
accepted_dir=$(capture exim-accepted "${SITE_HTTPS_URL}exim/" "$tmp/work-exim-accepted" "IgnoreCertificateErrors=1" "$one")
if [ -n "$accepted_dir" ]; then
    grep -q "127\.0\.0\.1 : certificat accept.* malgr.* l'erreur : .*certificate" "$accepted_dir/LogFile.htm" ||
        fail "the log does not say that a certificate error was accepted"
    if [ -n "$https_dir" ]; then
        python3 "$checker" --compare "$https_dir" "$accepted_dir" ||
            fail "the copy made with certificate errors accepted differs"
    fi
else
    fail "the Exim manual was not captured with certificate errors accepted"
fi

if [ $failures -ne 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "all checks passed"
