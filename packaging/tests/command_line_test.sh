#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# --help, --version and what the programs refuse on their command line.
# Usage: command_line_test.sh BIN_DIR VERSION
set -euo pipefail
bin=$1
version=$2
scratch=$(mktemp -d "${TMPDIR:-/tmp}/veloran-cli.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# run PROGRAM ARGS...: sets status, out (standard output), err (standard error)
run() {
  status=0
  "$bin/$1" "${@:2}" >"$scratch/out" 2>"$scratch/err" || status=$?
  out=$(cat "$scratch/out")
  err=$(cat "$scratch/err")
}

# No display is needed for any of this: nothing below may start the GUI.
unset DISPLAY WAYLAND_DISPLAY
export QT_QPA_PLATFORM=xcb

for p in antenna Kesto; do
  for h in --help -h; do
    run "$p" "$h"
    [ "$status" = 0 ] || fail "$p $h: status $status: $err"
    [ "$(head -n 1 <<<"$out")" = "Usage: $p [options]$([ $p = antenna ] && echo ' [FILE.atn]')" ] \
      || fail "$p $h: $out"
    grep -q -- '--version' <<<"$out" || fail "$p $h does not list --version"
    [ -z "$err" ] || fail "$p $h wrote to standard error: $err"
  done
  for v in --version -v; do
    run "$p" "$v"
    [ "$status" = 0 ] && [ "$out" = "$p $version" ] || fail "$p $v: $status '$out'"
  done
  for bad in --frobnicate -x --help=3; do
    run "$p" "$bad"
    [ "$status" = 2 ] || fail "$p $bad: status $status"
    [ -z "$out" ] || fail "$p $bad wrote to standard output: $out"
    [ "$(wc -l <<<"$err")" = 1 ] || fail "$p $bad: not one line: $err"
    grep -q "^$p: " <<<"$err" || fail "$p $bad: $err"
  done
done
grep -q "Unknown option 'frobnicate'" <<<"$(run antenna --frobnicate; echo "$err")" \
  || fail "the unknown option is not named"
run antenna a.atn b.atn
[ "$status" = 2 ] && [ "$(wc -l <<<"$err")" = 1 ] || fail "two files: $status $err"
run Kesto file.atn
[ "$status" = 2 ] && [ "$(wc -l <<<"$err")" = 1 ] || fail "Kesto with an argument: $status $err"

# rigsim's link: in the user's private run-time folder, never a fixed name in
# /tmp; without that folder it must be given.
status=0
env -u XDG_RUNTIME_DIR timeout 10 "$bin/rigsim" --antenna iso </dev/null >"$scratch/out" 2>"$scratch/err" || status=$?
[ "$status" = 2 ] || fail "rigsim without XDG_RUNTIME_DIR or --link: status $status"
[ "$(wc -l <"$scratch/err")" = 1 ] && grep -q -- '--link' "$scratch/err" \
  || fail "rigsim without a link: $(cat "$scratch/err")"
[ ! -e /tmp/veloran-rig ] || [ /tmp/veloran-rig -ot "$scratch" ] || fail "rigsim made /tmp/veloran-rig"
run rigsim --help
grep -q 'XDG_RUNTIME_DIR/veloran-rig' <<<"$out" || fail "rigsim --help does not name its default link"
! grep -q '/tmp' <<<"$out" || fail "rigsim --help still names /tmp"
mkdir -m 700 "$scratch/run"
XDG_RUNTIME_DIR=$scratch/run "$bin/rigsim" --antenna iso </dev/null >"$scratch/rig.out" 2>"$scratch/rig.err" &
rig=$!
for _ in $(seq 50); do [ -L "$scratch/run/veloran-rig" ] && break; sleep 0.1; done
[ -L "$scratch/run/veloran-rig" ] || { kill "$rig"; fail "no link in XDG_RUNTIME_DIR: $(cat "$scratch/rig.err")"; }
[ "$(readlink "$scratch/run/veloran-rig")" = "$(head -n 1 "$scratch/rig.out")" ] \
  || { kill "$rig"; fail "the link does not point at the device rigsim printed"; }
kill "$rig"
wait "$rig" || true
[ ! -e "$scratch/run/veloran-rig" ] || fail "rigsim left its link behind"
echo "command lines answered"
