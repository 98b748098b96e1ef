#!/bin/bash
# capture_compare.sh [--rounds N] [--build DIR] [--pages N] [--pictures N]
#                    [--python-doc DIR] [--sites "python generated"]
#                    [--tools "velbrin wget2 httrack"] [--https] [--keep]
#
# Captures two sites served by nginx on loopback (tests/support/with-site.sh,
# inside a private network namespace) with velbrin-cli, wget2 and HTTrack, all
# with 5 connections, in alternating order over several rounds, and prints for
# each site and tool the median wall time (end to end: for velbrin-cli the
# resolution pass and the index pages included), the median CPU time of the
# process tree (user + sys, /usr/bin/time), the largest peak resident size and
# the number of files stored.
#
# Sites:
#   python     the HTML documentation of python3.11-doc (/usr/share/doc/python3.11/html)
#   generated  PAGES pages and PICTURES tiny GIFs written by generate_site.py
#
# --https serves the sites over TLS with a certificate of a throw-away
# authority (tests/support/make-test-ca.sh), which velbrin-cli (CaCertificates)
# and wget2 (--ca-certificate) are told to trust; HTTrack does not check
# certificates.
#
# velbrin-cli runs with a fresh working path each time, whose velbrin.ini sets
# MaxSockets=5 and an internal link depth deep enough for the whole site.
# wget2:   --mirror --convert-links --page-requisites --no-parent --max-threads=5
# httrack: -c5 -s0 -A0 -%c0 -%! (5 connections, no robots.txt, no rate limits;
#          without -%! its built-in limits hold it to about one file a second)
#
# Run as root, the script installs what is missing (wget2, httrack, nginx,
# time, python3.11-doc) with apt-get. Nothing is sent beyond 127.0.0.1: the
# script refuses to run outside the private namespace unless
# VELBRIN_NO_NETNS=1 is set by hand.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
repo=$(dirname "$here")
with_site=$repo/tests/support/with-site.sh

rounds=3
build=$repo/build-bench
pages=20000
pictures=5000
python_doc=/usr/share/doc/python3.11/html
sites="python generated"
tools="velbrin wget2 httrack"
keep=0
https=0
inner_site=
results=

while [ $# -gt 0 ]; do
    case $1 in
    --rounds) rounds=$2; shift 2 ;;
    --build) build=$(cd "$2" && pwd); shift 2 ;;
    --pages) pages=$2; shift 2 ;;
    --pictures) pictures=$2; shift 2 ;;
    --python-doc) python_doc=$2; shift 2 ;;
    --sites) sites=$2; shift 2 ;;
    --tools) tools=$2; shift 2 ;;
    --keep) keep=1; shift ;;
    --https) https=1; shift ;;
    --inner) inner_site=$2; results=$3; shift 3 ;;
    -h|--help) sed -n '2,/^set -e/p' "$0" | sed '$d; s/^# \{0,1\}//'; exit 0 ;;
    *) echo "capture_compare: unknown argument $1" >&2; exit 2 ;;
    esac
done

cli=$build/bin/velbrin-cli

# --- One site, inside with-site.sh ----------------------------------------

# The files a tool stored: regular files under the directory, less the ones
# the tool writes for itself.
count_velbrin() {
    find "$1" -maxdepth 1 -type f ! -name 'LOCAL.WEB' ! -name 'LogFile.htm' ! -name 'NotFound.htm' \
        ! -name 'BadLink.htm' ! -name '_Home*.htm' ! -name '_Ix[HIOE]*.htm' ! -name '_velbrin_*' | wc -l
}

run_velbrin() {
    local dir=$1
    mkdir -p "$dir/home" "$dir/work" "$dir/webs"
    cat >"$dir/work/velbrin.ini" <<INI
[Options]
MaxSockets=5
${SITE_CA_FILE:+CaCertificates=$SITE_CA_FILE}
[Web]
Path=$dir/webs
[DEFAULT]
InternalLinkDepth=255
INI
    (cd "$dir" && env -u XDG_CONFIG_HOME HOME="$dir/home" \
        /usr/bin/time -f '%e %U %S %M' -o "$dir/time" \
        "$cli" "$SITE_URL" --workpath "$dir/work" >"$dir/out.txt" 2>"$dir/err.txt") || true
    local web
    web=$(dirname "$(find "$dir/webs" -name LOCAL.WEB | head -1)")
    echo "$(count_velbrin "$web") $(du -sk "$web" | cut -f1)"
}

run_wget2() {
    local dir=$1
    mkdir -p "$dir/out"
    (cd "$dir/out" && /usr/bin/time -f '%e %U %S %M' -o "$dir/time" \
        wget2 --quiet ${SITE_CA_FILE:+--ca-certificate=$SITE_CA_FILE} --mirror --convert-links --page-requisites --no-parent --max-threads=5 \
        "$SITE_URL" >"$dir/out.txt" 2>"$dir/err.txt") || true
    echo "$(find "$dir/out" -type f | wc -l) $(du -sk "$dir/out" | cut -f1)"
}

run_httrack() {
    local dir=$1
    mkdir -p "$dir/out"
    (cd "$dir" && /usr/bin/time -f '%e %U %S %M' -o "$dir/time" \
        httrack "$SITE_URL" -O "$dir/out" -c5 -s0 -A0 -%c0 '-%!' -q >"$dir/out.txt" 2>"$dir/err.txt") || true
    local mirror=$dir/out/127.0.0.1_$SITE_PORT
    [ -d "$mirror" ] || mirror=$dir/out
    echo "$(find "$mirror" -type f | wc -l) $(du -sk "$mirror" | cut -f1)"
}

inner() {
    if [ "${VELBRIN_IN_NETNS:-}" != 1 ] && [ "${VELBRIN_NO_NETNS:-}" != 1 ]; then
        echo "capture_compare: no private network namespace; set VELBRIN_NO_NETNS=1 to run on the shared loopback" >&2
        exit 1
    fi
    if [ "$https" = 1 ]; then
        SITE_URL=$SITE_HTTPS_URL
        SITE_PORT=$SITE_HTTPS_PORT
    else
        unset SITE_CA_FILE
    fi
    local scratch
    scratch=$(mktemp -d "${TMPDIR:-/tmp}/capture-compare-XXXXXX")
    local list
    read -r -a list <<<"$tools"
    for ((round = 1; round <= rounds; ++round)); do
        # Each round starts with another tool, so that none always runs first.
        local order=()
        for ((k = 0; k < ${#list[@]}; ++k)); do
            order+=("${list[$(((k + round - 1) % ${#list[@]}))]}")
        done
        for tool in "${order[@]}"; do
            local dir=$scratch/$tool-$round
            rm -rf "$dir"
            mkdir -p "$dir"
            sync
            local stored
            stored=$(run_$tool "$dir")
            read -r wall user sys rss < <(tail -n 1 "$dir/time") || true
            echo "$inner_site $tool $round $wall $user $sys $rss $stored" | tee -a "$results" >&2
            [ "$keep" = 1 ] || rm -rf "$dir"
        done
    done
    [ "$keep" = 1 ] && echo "capture_compare: outputs kept in $scratch" >&2 || rm -rf "$scratch"
}

if [ -n "$inner_site" ]; then
    inner
    exit 0
fi

# --- Set-up and report ------------------------------------------------------

install_missing() {
    local missing=()
    command -v wget2 >/dev/null || missing+=(wget2)
    command -v httrack >/dev/null || missing+=(httrack)
    command -v nginx >/dev/null || [ -x /usr/sbin/nginx ] || missing+=(nginx)
    [ -x /usr/bin/time ] || missing+=(time)
    case " $sites " in *" python "*) [ -d "$python_doc" ] || missing+=(python3.11-doc) ;; esac
    [ ${#missing[@]} -eq 0 ] && return
    if [ "$(id -u)" = 0 ]; then
        echo "capture_compare: installing ${missing[*]}" >&2
        DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}" >&2
    else
        echo "capture_compare: missing ${missing[*]}; run as root to install them" >&2
        exit 1
    fi
}

install_missing
if [ ! -x "$cli" ]; then
    echo "capture_compare: no $cli; build it first (cmake --build $build --target velbrin-cli)" >&2
    exit 1
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/capture-compare-XXXXXX")
trap 'rm -rf "$work"' EXIT
# nginx's workers run as an unprivileged user: the generated site must be readable.
chmod 755 "$work"
results=$work/results
: >"$results"
declare -A docroot html_pages

for site in $sites; do
    case $site in
    python) docroot[$site]=$python_doc ;;
    generated)
        echo "capture_compare: generating $pages pages and $pictures pictures" >&2
        python3 "$here/generate_site.py" "$work/site" "$pages" "$pictures"
        docroot[$site]=$work/site
        ;;
    *) echo "capture_compare: unknown site $site" >&2; exit 2 ;;
    esac
    html_pages[$site]=$(find -L "${docroot[$site]}" -type f -name '*.html' | wc -l)
    echo "capture_compare: site $site, ${html_pages[$site]} HTML pages, $(du -sLh "${docroot[$site]}" | cut -f1)" >&2
    "$with_site" $([ "$https" = 1 ] && echo --https) "${docroot[$site]}" "$0" --rounds "$rounds" \
        --build "$build" --tools "$tools" --inner "$site" "$results" \
        $([ "$keep" = 1 ] && echo --keep) $([ "$https" = 1 ] && echo --https)
done

echo
echo "Served over $([ "$https" = 1 ] && echo https || echo http)."
echo "Median of $rounds rounds; peak memory is the largest of the rounds; cost per page = median CPU / HTML pages of the site."
printf '%-10s %-8s %8s %8s %8s %8s %9s %8s %10s\n' site tool wall_s cpu_s user_s sys_s peak_MB files stored_MB
for site in $sites; do
    for tool in $tools; do
        awk -v site="$site" -v tool="$tool" -v pages="${html_pages[$site]}" '
            function median(a, n,   i, j, t) {
                for (i = 1; i <= n; ++i) for (j = i + 1; j <= n; ++j) if (a[j] < a[i]) { t = a[i]; a[i] = a[j]; a[j] = t }
                return n % 2 ? a[(n + 1) / 2] : (a[n / 2] + a[n / 2 + 1]) / 2
            }
            $1 == site && $2 == tool {
                ++n; wall[n] = $4; cpu[n] = $5 + $6; user[n] = $5; sys[n] = $6
                if ($7 > rss) rss = $7
                files = $8; kb = $9
            }
            END {
                if (n == 0) exit
                c = median(cpu, n)
                printf "%-10s %-8s %8.2f %8.2f %8.2f %8.2f %9.1f %8d %10.1f   (%.2f ms CPU/page)\n",
                    site, tool, median(wall, n), c, median(user, n), median(sys, n), rss / 1024, files, kb / 1024,
                    1000 * c / pages
            }' "$results"
    done
done
