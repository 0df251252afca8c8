#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Every tracked source file names its licence in its first comment lines, and
# scripts/spdx-headers.sh, which adds the line, changes nothing when run
# again. Skipped (77) outside a git checkout, as in a package build.
# Usage: spdx_test.sh SOURCE_DIR
set -euo pipefail
src=$1
command -v git >/dev/null || { echo "git is not installed"; exit 77; }
git -C "$src" rev-parse --is-inside-work-tree >/dev/null 2>&1 || { echo "not a git checkout"; exit 77; }
fail() { echo "FAIL: $*" >&2; exit 1; }

bash "$src/scripts/spdx-headers.sh" --check || fail "files without their licence line (bash scripts/spdx-headers.sh adds it)"

# The script on a copy of a few kinds of file: the line in the right syntax
# and place, and nothing done the second time.
scratch=$(mktemp -d "${TMPDIR:-/tmp}/veloran-spdx.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch/t/scripts" "$scratch/t/ui"
cp "$src/scripts/spdx-headers.sh" "$scratch/t/scripts/"
printf '#!/bin/sh\necho hi\n' >"$scratch/t/run.sh"
printf 'int main() {}\n' >"$scratch/t/main.cpp"
printf '<?xml version="1.0" encoding="UTF-8"?>\n<ui version="4.0"/>\n' >"$scratch/t/ui/form.ui"
printf '<!DOCTYPE html>\n<html></html>\n' >"$scratch/t/help.html"
printf '.TH X 1\n' >"$scratch/t/x.1.in"
printf '1 2 3\n' >"$scratch/t/data.atn"
printf '// SPDX-License-Identifier: MIT\nint x;\n' >"$scratch/t/other.h"
git -C "$scratch/t" init -q
git -C "$scratch/t" add -A
bash "$scratch/t/scripts/spdx-headers.sh" 2>/dev/null
id="SPDX-License-Identifier: GPL-3.0-or-later"
expect() { # FILE LINE_NUMBER TEXT
  [ "$(sed -n "$2p" "$scratch/t/$1")" = "$3" ] || fail "$1 line $2: $(sed -n "$2p" "$scratch/t/$1")"
}
expect run.sh 1 '#!/bin/sh'
expect run.sh 2 "# $id"
expect run.sh 3 'echo hi'
expect main.cpp 1 "// $id"
expect ui/form.ui 1 '<?xml version="1.0" encoding="UTF-8"?>'
expect ui/form.ui 2 "<!-- $id -->"
expect help.html 1 '<!DOCTYPE html>'
expect help.html 2 "<!-- $id -->"
expect x.1.in 1 ".\\\" $id"
expect data.atn 1 '1 2 3'
expect other.h 1 '// SPDX-License-Identifier: MIT'
before=$(cd "$scratch/t" && cat run.sh main.cpp ui/form.ui help.html x.1.in other.h | md5sum)
bash "$scratch/t/scripts/spdx-headers.sh" 2>/dev/null
after=$(cd "$scratch/t" && cat run.sh main.cpp ui/form.ui help.html x.1.in other.h | md5sum)
[ "$before" = "$after" ] || fail "a second run changed the files"
bash "$scratch/t/scripts/spdx-headers.sh" --check || fail "--check after a run"
echo "every source file names its licence"
