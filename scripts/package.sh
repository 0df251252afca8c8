#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package from debian/ (the rules that dpkg-buildpackage
# -us -uc -b uses) in a copy of the tree under build-package/ (or
# $VELORAN_BUILD_DIR), so the sources stay clean and dpkg-buildpackage's
# outputs land in that folder rather than beside the tree. The quick path:
# the tests are neither built nor run, unless --check is given. lintian then
# checks the result. Prints the path of the .deb on its last line.
#   scripts/package.sh [--check]
# VELORAN_MAINTAINER, VELORAN_HOMEPAGE, VELORAN_BUGTRACKER and
# VELORAN_SCREENSHOTS_URL are handed to debian/rules (see README).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${VELORAN_BUILD_DIR:-$here/build-package}
check=0
case "${1:-}" in
  --check) check=1 ;;
  "") ;;
  *) echo "usage: $0 [--check]" >&2; exit 2 ;;
esac

version=$(cd "$here" && dpkg-parsechangelog -S Version)
upstream=${version%-*}
src=$build/veloran-$upstream
rm -rf "$build"
mkdir -p "$src"
# The files git tracks, as they are in the working tree; outside a git
# checkout, everything but build folders.
if git -C "$here" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  (cd "$here" && git ls-files -z | tar --null -T - -cf -) | tar -xf - -C "$src"
else
  (cd "$here" && tar --exclude='./build*' --exclude=./obj-* -cf - .) | tar -xf - -C "$src"
fi

opts=${DEB_BUILD_OPTIONS:-}
[ "$check" = 1 ] || opts="$opts nocheck"
case " $opts " in *" parallel="*) ;; *) opts="$opts parallel=$(nproc)" ;; esac
(cd "$src" && DEB_BUILD_OPTIONS="${opts# }" dpkg-buildpackage -us -uc -b >&2)
rm -rf "$src"

arch=$(dpkg-architecture -qDEB_HOST_ARCH)
deb=$build/veloran_${version}_$arch.deb
changes=$build/veloran_${version}_$arch.changes
[ -f "$deb" ] || { echo "package.sh: no $deb was made" >&2; exit 1; }
if command -v lintian >/dev/null; then
  lintian --fail-on error,warning "$changes" >&2 || { echo "lintian found faults in $deb" >&2; exit 1; }
fi
echo "$deb"
