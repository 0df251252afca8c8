#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds the programs and starts them against the
# simulated rig.
#   scripts/demo.sh          the measurement program Kesto and the viewer
#   scripts/demo.sh kesto    only Kesto
#   scripts/demo.sh viewer   only the viewer (its "new measurement" command
#                            starts Kesto on the simulated rig too)
# Port 1 of Kesto is pointed at a pseudo-terminal on which bin/rigsim plays the
# rig (VELORAN_COM1): choose "Port 1" in the port chooser. Options for the
# simulated rig go in RIGSIM_ARGS (default "--antenna yagi"); `bin/rigsim
# --help` lists them. Both programs work in bin/samples, where the sample
# patterns lie and new measurements are saved.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
what=${1:-all}
case "$what" in
    all|kesto|viewer) ;;
    *) echo "usage: $0 [kesto|viewer]" >&2; exit 2 ;;
esac

# VELORAN_DEMO_NO_BUILD=1 runs what is already built in $VELORAN_BUILD_DIR.
if [ "${VELORAN_DEMO_NO_BUILD:-0}" = 1 ]; then
    build=${VELORAN_BUILD_DIR:-$here/build}
else
    bash "$here/scripts/setup-debian.sh"
    # Only the programs and the files they load: the tests, benchmarks and
    # tools come with scripts/test.sh, into the same build folder.
    build=$(VELORAN_BUILD_TARGETS="Kesto antenna rigsim atn" bash "$here/scripts/build.sh" | tail -n 1)
fi
bin="$build/bin"

pids=()
rigdir=
cleanup() {
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    wait 2>/dev/null || true
    [ -z "$rigdir" ] || rm -rf "$rigdir"
}
trap cleanup EXIT INT TERM

start_rig() {
    local link
    # The link lives in a folder only this user can enter, so that no other
    # local user can put a link of their own in its place; a folder of its
    # own (rather than rigsim's default, $XDG_RUNTIME_DIR/veloran-rig) lets
    # two demos run side by side.
    rigdir=$(mktemp -d "${XDG_RUNTIME_DIR:-${TMPDIR:-/tmp}}/veloran-rig.XXXXXX")
    link="$rigdir/rig"
    # shellcheck disable=SC2086
    "$bin/rigsim" --link "$link" ${RIGSIM_ARGS:---antenna yagi} < /dev/null >&2 &
    pids+=($!)
    for _ in $(seq 50); do
        [ -e "$link" ] && break
        sleep 0.1
    done
    [ -e "$link" ] || { echo "demo: the simulated rig did not start" >&2; exit 1; }
    echo "demo: simulated rig on $link (port 1)" >&2
    export VELORAN_COM1="$link"
}

start_rig
cd "$bin/samples"
case "$what" in
    all)
        "$bin/antenna" & viewer=$!
        "$bin/Kesto" || true
        wait "$viewer" || true ;;
    kesto) "$bin/Kesto" ;;
    viewer) "$bin/antenna" ;;
esac
