#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Checks the program without a window: --preview and --rename on a temporary folder.
set -u
source "$(dirname "$0")/common.bash"

mkdir "$work/photos"
printf B > "$work/photos/b.jpg"; printf A > "$work/photos/a.JPG"; printf C > "$work/photos/c"
mkdir "$work/photos/sub"

check "preview" "$(printf 'a.JPG\tIMG001.JPG\nb.jpg\tIMG002.jpg\nc\tIMG003')" \
    "$("$varlime" --preview "$work/photos" --prefix IMG)"
check "preview counter left" "$(printf 'a.JPG\t001IMG.JPG\nb.jpg\t002IMG.jpg\nc\t003IMG')" \
    "$("$varlime" --preview "$work/photos" --prefix IMG --counter-left)"
check "preview alphabetic width 1 start 26" "$(printf 'a.JPG\tPZ.JPG\nb.jpg\tPAA.jpg\nc\tPAB')" \
    "$("$varlime" --preview "$work/photos" --prefix P --alphabetic --width 1 --start 26)"
check "preview extension and mask" "$(printf 'a.JPG\tX01.png\nb.jpg\tX02.png')" \
    "$("$varlime" --preview "$work/photos" --prefix X --width 2 --extension png --mask '*.jpg')"
check "preview all entries" "$(printf 'a.JPG\tF1.JPG\nb.jpg\tF2.jpg\nc\tF3\nsub\tF4')" \
    "$("$varlime" --preview "$work/photos" --prefix F --width 1 --files all)"
check "preview attributes=16" "$(printf 'sub\tD1')" \
    "$("$varlime" --preview "$work/photos" --prefix D --width 1 --files attributes=16 --mask 'su*')"

"$varlime" --preview "$work/missing" >/dev/null 2>"$work/err"; rc=$?
check "missing folder status" 1 "$rc"
grep -q "no such folder" "$work/err" || { echo "FAIL missing folder message"; fail=1; }
"$varlime" --preview "$work/photos" --frobnicate >/dev/null 2>"$work/err"; rc=$?
check "unknown option status" 2 "$rc"
grep -q "unknown option --frobnicate" "$work/err" || { echo "FAIL unknown option message"; fail=1; }
"$varlime" --preview "$work/photos" --width 12 >/dev/null 2>&1; rc=$?
check "bad width status" 2 "$rc"

printf X > "$work/photos/IMG002.jpg.keep"
check "rename summary" "$(printf '4 fichiers varlimés\n0 erreurs')" \
    "$("$varlime" --rename "$work/photos" --prefix IMG --mask '*.*' --files no-folders 2>&1 | grep -v '^$')" 
check "renamed files" "IMG001.JPG IMG002.jpg IMG003 IMG004.keep sub" "$(cd "$work/photos" && echo *)"
check "contents kept" "A B C X" "$(cd "$work/photos" && cat IMG001.JPG; echo -n ' '; cat IMG002.jpg; echo -n ' '; cat IMG003; echo -n ' '; cat IMG004.keep)"

mkdir "$work/chain"; printf 1 > "$work/chain/IMG001.jpg"; printf 2 > "$work/chain/IMG002.jpg"
out=$("$varlime" --rename "$work/chain" --prefix IMG --start 2); rc=$?
check "chain summary" "$(printf '1 fichiers varlimés\n1 erreurs')" "$out"
check "chain status" 3 "$rc"
check "chain files" "IMG001.jpg IMG003.jpg" "$(cd "$work/chain" && echo *)"

finish
