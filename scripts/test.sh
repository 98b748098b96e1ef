#!/bin/sh
# Builds the project and runs the whole test suite.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/bootstrap.sh"
cd "$root/build"
ctest --output-on-failure --no-tests=error -j"$(nproc 2>/dev/null || echo 2)" "$@"
