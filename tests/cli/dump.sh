#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Checks `varlime --dump FILE...`: the dump of every sample photo equals its golden
# text, several files are dumped in turn, and missing or odd files never crash it.
set -u
varlime="$1"
testdata="${2:-$(cd "$(dirname "$0")/../data" && pwd)}"
golden="$(cd "$(dirname "$0")/../exif/golden" && pwd)"
export LC_ALL=C
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail=0
check() { # name expected actual
    if [ "$2" != "$3" ]; then
        echo "FAIL $1"; diff <(printf '%s\n' "$2") <(printf '%s\n' "$3") | head -20; fail=1
    else
        echo "ok   $1"
    fi
}

photos="$testdata/photos"
count=0
while IFS= read -r -d '' f; do
    rel="${f#"$photos"/}"
    expected="$(cat "$golden/${rel//\//__}.txt")"
    check "dump $rel" "$expected" "$("$varlime" --dump "$f")"
    count=$((count + 1))
done < <(find "$photos" -type f -print0 | sort -z)
[ "$count" -ge 25 ] || { echo "FAIL only $count sample photos found in $photos"; fail=1; }

# Two files in one call: their dumps one after the other.
check "two files" "$(cat "$golden/Canon_40D.jpg.txt" "$golden/no_exif.jpg.txt")" \
    "$("$varlime" --dump "$photos/Canon_40D.jpg" "$photos/no_exif.jpg")"

# A missing file: the dump with an empty outcome, status 1, and the next file still dumped.
out="$("$varlime" --dump "$work/missing.jpg" "$photos/Canon_40D.jpg")"; rc=$?
check "missing file status" 1 "$rc"
check "missing file dump" "$(printf ' \n-- EXIF-Data -------------- \nErrStr = \n'; cat "$golden/Canon_40D.jpg.txt")" "$out"

# A folder and an empty file named like pictures.
mkdir "$work/folder.jpg"; : > "$work/empty.jpg"
check "folder" "$(printf ' \n-- EXIF-Data -------------- \nErrStr = Illegal Exif construction')" \
    "$("$varlime" --dump "$work/folder.jpg")"
check "empty file" "$(printf ' \n-- EXIF-Data -------------- \nErrStr = Not an EXIF file')" \
    "$("$varlime" --dump "$work/empty.jpg")"

"$varlime" --dump >/dev/null 2>"$work/err"; rc=$?
check "no file status" 2 "$rc"
exit $fail
