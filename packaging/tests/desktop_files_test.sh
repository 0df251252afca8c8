#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The desktop entries, the AppStream metadata and the atn file type, checked
# with the freedesktop tools (skipped, status 77, where they are missing).
# Usage: desktop_files_test.sh PACKAGING_SOURCE_DIR PACKAGING_BUILD_DIR
set -euo pipefail
src=$1
built=$2
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
appstreamcli validate --no-net --pedantic "$built"/*.metainfo.xml || fail "AppStream metadata"
# The licence, and the release as the changelog dates it (never the build's day).
changelog=$src/../debian/changelog
release=$(sed -n '1s/^veloran (\([^-)]*\).*/\1/p' "$changelog")
day=$(date -u -d "$(sed -n 's/^ -- .*>  //p' "$changelog" | head -n 1)" +%F)
for m in "$built"/*.metainfo.xml; do
  grep -q '<project_license>GPL-3.0-or-later</project_license>' "$m" || fail "$m: no licence"
  grep -q "<release version=\"$release\" date=\"$day\"/>" "$m" || fail "$m: not release $release of $day"
  ! grep -n 'example\.\(org\|com\|net\)\|@' "$m" || fail "$m: a made-up address"
done

# The file type, compiled as the system does it: *.atn is ours, and text.
mkdir -p "$scratch/mime/packages"
cp "$src/veloran-mime.xml" "$scratch/mime/packages/veloran.xml"
XDG_DATA_DIRS=$scratch update-mime-database "$scratch/mime" 2>&1 | { ! grep . ; } || fail "update-mime-database complained"
grep -q '^50:application/x-veloran-atn:\*\.atn$' "$scratch/mime/globs2" || fail "no *.atn glob"
grep -qx 'application/x-veloran-atn text/plain' "$scratch/mime/subclasses" || fail "not a kind of text"
grep -q 'Veloran antenna pattern' "$scratch/mime/application/x-veloran-atn.xml" || fail "no comment"
grep -qx 'application/x-veloran-atn:application-x-veloran-atn' "$scratch/mime/icons" \
  || fail "the file type names no icon of its own"
echo "desktop files valid"
