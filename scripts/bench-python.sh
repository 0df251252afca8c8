#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Times the Python module against atn and a plain NumPy parser: read +
# metrics of 1,000 pattern files in Python beside "atn info --json" on the
# same files, and veloran.read beside a NumPy parser of the file, with the
# machine's load before each run (python/bench/bench_read.py says more).
#   bash scripts/bench-python.sh [build-folder] [number of files]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
count=${2:-1000}
python=$(sed -n 's/^Python3_EXECUTABLE:FILEPATH=//p' "$build/CMakeCache.txt" 2>/dev/null || true)
python=${python:-/usr/bin/python3}
[ -x "$build/bin/atn" ] || { echo "no $build/bin/atn: build the atn target first" >&2; exit 1; }
ls "$build"/python/veloran/_veloran*.so >/dev/null 2>&1 \
  || { echo "no Python module in $build/python: build the veloran_python target first" >&2; exit 1; }
PYTHONPATH=$build/python exec "$python" "$here/python/bench/bench_read.py" \
  "$build/bin/atn" "$build/bin/samples" "$count"
