#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Configures and builds into build/ (or $VELORAN_BUILD_DIR). With
# VELORAN_SANITIZE=1 the build uses the address and undefined-behaviour
# sanitizers, in build-sanitize/ unless VELORAN_BUILD_DIR says otherwise.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
if [ "${VELORAN_SANITIZE:-0}" = 1 ]; then
  build=${VELORAN_BUILD_DIR:-$here/build-sanitize}
  extra=(-DVELORAN_SANITIZE=ON)
else
  build=${VELORAN_BUILD_DIR:-$here/build}
  extra=()
fi
cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${extra[@]}" "$@" >/dev/null
cmake --build "$build" -j"$(nproc)" >&2
echo "$build"
