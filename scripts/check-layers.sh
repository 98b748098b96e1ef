#!/bin/sh
# Checks that no library includes or links a library of a higher layer.
# Usage: check-layers.sh [ROOT]   (ROOT: the checkout, by default this one)
# The layers, lowest first; a folder of src/ may use the folders before it
# and itself. app/ stands above them all. Exit 1 with one line per fault.
set -eu
root=${1:-$(cd "$(dirname "$0")/.." && pwd)}
layers="core html store maps rewrite config net index capture browser media ui"

rank() {
    n=0
    for l in $layers; do
        [ "$l" = "$1" ] && { echo "$n"; return; }
        n=$((n + 1))
    done
    echo ""
}

faults=$(mktemp)
trap 'rm -f "$faults"' EXIT

for dir in "$root"/src/*/; do
    folder=$(basename "$dir")
    own=$(rank "$folder")
    if [ -z "$own" ]; then
        echo "src/$folder: a folder that is in no layer" >>"$faults"
        continue
    fi
    # Includes: #include "other/File.h"
    for file in "$dir"*.h "$dir"*.cpp; do
        [ -e "$file" ] || continue
        sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([a-z]*\)\/.*/\1/p' "$file" | sort -u |
        while read -r used; do
            r=$(rank "$used")
            if [ -n "$r" ] && [ "$r" -gt "$own" ]; then
                echo "src/$folder/$(basename "$file") includes $used/, a higher layer" >>"$faults"
            fi
        done
    done
    # Links: velbrin_<folder> in the folder's CMakeLists.txt.
    if [ -f "$dir/CMakeLists.txt" ]; then
        grep -o 'velbrin_[a-z]*' "$dir/CMakeLists.txt" | sed 's/^velbrin_//' | sort -u |
        while read -r used; do
            [ "$used" = "library" ] && continue
            r=$(rank "$used")
            if [ -z "$r" ]; then
                echo "src/$folder/CMakeLists.txt names velbrin_$used, which is no folder's library" >>"$faults"
            elif [ "$r" -gt "$own" ]; then
                echo "src/$folder/CMakeLists.txt links velbrin_$used, a higher layer" >>"$faults"
            fi
        done
    fi
done

if [ -s "$faults" ]; then
    sort "$faults"
    exit 1
fi
echo "layers: every include and link runs downwards"
