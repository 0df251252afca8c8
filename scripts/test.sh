#!/usr/bin/env bash
# Installs what is missing, builds and runs every test headless under Xvfb.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
bash "$here/scripts/setup-debian.sh"
build=$(bash "$here/scripts/build.sh" | tail -n 1)
cd "$build"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0}
xvfb-run -a -s "-screen 0 1280x1024x24" ctest --output-on-failure -j"$(nproc)"
