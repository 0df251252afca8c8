#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the build into a scratch prefix with cmake --install and starts the
# installed programs from a folder of their own: they must find their panels,
# pictures, help and each other through the installed layout, and the viewer
# must show the peaks of a sample given on its command line.
# With PYTHON and the package folder the Python module is installed into, the
# installed module must import from there and read the installed sample.
# Usage: install_test.sh CMAKE BUILD_DIR VERSION [PYTHON PYTHON_DIR]
set -euo pipefail
cmake=$1
build=$2
version=$3
python=${4:-}
pydir=${5:-}
prefix=$(mktemp -d "${TMPDIR:-/tmp}/veloran-install.XXXXXX")
trap 'rm -rf "$prefix"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

"$cmake" --install "$build" --prefix "$prefix" >/dev/null
data=$prefix/share/veloran

for f in bin/antenna bin/Kesto bin/rigsim share/veloran/antenna.uir share/veloran/kesto.uir \
         share/veloran/antenna-help.html share/veloran/Horn.bmp share/veloran/Spirla.bmp \
         share/veloran/samples/horn.atn share/applications/org.veloran.antenna.desktop \
         share/applications/org.veloran.kesto.desktop share/mime/packages/veloran.xml \
         share/icons/hicolor/scalable/apps/org.veloran.antenna.svg \
         share/icons/hicolor/scalable/apps/org.veloran.kesto.svg \
         share/metainfo/org.veloran.antenna.metainfo.xml \
         share/metainfo/org.veloran.kesto.metainfo.xml \
         share/icons/hicolor/scalable/mimetypes/application-x-veloran-atn.svg \
         share/man/man1/antenna.1 share/man/man1/Kesto.1 share/man/man1/atn.1 \
         share/man/man1/rigsim.1 bin/atn; do
  [ -e "$prefix/$f" ] || fail "$f is not installed"
done
# PNG icons of every size a desktop looks up, for both programs and the file type.
for size in 16 24 32 48 64 128 256; do
  for icon in apps/org.veloran.antenna apps/org.veloran.kesto mimetypes/application-x-veloran-atn; do
    png=$prefix/share/icons/hicolor/${size}x$size/$icon.png
    [ -f "$png" ] || fail "$png is not installed"
    # The width and height fields of the PNG header, big-endian at bytes 16 and 20.
    read -r w h < <(od -An -tu1 -j16 -N8 "$png" | awk '{print $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8}')
    [ "$w $h" = "$size $size" ] || fail "$png is $w x $h"
  done
done

# Nothing of the tests or the build tools.
extra=$(cd "$prefix" && find . -type f \( -name '*test*' -o -name 'rtdemo.uir' -o -name 'rtogl.uir' \
          -o -name uirgen -o -name antpics -o -name '*.a' -o -name 'sweep_bench' \) | sort)
[ -z "$extra" ] || fail "installed but not wanted: $extra"

# Started from an unrelated folder, so nothing is found by accident.
cd "$prefix"
sample=$data/samples/horn.atn
out=$(QT_QPA_PLATFORM=offscreen "$prefix/bin/antenna" --self-check "$sample" 2>/dev/null) \
  || fail "antenna --self-check ended with $?: $out"
echo "$out"
while read -r kind name path; do
  case $kind in
    panels|picture|help) [ "$path" = "$data/$name" ] || fail "$name found at $path, not in $data" ;;
    program) [ "$path" = "$prefix/bin/Kesto" ] || fail "Kesto found at $path" ;;
  esac
done <<<"$out"
grep -qx "file $sample" <<<"$out" || fail "the sample was not opened"

# The peaks of the file itself: the lowest angle of the greatest level above
# -30 dB in each plane (header, person, n description lines, date, time, 360
# levels per plane).
expect=$(awk 'NR == 1 { n = $4 }
  NR > 1 {
    i = NR - (n + 5)            # E levels start after date and time
    if (i >= 0 && i < 360) e[i] = $1
    j = NR - (n + 367)
    if (j >= 0 && j < 360) h[j] = $1
  }
  function peak(a, name,   k, best, at) {
    best = -30; at = -1
    for (k = 0; k < 360; k++) if (a[k] + 0 > best) { best = a[k] + 0; at = k }
    printf "%s %d %.6f\n", name, at, best
  }
  END { peak(e, "E-peak"); peak(h, "H-peak") }' "$sample")
while read -r name angle level; do
  got=$(grep "^$name " <<<"$out") || fail "no $name readout"
  [ "$got" = "$name $angle $level" ] || fail "$got, the file says $name $angle $level"
done <<<"$expect"

out=$(QT_QPA_PLATFORM=offscreen "$prefix/bin/Kesto" --self-check 2>/dev/null) \
  || fail "Kesto --self-check ended with $?: $out"
[ "$out" = "panels kesto.uir $data/kesto.uir" ] || fail "Kesto: $out"
[ "$("$prefix/bin/antenna" --version)" = "antenna $version" ] || fail "installed antenna's version"

if [ -n "$python" ]; then
  site=$prefix/$pydir
  for f in veloran/__init__.py veloran/plot.py; do
    [ -f "$site/$f" ] || fail "$pydir/$f is not installed"
  done
  ls "$site"/veloran/_veloran*.so >/dev/null 2>&1 || fail "the module's extension is not installed"
  out=$(PYTHONPATH=$site "$python" -c '
import sys, veloran
p = veloran.read(sys.argv[1])
print(veloran.__file__)
print("E-peak", p.metrics()["e"]["peak_angle_deg"])' "$sample") || fail "the installed module: $out"
  [ "$(sed -n 1p <<<"$out")" = "$site/veloran/__init__.py" ] || fail "veloran imported from $(sed -n 1p <<<"$out")"
  want=$(grep '^E-peak ' <<<"$expect" | cut -d' ' -f1,2)
  [ "$(sed -n 2p <<<"$out")" = "$want" ] || fail "installed module: $(sed -n 2p <<<"$out"), the file says $want"
fi
echo "installed layout works"
