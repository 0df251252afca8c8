#!/usr/bin/env bash
# Installs what is missing, builds and runs every test headless under Xvfb.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
bash "$here/scripts/setup-debian.sh"
bash "$here/scripts/build.sh"
build=${VELORAN_BUILD_DIR:-$here/build}
cd "$build"
xvfb-run -a -s "-screen 0 1280x1024x24" ctest --output-on-failure -j"$(nproc)"
