#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Checks the program without a window on odd input: no display at all, folder and file
# names that are not UTF-8 or hold control characters, stored or given values it
# cannot use.
set -u
source "$(dirname "$0")/common.bash"
testdata="$2"

# No display and a platform that would need one: a window-free command never asks for it.
mkdir "$work/plain"; printf x > "$work/plain/a.jpg"
out=$(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb "$varlime" --preview "$work/plain" --prefix P 2>&1)
check "no display" "$(printf 'a.jpg\tP001.jpg')" "$out"

# A folder and a name that are not UTF-8, through a mask, renamed by their bytes.
odd="$work/f$(printf '\366')to"
mkdir "$odd"; printf 1 > "$odd/caf$(printf '\351').jpg"
check "non-UTF-8 preview" "$(printf 'caf\351.jpg\tcaf\351_s.jpg')" "$("$varlime" --preview "$odd" --prefix '[*_s]')"
"$varlime" --rename "$odd" --prefix '[*_s]' >/dev/null; rc=$?
check "non-UTF-8 rename status" 0 "$rc"
check "non-UTF-8 renamed" "1" "$(cat "$odd/caf$(printf '\351')_s.jpg" 2>/dev/null)"

# Control characters and backslashes in names are escaped, one row a line.
mkdir "$work/ctl"; printf x > "$work/ctl/"$'a\nb.jpg'; printf x > "$work/ctl/"$'c\td\\e\033.jpg'
check "escaped rows" "$(printf '%s\t%s\n%s\t%s' 'a\nb.jpg' 'P1.jpg' 'c\td\\e\x1B.jpg' 'P2.jpg')" \
    "$("$varlime" --preview "$work/ctl" --prefix P --width 1)"

# A stored value that is no number stops the run before anything is listed or renamed.
# (A copy of the program, so its settings file lives in a folder of this check.)
mkdir "$work/bin"; cp "$varlime" "$work/bin/varlime"
printf '[FORMATS]\nDATE=abc\n' > "$work/bin/varlime.ini"
"$work/bin/varlime" --rename "$work/plain" --prefix Q >"$work/out" 2>"$work/err"; rc=$?
check "bad stored date status" 1 "$rc"
check "bad stored date message" "varlime: 'abc' is not a valid integer value" "$(cat "$work/err")"
check "bad stored date renames nothing" "a.jpg" "$(ls "$work/plain")"

# Values the fields could never hold are refused, not replaced.
"$varlime" --preview "$work/plain" --prefix P --start 123456789 >/dev/null 2>&1; rc=$?
check "start longer than its field" 2 "$rc"
"$varlime" --preview "$work/plain" --date-prefix fixed:1700-01-01 >/dev/null 2>&1; rc=$?
check "date before the picker's range" 2 "$rc"

# --dump opens a path exactly as given.
cp "$testdata/photos/Canon_40D.jpg" "$odd/p$(printf '\351').jpg"
"$varlime" --dump "$odd/p$(printf '\351').jpg" | grep -q '^Make = Canon' && ok=yes || ok=no
check "dump of a non-UTF-8 path" yes "$ok"

finish
