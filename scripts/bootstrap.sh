#!/bin/sh
# bootstrap.sh [TARGET...]
#
# Installs the Debian packages the build and the tests need (when missing),
# then configures the project into build/ and builds the targets named, or
# every target without any.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)

packages="g++ cmake make pkg-config qt6-base-dev qt6-multimedia-dev libgl-dev zlib1g-dev libbrotli-dev libgtest-dev libgmock-dev libbenchmark-dev
          nginx-light util-linux iproute2 xdg-utils openssl python3 python3.11-doc exim4-doc-html"
missing=""
for p in $packages; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
    echo "Installing:$missing"
    if [ "$(id -u)" -eq 0 ]; then SUDO=""; else SUDO="sudo"; fi
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $missing
fi

jobs=$(nproc 2>/dev/null || echo 2)
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
if [ $# -gt 0 ]; then
    cmake --build "$root/build" -j"$jobs" --target "$@"
else
    cmake --build "$root/build" -j"$jobs"
fi
