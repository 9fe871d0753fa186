#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Checks the program without a window: the test report (--test), date prefixes and
# rename masks on temporary folders.
set -u
source "$(dirname "$0")/common.bash"
export TZ=UTC0
unset VARLIME_TODAY

mkdir "$work/p"
printf 1 > "$work/p/IMG_0042.jpg"; printf 2 > "$work/p/PIC_0042.jpg"; printf 3 > "$work/p/beach.jpg"
touch -d '2024-03-05 09:00' "$work/p/IMG_0042.jpg" "$work/p/PIC_0042.jpg"
touch -d '2023-12-31 23:59' "$work/p/beach.jpg"

check "test report" "$(printf '%s\n' \
    'Le fichier IMG_0042.jpg doit être varlimé en PIC_0042.jpg' 'ce fichier existe déjà,' \
    'modifiez la cible (PIC_0042.jpg) pour IMG_0042.jpg' '' \
    'Vous varlimez PIC_0042.jpg avec son propre nom' '')" \
    "$("$varlime" --test "$work/p" --prefix '[{IMG}{PIC}]' --mask '*0042*'; echo "rc=$?" >"$work/rc")"
check "test report status" "rc=0" "$(cat "$work/rc")"
check "test no error" "*** Aucune erreur à signaler ***" "$("$varlime" --test "$work/p" --prefix N)"
check "test invalid name" \
    "$(printf '%s\n' 'Le fichier beach.jpg ne peut pas être varlimé en "be/ch.jpg" : nom de fichier invalide' '')" \
    "$("$varlime" --test "$work/p" --prefix '[{a}{/}]' --mask 'b*')"
check "test changes nothing" "IMG_0042.jpg PIC_0042.jpg beach.jpg" "$(cd "$work/p" && echo *)"
# A read-only folder refuses every rename, which no row tells by itself. Root may write
# anywhere: the program then runs as an ordinary user.
mkdir "$work/ro"; printf 1 > "$work/ro/a.jpg"; chmod 555 "$work/ro"
as_user=()
if [ "$(id -u)" = 0 ]; then
    chmod 755 "$work" "$home"
    as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
fi
check "test read-only folder" "$(printf '%s\n' \
    "Le répertoire $work/ro/ n'autorise pas le renommage (lecture seule) : aucun fichier ne pourra être varlimé." '')" \
    "$("${as_user[@]}" "$varlime" --test "$work/ro" --prefix X)"
chmod 755 "$work/ro"
mkdir "$work/empty"
check "test empty folder" "*** Aucune erreur à signaler ***" "$("$varlime" --test "$work/empty" --prefix X)"

check "fixed date right" "$(printf 'beach.jpg\t2024-03-05_001.jpg\nIMG_0042.jpg\t2024-03-05_002.jpg\nPIC_0042.jpg\t2024-03-05_003.jpg')" \
    "$("$varlime" --preview "$work/p" --date-prefix fixed:2024-03-05 --date-format 1)"
check "fixed date left" "$(printf 'beach.jpg\t001_2024-03-05.jpg\nIMG_0042.jpg\t002_2024-03-05.jpg\nPIC_0042.jpg\t003_2024-03-05.jpg')" \
    "$("$varlime" --preview "$work/p" --date-prefix fixed:2024-03-05 --date-format 1 --counter-left)"
check "fixed date no separator" "$(printf 'beach.jpg\t05032024001.jpg')" \
    "$("$varlime" --preview "$work/p" --mask 'b*' --date-prefix fixed:2024-03-05 --date-format 2 --no-date-separator)"
check "fixed date dash" "$(printf 'beach.jpg\t05-03-24-001.jpg')" \
    "$("$varlime" --preview "$work/p" --mask 'b*' --date-format 7 --date-separator - --date-prefix fixed:2024-03-05)"
check "today injected" "$(printf 'beach.jpg\t240229_001.jpg')" \
    "$(VARLIME_TODAY=2024-02-29 "$varlime" --preview "$work/p" --mask 'b*' --date-prefix fixed --date-format 4)"
check "date from file" "$(printf 'beach.jpg\t20231231_001.jpg\nIMG_0042.jpg\t20240305_002.jpg\nPIC_0042.jpg\t20240305_003.jpg')" \
    "$("$varlime" --preview "$work/p" --date-prefix file)"

"$varlime" --preview "$work/p" --date-prefix fixed:2023-02-29 >/dev/null 2>"$work/err"; rc=$?
check "impossible date status" 2 "$rc"
"$varlime" --preview "$work/p" --date-format 8 >/dev/null 2>&1; rc=$?
check "date format out of range" 2 "$rc"
"$varlime" --preview "$work/p" --date-prefix yesterday >/dev/null 2>&1; rc=$?
check "unknown date source" 2 "$rc"

check "mask keep digits" "$(printf 'beach.jpg\tVAC001.jpg\nIMG_0042.jpg\tVAC0042.jpg\nPIC_0042.jpg\tVAC0042.jpg')" \
    "$("$varlime" --preview "$work/p" --prefix '[VAC&N]')"
check "mask replace, counter inactive" "$(printf 'beach.jpg\tbeach.jpg\nIMG_0042.jpg\tPIC_0042.jpg\nPIC_0042.jpg\tPIC_0042.jpg')" \
    "$("$varlime" --preview "$work/p" --prefix '[{IMG}{PIC}]' --counter-inactive)"
check "mask replace, counter active" "$(printf 'beach.jpg\tbeach01.jpg\nIMG_0042.jpg\tPIC_004202.jpg\nPIC_0042.jpg\tPIC_004203.jpg')" \
    "$("$varlime" --preview "$work/p" --prefix '[{IMG}{PIC}]' --counter-active --width 2)"
check "mask affixes" "$(printf 'beach.jpg\t2024_beach_Paris.jpg')" \
    "$("$varlime" --preview "$work/p" --mask 'b*' --prefix '[2024_*_Paris]')"
check "malformed mask is a prefix" "$(printf 'beach.jpg\t[abc1.jpg')" \
    "$("$varlime" --preview "$work/p" --mask 'b*' --prefix '[abc' --width 1)"
finish
