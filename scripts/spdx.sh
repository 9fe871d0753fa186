#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Every source file opens with its licence, as an SPDX line: the first line of a C++ file,
# the line after the shebang of a script (the first line of a script without one, and of
# a CMake file).
#   scripts/spdx.sh         lists the files lacking the line; fails when there is one
#   scripts/spdx.sh --fix   adds the line where it lacks (running it again changes nothing)
# A file that names another licence in that place keeps it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
licence="GPL-3.0-or-later"
mode=${1:-check}
case "$mode" in
  check | --fix) ;;
  *) echo "usage: $0 [--fix]" >&2; exit 2 ;;
esac

# The files of the tree: those git knows, and new ones not ignored; a copy without git
# is walked, leaving out the build folders.
list_files() {
  if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    git ls-files -z --cached --others --exclude-standard
  else
    find . \( -name .git -o -path ./build -o -path './build-*' \) -prune -o -type f -print0 |
      sed -z 's|^\./||'
  fi
}

# The comment mark of a source file, nothing for a file that is not source. Sample files
# and fuzzing inputs are data, whatever their names.
comment_of() {
  case "$1" in
    tests/data/* | fuzz/seeds*/* | fuzz/regressions*/* | tests/exif/golden/*) ;;
    *.cpp | *.h | *.c | *.hpp | *.cc) echo "//" ;;
    *.sh | *.bash | *.py | *.cmake | CMakeLists.txt | */CMakeLists.txt | .ci/run) echo "#" ;;
  esac
}

# True when the file holds an SPDX line where it belongs.
has_line() {
  local first second
  {
    IFS= read -r first || true
    IFS= read -r second || true
  } <"$1"
  if [[ "$first" == "#!"* ]]; then
    first=$second
  fi
  [[ "$first" == *"SPDX-License-Identifier:"* ]]
}

# Adds the line: after the shebang when there is one, else first. Permissions and
# links are kept by writing the file in place.
add_line() {
  local file=$1 line="$2 SPDX-License-Identifier: $licence" first contents
  contents=$(cat "$1"; printf x)
  contents=${contents%x}
  IFS= read -r first <"$file" || true
  if [[ "$first" == "#!"* ]]; then
    local rest=""
    [[ "$contents" != *$'\n'* ]] || rest=${contents#*$'\n'}
    printf '%s\n%s\n%s' "$first" "$line" "$rest" >"$file"
  else
    printf '%s\n%s' "$line" "$contents" >"$file"
  fi
}

lacking=()
total=0
while IFS= read -r -d '' f; do
  [ -f "$f" ] || continue
  mark=$(comment_of "$f")
  [ -n "$mark" ] || continue
  total=$((total + 1))
  has_line "$f" && continue
  if [ "$mode" = --fix ]; then
    add_line "$f" "$mark"
  fi
  lacking+=("$f")
done < <(list_files | sort -z)

if [ "$mode" = --fix ]; then
  echo "spdx: added the licence line to ${#lacking[@]} of $total source files"
  exit 0
fi
if [ ${#lacking[@]} -gt 0 ]; then
  echo "No SPDX licence line at the top (${#lacking[@]} of $total source files; add it with scripts/spdx.sh --fix):"
  printf '  %s\n' "${lacking[@]}"
  exit 1
fi
echo "spdx: every one of the $total source files names its licence"
