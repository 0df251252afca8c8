#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Configures and builds into build/ (or $VELORAN_BUILD_DIR). With
# VELORAN_SANITIZE=1 the build uses the address and undefined-behaviour
# sanitizers, in build-sanitize/ unless VELORAN_BUILD_DIR says otherwise.
# VELORAN_BUILD_TARGETS="Kesto antenna" builds only those targets (and what
# they need at run time) instead of everything.
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
targets=()
for t in ${VELORAN_BUILD_TARGETS:-}; do targets+=(--target "$t"); done
cmake --build "$build" -j"$(nproc)" "${targets[@]}" >&2
echo "$build"
