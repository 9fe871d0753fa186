#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# --help, -h, --version and an unknown option, as a new user meets them.
source "$(dirname "$0")/common.bash"
src="$(cd "$(dirname "$0")/../.." && pwd)"

"$varlime" --help >"$work/help" 2>"$work/err"
check "help status" 0 "$?"
check "help writes nothing on stderr" "" "$(cat "$work/err")"
"$varlime" -h >"$work/h"
check "-h is --help" "$(cat "$work/help")" "$(cat "$work/h")"

# Every command and option the README names has its line in the help.
options=$(sed -n '/^## Without a window/,/^## [A-Z]/p' "$src/README.md" | grep -o -- '--[a-z][a-z0-9-]*' | sort -u)
check "README names the options" 1 "$([ "$(wc -w <<<"$options")" -gt 30 ] && echo 1)"
for opt in $options; do
    grep -q -- "^ *$opt\b\|, $opt\b" "$work/help" || { echo "FAIL help lacks $opt"; fail=1; }
done
# The groups, the exit statuses and the render width limit.
while IFS= read -r line; do
    grep -qF -- "$line" "$work/help" || { echo "FAIL help lacks: $line"; fail=1; }
done <<'LINES'
Commands (no window, no display needed):
Naming options (--preview, --rename, --test, --import):
Import options:
EXIF naming options:
Companion files:
Exit status:
  2  the command line is wrong
  --render FILE OUT.png [--width N]
N pixels wide (N from 1 to 16384)
LINES
check "help fits 80 columns" "" "$(LC_ALL=C.UTF-8 awk 'length > 80' "$work/help")"

version=$(sed -n 's/^project(varlime VERSION \([0-9.]*\).*/\1/p' "$src/CMakeLists.txt")
check "version" "varlime $version" "$("$varlime" --version)"

# An unknown option names itself and points to --help, with status 2, wherever it is.
while IFS='|' read -r name bad args; do
    out=$("$varlime" $args 2>&1 >/dev/null)
    rc=$?
    check "$name status" 2 "$rc"
    check "$name message" "varlime: unknown option $bad
Try 'varlime --help' for the commands and options." "$out"
done <<ROWS
alone|--frobnicate|--frobnicate
after a folder|--bogus|$work --bogus
after a command|--bogus|--preview $work --bogus
undo|--now|--undo $work --now
ROWS
finish
