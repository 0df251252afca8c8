#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The Debian package as a distribution builds it, in four steps that CTest
# runs in order (label "package"; they take minutes, so scripts/test.sh
# leaves them out and they run only with VELORAN_PACKAGE_TESTS=1):
#   build         the source package and the binary packages (veloran and
#                 python3-veloran) from a scratch
#                 copy of the tracked files (dpkg-buildpackage -us -uc, tests
#                 off: the other tests run them)
#   check         lintian on all of it (no error, no warning), then the
#                 package unpacked into a scratch root: icons in every size,
#                 the file type's icon, the licence fields, no made-up
#                 addresses, complete manual pages, no time of the build
#   reproducible  a second build in another folder, another time zone, umask
#                 and locale: the .deb must be byte for byte the same
#   cleanup       removes the scratch folder
# Usage: package_test.sh STEP SOURCE_DIR BUILD_DIR
# Skipped (status 77) without VELORAN_PACKAGE_TESTS=1 or a tool it needs.
set -euo pipefail
step=$1
src=$2
build=$3
state=$build/package-test-folder
fail() { echo "FAIL: $*" >&2; exit 1; }

[ "${VELORAN_PACKAGE_TESTS:-0}" = 1 ] || { echo "set VELORAN_PACKAGE_TESTS=1 to build the package"; exit 77; }
for t in dpkg-buildpackage dh lintian git xz rsvg-convert man; do
  command -v "$t" >/dev/null || { echo "$t is not installed"; exit 77; }
done
git -C "$src" rev-parse --is-inside-work-tree >/dev/null 2>&1 || { echo "not a git checkout"; exit 77; }
command -v dpkg-checkbuilddeps >/dev/null && (cd "$src" && dpkg-checkbuilddeps -Pnocheck) \
  || { echo "Build-Depends missing"; exit 77; }

version=$(cd "$src" && dpkg-parsechangelog -S Version)
upstream=${version%-*}
epoch=$(cd "$src" && dpkg-parsechangelog -S Timestamp)
arch=$(dpkg-architecture -qDEB_HOST_ARCH)
deb=veloran_${version}_$arch.deb
pydeb=python3-veloran_${version}_$arch.deb

# copy_tree DIR: the tracked files, as they are in the working tree, into DIR.
copy_tree() {
  mkdir -p "$1"
  (cd "$src" && git ls-files -z | tar --null -T - -cf -) | tar -xf - -C "$1"
}

# package DIR [dpkg-buildpackage options]: builds in DIR/veloran-VERSION.
package() {
  local dir=$1
  shift
  copy_tree "$dir/veloran-$upstream"
  (cd "$dir" && DEB_BUILD_OPTIONS="nocheck parallel=$(nproc)" \
     bash -c 'cd veloran-'"$upstream"' && dpkg-buildpackage -us -uc "$@"' _ "$@") \
    >"$dir/build.log" 2>&1 || { tail -n 40 "$dir/build.log" >&2; fail "dpkg-buildpackage failed"; }
}

case $step in
build)
  scratch=$(mktemp -d "${TMPDIR:-/tmp}/veloran-package.XXXXXX")
  echo "$scratch" >"$state"
  copy_tree "$scratch/orig/veloran-$upstream"
  # The upstream tarball: the tree without debian/, in a fixed order and
  # with fixed times and owners.
  tar -C "$scratch/orig" --exclude="veloran-$upstream/debian" --sort=name --mtime="@$epoch" \
      --owner=0 --group=0 --numeric-owner -cJf "$scratch/veloran_$upstream.orig.tar.xz" "veloran-$upstream"
  rm -rf "$scratch/orig"
  package "$scratch"
  for f in "veloran_$version.dsc" "veloran_$version.debian.tar.xz" "$deb" "$pydeb" \
           "veloran_${version}_$arch.changes"; do
    [ -f "$scratch/$f" ] || fail "$f was not made"
  done
  echo "built $(cd "$scratch" && ls ./*.deb ./*.dsc | tr '\n' ' ')"
  ;;

check)
  scratch=$(cat "$state")
  out=$(lintian --fail-on error,warning --display-level '>=warning' "$scratch/veloran_${version}_$arch.changes" 2>&1) \
    || fail "lintian: $out"
  grep -v 'running with root privileges' <<<"$out" | grep . && fail "lintian: $out"
  root=$scratch/root
  rm -rf "$root"
  dpkg-deb -x "$scratch/$deb" "$root"
  ctl=$(dpkg-deb -f "$scratch/$deb")

  # Icons: both programs and the file type, every size, really that size.
  for size in 16 24 32 48 64 128 256; do
    for icon in apps/org.veloran.antenna apps/org.veloran.kesto mimetypes/application-x-veloran-atn; do
      png=$root/usr/share/icons/hicolor/${size}x$size/$icon.png
      [ -f "$png" ] || fail "no $icon at $size px"
      read -r w h < <(od -An -tu1 -j16 -N8 "$png" \
        | awk '{print $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8}')
      [ "$w $h" = "$size $size" ] || fail "$icon at $size px is $w x $h"
    done
  done
  for icon in apps/org.veloran.antenna apps/org.veloran.kesto mimetypes/application-x-veloran-atn; do
    [ -f "$root/usr/share/icons/hicolor/scalable/$icon.svg" ] || fail "no scalable $icon"
  done
  grep -q '<icon name="application-x-veloran-atn"/>' "$root/usr/share/mime/packages/veloran.xml" \
    || fail "the file type names no icon"

  # Licence: the DEP-5 copyright file, the AppStream metadata.
  copyright=$root/usr/share/doc/veloran/copyright
  head -n 1 "$copyright" | grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' \
    || fail "copyright is not machine-readable"
  awk '/^Files: \*$/ { f = 1 } f && /^License:/ { print; exit }' "$copyright" | grep -qx 'License: GPL-3+' \
    || fail "the files are not under GPL-3+"
  grep -q '/usr/share/common-licenses/GPL-3' "$copyright" || fail "copyright does not point at the licence text"
  for m in "$root"/usr/share/metainfo/*.xml; do
    grep -q '<project_license>GPL-3.0-or-later</project_license>' "$m" || fail "$m names no licence"
  done

  # No placeholder domains anywhere: files, binaries, control fields.
  hits=$( (grep -rlaE 'example\.(org|com|net)' "$root" || true; \
           grep -E 'example\.(org|com|net)' <<<"$ctl" || true) )
  [ -z "$hits" ] || fail "placeholder addresses in: $hits"
  # The changelog's stand-in for a missing address stays in the Debian
  # fields; it is no contact to publish in the AppStream metadata.
  ! grep -l 'veloran\.invalid' "$root"/usr/share/metainfo/*.xml || fail "a stand-in address in the metadata"
  grep -q '^Maintainer: .*<.*@.*>' <<<"$ctl" || fail "no Maintainer"

  # atn is part of the package, its manual pages are complete and point at
  # each other.
  grep -q '^ *\* atn ' <<<"$ctl" || fail "the description does not mention atn"
  zcat "$root/usr/share/doc/veloran/changelog.Debian.gz" | grep -q '\batn\b' || fail "the changelog does not mention atn"
  for p in antenna Kesto atn rigsim; do
    page=$root/usr/share/man/man1/$p.1.gz
    [ -f "$page" ] || fail "no manual page for $p"
    text=$(zcat "$page")
    for section in NAME SYNOPSIS DESCRIPTION OPTIONS 'EXIT STATUS' ENVIRONMENT FILES EXAMPLES 'SEE ALSO'; do
      grep -qE "^\.SH \"?$section\"?$" <<<"$text" || fail "$p.1 has no $section"
    done
    for other in antenna Kesto atn rigsim; do
      [ "$other" = "$p" ] && continue
      sed -n '/^\.SH "\?SEE ALSO/,$p' <<<"$text" | grep -q "^\.BR $other (1)" \
        || fail "$p.1 does not refer to $other"
    done
    warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>&1 >/dev/null) || true
    [ -z "$warnings" ] || fail "$p.1: $warnings"
  done
  zcat "$root/usr/share/man/man1/rigsim.1.gz" | grep -qF -- 'unplug\-steps' || fail "rigsim.1 lacks its options"

  # The Python module: its own package, depending on NumPy and the
  # interpreter, recommending matplotlib, importing from its files alone and
  # reading the other package's sample.
  pyctl=$(dpkg-deb -f "$scratch/$pydeb")
  grep -q '^Depends:.*python3-numpy' <<<"$pyctl" || fail "python3-veloran does not depend on python3-numpy"
  grep -q '^Depends:.*python3 (' <<<"$pyctl" || fail "python3-veloran names no interpreter"
  grep -q '^Recommends:.*python3-matplotlib' <<<"$pyctl" || fail "python3-veloran does not recommend matplotlib"
  pyroot=$scratch/pyroot
  rm -rf "$pyroot"
  dpkg-deb -x "$scratch/$pydeb" "$pyroot"
  site=$pyroot/usr/lib/python3/dist-packages
  [ -f "$site/veloran/__init__.py" ] && ls "$site"/veloran/_veloran*.so >/dev/null 2>&1 \
    || fail "python3-veloran lacks the module"
  [ -f "$pyroot/usr/share/doc/python3-veloran/copyright" ] || fail "python3-veloran has no copyright file"
  if command -v python3 >/dev/null && python3 -c 'import numpy' 2>/dev/null; then
    out=$(cd "$scratch" && PYTHONPATH=$site python3 -c '
import sys, veloran
p = veloran.read(sys.argv[1])
assert veloran.__file__.startswith(sys.argv[2]), veloran.__file__
print(p.antenna_name, p.metrics()["e"]["peak_angle_deg"])' "$root/usr/share/veloran/samples/horn.atn" "$site") \
      || fail "python3-veloran does not import: $out"
    echo "python3-veloran reads a sample: $out"
  fi

  # No time of the build: every member's time is at most the changelog's,
  # and the texts name no other date than the release's.
  for d in "$deb" "$pydeb"; do
    newest=$(dpkg-deb --fsys-tarfile "$scratch/$d" | tar -tv --full-time \
               | awk '{print $4 " " $5}' | sort | tail -n 1)
    [ "$(date -u -d "$newest" +%s)" -le "$epoch" ] || fail "a file of $d is dated $newest, after the changelog"
  done
  echo "package checked"
  ;;

reproducible)
  first=$(cat "$state")
  second=$(mktemp -d "${TMPDIR:-/tmp}/veloran-package-again.XXXXXX")
  trap 'rm -rf "$second"' EXIT
  # Another folder (a longer path), time zone, umask and locale.
  mkdir -p "$second/elsewhere/deeper"
  (umask 0002; TZ=Pacific/Kiritimati LC_ALL=C.UTF-8 package "$second/elsewhere/deeper" -b)
  for d in "$deb" "$pydeb"; do
    if ! cmp "$first/$d" "$second/elsewhere/deeper/$d"; then
      rm -rf "$second/a" "$second/b"
      mkdir "$second/a" "$second/b"
      dpkg-deb -R "$first/$d" "$second/a"
      dpkg-deb -R "$second/elsewhere/deeper/$d" "$second/b"
      diff -r "$second/a" "$second/b" | head -n 20 >&2 || true
      fail "two builds of the same source differ in $d"
    fi
    echo "two builds gave the same $d ($(sha256sum <"$first/$d" | cut -c1-16))"
  done
  ;;

cleanup)
  [ -f "$state" ] && rm -rf "$(cat "$state")"
  rm -f "$state"
  ;;
*) fail "unknown step $step" ;;
esac
