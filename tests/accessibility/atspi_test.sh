#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs atspi_test.py in a session bus of its own, with the accessibility bus
# and its registry, under the X display the tests run on (or a private Xvfb).
# Where a part is missing the test is skipped (status 77) on a developer's
# machine, and fails where CI is set, as the CI machine must have it all.
# Usage: atspi_test.sh BIN_DIR SOURCE_DIR
set -euo pipefail
bin=$1
src=$2
here=$(cd "$(dirname "$0")" && pwd)

missing() {
  if [ -n "${CI:-}" ]; then
    echo "FAIL: $* (scripts/setup-debian.sh installs it)" >&2
    exit 1
  fi
  echo "skipped: $*" >&2
  exit 77
}

command -v dbus-run-session >/dev/null || missing "dbus-run-session is not installed"
[ -x /usr/libexec/at-spi-bus-launcher ] || missing "at-spi2-core is not installed"
# The system's Python carries the Debian bindings; another python3 first on
# the PATH (a virtual environment, pyenv) would not see them.
python=
for p in /usr/bin/python3 python3; do
  if command -v "$p" >/dev/null \
    && "$p" -c 'import gi; gi.require_version("Atspi", "2.0")' 2>/dev/null; then
    python=$p
    break
  fi
done
[ -n "$python" ] || missing "the AT-SPI client bindings (python3-pyatspi) are not installed"

scratch=$(mktemp -d "${TMPDIR:-/tmp}/veloran-atspi.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
trap 'exit 143' TERM INT
# Settings, the accessibility bus's socket and every file the programs
# write stay in the scratch folder.
mkdir -m 700 "$scratch/home" "$scratch/run"
export HOME=$scratch/home XDG_CONFIG_HOME=$scratch/home/.config XDG_CACHE_HOME=$scratch/home/.cache
export XDG_RUNTIME_DIR=$scratch/run XDG_DATA_HOME=$scratch/home/.local/share
unset DBUS_SESSION_BUS_ADDRESS AT_SPI_BUS_ADDRESS

run=(dbus-run-session -- "$python" "$here/atspi_test.py" "$bin" "$src" "$scratch")
if [ -z "${DISPLAY:-}" ]; then
  command -v xvfb-run >/dev/null || missing "no X display and no xvfb-run"
  run=(xvfb-run -a -s "-screen 0 1280x1024x24" "${run[@]}")
fi
status=0
"${run[@]}" || status=$?
exit "$status"
