#!/usr/bin/env bash
# Runs every fuzz target of a fuzz build for a bounded time each.
#
#   tests/fuzz.sh <fuzz-build-dir> <seconds>
#
# Each executable in <fuzz-build-dir>/fuzz/ runs for <seconds> seconds with its
# own corpus in <fuzz-build-dir>/fuzz-corpus/<name>/, which grows from run to
# run. A target whose source (fuzz/<name>.cpp) has a line
#   // fuzz-seeds: <dir> [<dir>...]
# is also given those directories (relative to the repository) as seeds.
# Crash inputs land in <fuzz-build-dir>/fuzz-artifacts/<name>/. Exits non-zero
# when a target finds a crash (or cannot run).
set -u

if [ $# -ne 2 ]; then
    echo "usage: $0 <fuzz-build-dir> <seconds>" >&2
    exit 2
fi
build=$(cd "$1" 2>/dev/null && pwd) || { echo "$0: no directory $1" >&2; exit 2; }
seconds=$2
case $seconds in
    '' | *[!0-9]*) echo "$0: seconds must be a whole number" >&2; exit 2 ;;
esac
repo=$(cd "$(dirname "$0")/.." && pwd)

if [ ! -d "$build/fuzz" ]; then
    echo "$0: no $build/fuzz (configure with -DVELBRIN_FUZZ=ON and build first)" >&2
    exit 2
fi

passed=0
failed=0
for target in "$build"/fuzz/*; do
    [ -f "$target" ] && [ -x "$target" ] || continue
    name=$(basename "$target")
    corpus="$build/fuzz-corpus/$name"
    artifacts="$build/fuzz-artifacts/$name"
    log="$build/fuzz-artifacts/$name.log"
    mkdir -p "$corpus" "$artifacts"

    seeds=()
    source_file="$repo/fuzz/$name.cpp"
    if [ -f "$source_file" ]; then
        for dir in $(sed -n 's|^// fuzz-seeds:||p' "$source_file"); do
            [ -d "$repo/$dir" ] && seeds+=("$repo/$dir")
        done
    fi

    echo "== $name: ${seconds}s"
    "$target" "$corpus" "${seeds[@]}" \
        -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 \
        -artifact_prefix="$artifacts/" -print_final_stats=1 >"$log" 2>&1
    status=$?
    if [ $status -eq 0 ]; then
        passed=$((passed + 1))
        grep -E "^(stat::number_of_executed_units|stat::peak_rss_mb)|^Done " "$log" | sed 's/^/   /'
    else
        failed=$((failed + 1))
        echo "   FAILED with status $status; log: $log"
        tail -n 40 "$log" | sed 's/^/   /'
    fi
done

if [ $((passed + failed)) -eq 0 ]; then
    echo "$0: no fuzz targets in $build/fuzz" >&2
    exit 2
fi
echo "fuzz: $passed passed, $failed failed"
[ $failed -eq 0 ]
