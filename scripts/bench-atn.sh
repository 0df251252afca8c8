#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Times the atn tool on many files: "atn info --json" over 1,000 pattern files
# and "atn report" over 100; the class report with the textbook models and
# the lab reports (with a reference and the range distance) of one file and
# of a class of 60. The machine's load is shown before each run.
#   bash scripts/bench-atn.sh [build-folder]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
atn=$build/bin/atn
samples=$build/bin/samples
[ -x "$atn" ] || { echo "no $atn: build the atn target first" >&2; exit 1; }
work=$(mktemp -d "${TMPDIR:-/tmp}/atn-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT

# 1,000 files: the samples over and over, each with its own name.
mapfile -t src < <(ls "$samples"/*.atn)
for i in $(seq -w 1 1000); do
  cp "${src[$((10#$i % ${#src[@]}))]}" "$work/p$i.atn"
done

run() { # label, then the command
  local label=$1; shift
  echo "load: $(uptime | sed 's/.*load average: //')"
  local t0 t1
  t0=$(date +%s.%N)
  "$@" > /dev/null
  t1=$(date +%s.%N)
  awk -v a="$t0" -v b="$t1" -v l="$label" 'BEGIN { printf "%s: %.2f s\n", l, b - a }'
}

for n in 1 2 3; do
  run "info --json, 1000 files (run $n)" "$atn" info --json "$work"/p*.atn
done
files=("$work"/p*.atn)
for n in 1 2 3; do
  run "report, 100 files (run $n)" "$atn" report "${files[@]:0:100}" -o "$work/report.pdf"
done
echo "report: $(stat -c %s "$work/report.pdf") bytes, $(pdfinfo "$work/report.pdf" 2>/dev/null | awk '/^Pages/ {print $2}') pages"
lab=(--reference "$samples/dipole.atn" --distance 3)
for n in 1 2 3; do
  run "report --theory, 1 file (run $n)" "$atn" report --theory "${files[0]}" -o "$work/t1.pdf"
  run "report --theory, 60 files (run $n)" "$atn" report --theory "${files[@]:0:60}" -o "$work/t60.pdf"
  run "report --lab, 1 file (run $n)" "$atn" report --lab "${files[0]}" "${lab[@]}" -o "$work/l1.pdf"
  run "report --lab, 60 files (run $n)" "$atn" report --lab "${files[@]:0:60}" "${lab[@]}" -o "$work/l60.pdf"
done
