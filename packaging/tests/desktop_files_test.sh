#!/usr/bin/env bash
# The desktop entries, the AppStream metadata and the atn file type, checked
# with the freedesktop tools (skipped, status 77, where they are missing).
# Usage: desktop_files_test.sh PACKAGING_SOURCE_DIR
set -euo pipefail
src=$1
for t in desktop-file-validate appstreamcli update-mime-database; do
  command -v "$t" >/dev/null || { echo "$t is not installed"; exit 77; }
done
scratch=$(mktemp -d "${TMPDIR:-/tmp}/veloran-desktop.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

for d in "$src"/*.desktop; do
  msg=$(desktop-file-validate "$d" 2>&1) || fail "$d: $msg"
  [ -z "$msg" ] || fail "$d: $msg"
done
grep -qx 'Exec=antenna %f' "$src/org.veloran.antenna.desktop" || fail "the viewer's entry takes no file"
grep -qx 'MimeType=application/x-veloran-atn;' "$src/org.veloran.antenna.desktop" \
  || fail "the viewer's entry does not open atn files"
appstreamcli validate --no-net --pedantic "$src"/*.metainfo.xml || fail "AppStream metadata"

# The file type, compiled as the system does it: *.atn is ours, and text.
mkdir -p "$scratch/mime/packages"
cp "$src/veloran-mime.xml" "$scratch/mime/packages/veloran.xml"
XDG_DATA_DIRS=$scratch update-mime-database "$scratch/mime" 2>&1 | { ! grep . ; } || fail "update-mime-database complained"
grep -q '^50:application/x-veloran-atn:\*\.atn$' "$scratch/mime/globs2" || fail "no *.atn glob"
grep -qx 'application/x-veloran-atn text/plain' "$scratch/mime/subclasses" || fail "not a kind of text"
grep -q 'Veloran antenna pattern' "$scratch/mime/application/x-veloran-atn.xml" || fail "no comment"
echo "desktop files valid"
