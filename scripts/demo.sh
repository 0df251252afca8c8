#!/usr/bin/env bash
# Builds the programs and starts them against the simulated rig.
#   scripts/demo.sh          everything (the measurement program and, once it
#                            exists, the viewer)
#   scripts/demo.sh kesto    only the measurement program Kesto
# Kesto's port 1 is pointed at a pseudo-terminal on which bin/rigsim plays the
# rig (VELORAN_COM1); choose "Port 1" in the port chooser. Extra options for
# the simulated rig go in RIGSIM_ARGS, e.g. RIGSIM_ARGS="--antenna dipole".
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
what=${1:-all}

# VELORAN_DEMO_NO_BUILD=1 runs what is already built in $VELORAN_BUILD_DIR.
if [ "${VELORAN_DEMO_NO_BUILD:-0}" = 1 ]; then
    build=${VELORAN_BUILD_DIR:-$here/build}
else
    build=$("$here/scripts/build.sh" | tail -n 1)
fi
bin="$build/bin"

pids=()
cleanup() {
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    wait 2>/dev/null || true
}
trap cleanup EXIT INT TERM

start_kesto() {
    local link
    link=$(mktemp -u /tmp/veloran-rig-XXXXXX)
    # shellcheck disable=SC2086
    "$bin/rigsim" --link "$link" ${RIGSIM_ARGS:-} < /dev/null >&2 &
    pids+=($!)
    for _ in $(seq 50); do
        [ -e "$link" ] && break
        sleep 0.1
    done
    [ -e "$link" ] || { echo "demo: the simulated rig did not start" >&2; exit 1; }
    echo "demo: simulated rig on $link (port 1)" >&2
    VELORAN_COM1="$link" "$bin/Kesto"
}

start_viewer() {
    # The viewer, started in the folder of the sample patterns (File > Open).
    (cd "$bin/samples" && exec "$bin/antenna") & pids+=($!)
}

case "$what" in
    all) start_viewer; start_kesto ;;
    kesto) start_kesto ;;
    *) echo "usage: $0 [kesto]" >&2; exit 2 ;;
esac
