#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds every libFuzzer target with clang into build-fuzz/ (or
# $VELORAN_BUILD_DIR) and runs each one for SECONDS (default 60), starting
# from its seed corpus in the repository. New inputs go to a scratch folder
# that is removed at the end; the seeds are left as they are. Exits non-zero
# on any finding, whose input is kept in <build>/findings/.
# VELORAN_FUZZ_RUNS=N runs N inputs per target instead of a time.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
secs=${1:-60}
build=${VELORAN_BUILD_DIR:-$here/build-fuzz}
bash "$here/scripts/setup-debian.sh"
CXX=clang++ cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELORAN_FUZZ=ON >/dev/null
cmake --build "$build" --target fuzz -j"$(nproc)" >&2

work=$(mktemp -d "${TMPDIR:-/tmp}/veloran-fuzz.XXXXXX")
trap 'rm -rf "$work"' EXIT
limit=(-max_total_time="$secs")
[ -n "${VELORAN_FUZZ_RUNS:-}" ] && limit=(-runs="$VELORAN_FUZZ_RUNS")
failed=0
while read -r name corpus; do
  [ -n "$name" ] || continue
  mkdir -p "$work/$name/corpus" "$work/$name/findings"
  echo "== $name (${limit[*]})"
  if "$build/fuzz/$name" "${limit[@]}" -print_final_stats=1 \
       -artifact_prefix="$work/$name/findings/" "$work/$name/corpus" "$corpus" \
       >"$work/$name/log" 2>&1; then
    grep -E '^stat::(number_of_executed_units|average_exec_per_sec|peak_rss_mb)' "$work/$name/log" || true
  else
    failed=1
    tail -n 40 "$work/$name/log"
    mkdir -p "$build/findings"
    cp -r "$work/$name/findings/." "$build/findings/" 2>/dev/null || true
    echo "$name: FINDING (inputs kept in $build/findings)"
  fi
done <"$build/fuzz-targets.txt"
exit $failed
