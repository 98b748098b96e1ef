#!/bin/sh
# Builds the project and runs the main job.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/bootstrap.sh"
exec "$root/build/bin/velbrin-cli" --version
