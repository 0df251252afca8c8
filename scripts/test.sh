#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds and runs every test headless under Xvfb.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
bash "$here/scripts/setup-debian.sh"
build=$(bash "$here/scripts/build.sh" | tail -n 1)
cd "$build"
# In the sanitizer build every report ends its test process with a failure,
# leaks included; scripts/lsan.supp lists the libraries' one-time allocations.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:halt_on_error=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$here/scripts/lsan.supp:print_suppressions=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}
# The package's own tests (label package) build it twice and take minutes:
# README says how to run them.
xvfb-run -a -s "-screen 0 1280x1024x24" ctest --output-on-failure -LE package -j"$(nproc)"
