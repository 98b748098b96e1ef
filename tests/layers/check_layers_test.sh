#!/bin/sh
# The layer check passes on this checkout and fails on a copy with an
# include or a link planted upwards.
set -u
root=$1
check="$root/scripts/check-layers.sh"
fail() { echo "FAIL: $*"; exit 1; }

"$check" "$root" || fail "the checkout has upward includes or links"

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir -p "$tmp/src"
cp -R "$root/src/core" "$root/src/html" "$root/src/store" "$tmp/src/"
"$check" "$tmp" >/dev/null || fail "a clean copy fails"

printf '#include "store/WebTree.h"\n' >>"$tmp/src/html/Tag.h"
out=$("$check" "$tmp") && fail "an upward include passes"
echo "$out" | grep -q "src/html/Tag.h includes store/" || fail "the planted include is not named: $out"

cp "$root/src/html/Tag.h" "$tmp/src/html/Tag.h"
echo 'target_link_libraries(velbrin_core PUBLIC velbrin_store)' >>"$tmp/src/core/CMakeLists.txt"
out=$("$check" "$tmp") && fail "an upward link passes"
echo "$out" | grep -q "src/core/CMakeLists.txt links velbrin_store" || fail "the planted link is not named: $out"

mkdir -p "$tmp/src/extra"
out=$("$check" "$tmp") && fail "a folder outside the layers passes"
echo "ok"
