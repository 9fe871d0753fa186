#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Checks that the C++ sources follow the root .clang-format: prints each file that
# differs and fails when there is one. Fix a file with `clang-format -i FILE`. Then checks
# the structure: no function of a window's source over 80 lines, no include cycle
# between the folders of src/. Last, that every source file opens with its licence line
# (scripts/spdx.sh; `scripts/spdx.sh --fix` adds what lacks).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
files=()
while IFS= read -r -d '' f; do
  files+=("$f")
done < <(find src tests bench fuzz -type f \( -name '*.cpp' -o -name '*.h' \) -print0 | sort -z)
# Sources at the top of the tree, if any.
for f in ./*.cpp ./*.h; do
  [ -f "$f" ] && files+=("${f#./}")
done
differ=()
for f in "${files[@]}"; do
  if ! clang-format --style="file:$root/.clang-format" --dry-run --Werror "$f" >/dev/null 2>&1; then
    differ+=("$f")
  fi
done
if [ ${#differ[@]} -gt 0 ]; then
  echo "Not formatted as .clang-format says (${#differ[@]} of ${#files[@]} files):"
  printf '  %s\n' "${differ[@]}"
  exit 1
fi
echo "format: ${#files[@]} files as .clang-format says"
# The structure: no function of a window over 80 lines, no include cycle between folders.
bash scripts/longest-functions.sh 80 >/dev/null || { bash scripts/longest-functions.sh 80; exit 1; }
python3 scripts/include-cycles.py >/dev/null || { python3 scripts/include-cycles.py; exit 1; }
echo "structure: no window function over 80 lines, no include cycle between folders"
# Every source file names its licence on its first line (after a script's shebang).
bash scripts/spdx.sh
