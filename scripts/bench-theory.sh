#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Times the textbook models of the sixteen library types: each alone, then all
# together as the programs compute them, with the machine's load before each run.
#   bash scripts/bench-theory.sh [build-folder]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
bench=$build/bin/theory_bench
[ -x "$bench" ] || { echo "no $bench: build the theory_bench target first" >&2; exit 1; }
command -v nec2c >/dev/null || echo "nec2c is not installed: the wire types will fail" >&2
for n in 1 2 3; do
  echo "load: $(uptime | sed 's/.*load average: //')"
  "$bench"
done
