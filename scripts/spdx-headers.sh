#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Gives every tracked source file the licence line
#   SPDX-License-Identifier: GPL-3.0-or-later
# as its first comment, in the file's own comment syntax: after a "#!" line in
# scripts, after the XML declaration (or the HTML doctype) in markup. A file
# that already names a licence this way is left as it is, so the script can
# be run again at any time.
#   scripts/spdx-headers.sh           add the line where it is missing
#   scripts/spdx-headers.sh --check   only list the files without it (status 1 if any)
# Not touched, for want of a comment syntax or because they are not source:
# data (pattern and MSI files, fuzz seeds, pictures), the documentation
# (*.md, LICENSE) and debian/changelog, debian/control, debian/copyright and
# debian/source/format, whose formats Debian's tools read strictly.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
check=0
case "${1:-}" in
  --check) check=1 ;;
  "") ;;
  *) echo "usage: $0 [--check]" >&2; exit 2 ;;
esac
id="SPDX-License-Identifier: GPL-3.0-or-later"

# style PATH: the comment syntax of a file, or nothing for a file left out.
style() {
  case "$1" in
    *.cpp|*.cc|*.c|*.h|*.hpp) echo cpp ;;
    *.sh|*.py|*.cmake|*.cmake.in|CMakeLists.txt|*/CMakeLists.txt|*.supp|*.desktop|*.desktop.in \
      |.gitignore|*/.gitignore|.clang-format|debian/rules|*.lintian-overrides) echo hash ;;
    *.ui|*.xml|*.xml.in|*.svg|*.qrc) echo xml ;;
    *.html|*.htm) echo html ;;
    *.[1-8]|*.[1-8].in) echo troff ;;
  esac
}

# comment STYLE: the licence line in that syntax.
comment() {
  case "$1" in
    cpp) echo "// $id" ;;
    hash) echo "# $id" ;;
    xml|html) echo "<!-- $id -->" ;;
    troff) echo ".\\\" $id" ;;
  esac
}

cd "$here"
missing=()
while IFS= read -r -d '' f; do
  [ -f "$f" ] && [ ! -L "$f" ] || continue
  s=$(style "$f")
  [ -n "$s" ] || continue
  # Any licence named in the head counts (the AppStream files are FSFAP).
  head -n 5 "$f" | grep -q 'SPDX-License-Identifier:' && continue
  missing+=("$f")
  [ "$check" = 1 ] && continue
  line=$(comment "$s")
  first=$(head -n 1 "$f")
  # After a line that must stay first: "#!", "<?xml ...?>", "<!DOCTYPE ...>".
  keep=0
  case "$s:$first" in
    hash:'#!'*|cpp:'#!'*) keep=1 ;;
    xml:'<?xml'*|html:'<!DOCTYPE'*|html:'<!doctype'*) keep=1 ;;
  esac
  tmp=$(mktemp "$f.spdx.XXXXXX")
  if [ "$keep" = 1 ]; then
    { printf '%s\n' "$first"; printf '%s\n' "$line"; tail -n +2 "$f"; } >"$tmp"
  else
    { printf '%s\n' "$line"; cat "$f"; } >"$tmp"
  fi
  chmod --reference="$f" "$tmp"
  mv "$tmp" "$f"
done < <(git ls-files -z)

if [ "$check" = 1 ]; then
  [ ${#missing[@]} -eq 0 ] && exit 0
  printf 'no licence line: %s\n' "${missing[@]}" >&2
  exit 1
fi
[ ${#missing[@]} -eq 0 ] || printf 'licence line added: %s\n' "${missing[@]}" >&2
