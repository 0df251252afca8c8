#!/usr/bin/env bash
# Builds the Debian package: a release build without tests into
# build-package/ (or $VELORAN_BUILD_DIR), then cpack. Prints the path of the
# .deb on its last line; lintian checks it when installed.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${VELORAN_BUILD_DIR:-$here/build-package}
# Debian's hardening flags (fortified functions, stack protector, full RELRO).
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
flags="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
ldflags=$(dpkg-buildflags --get LDFLAGS)
cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
  -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="$ldflags" >/dev/null
cmake --build "$build" -j"$(nproc)" >&2
(cd "$build" && cpack -G DEB >&2)
deb=$(ls -t "$build"/veloran_*.deb | head -n 1)
if command -v lintian >/dev/null; then
  lintian --info "$deb" >&2 || { echo "lintian found errors in $deb" >&2; exit 1; }
fi
echo "$deb"
