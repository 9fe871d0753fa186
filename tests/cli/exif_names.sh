#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Names composed from EXIF data without a window: --preview, --test and --rename with
# the --exif options, over sample photos and photos tagged here with exiftool.
set -u
source "$(dirname "$0")/common.bash"
photos="$2/photos"
export VARLIME_TODAY=2026-12-07

d="$work/exif"
mkdir "$d"
cp "$photos/Canon_40D.jpg" "$d/IMG_0042.jpg"
cp "$photos/Canon_40D.jpg" "$d/IMG_0043.jpg"
# A picture without any metadata (the sample's XMP and EXIF taken away).
exiftool -q -q -all= -o "$d/plain.jpg" "$photos/no_exif.jpg"
# Its maker note lists the owner between quotes.
cp "$photos/Canon_DIGITAL_IXUS_400.jpg" "$d/owner.jpg"

marker="NON VARLIMÉ (Pas d'en-tête Exif)"
check "make and date, both separators" \
    "$(printf 'IMG_0042.jpg\tCanon_20080530-001.jpg\nIMG_0043.jpg\tCanon_20080530-002.jpg\nowner.jpg\tCanon_20040827-003.jpg\nplain.jpg\t%s' "$marker")" \
    "$("$varlime" --preview "$d" --exif make,date --item-separator _ --final-separator -)"
check "no counter: neighbour duplicates made distinct" \
    "$(printf 'IMG_0042.jpg\tCanon_20080530A.jpg\nIMG_0043.jpg\tCanon_20080530B.jpg\nowner.jpg\tCanon_20040827.jpg\nplain.jpg\t%s' "$marker")" \
    "$("$varlime" --preview "$d" --exif make,date --no-counter)"
check "keep counter, time, owner, free text" \
    "$(printf 'IMG_0042.jpg\tTrip 155601 0042.jpg\nIMG_0043.jpg\tTrip 155601 0043.jpg\nowner.jpg\tTrip 135255 Jean-Pierre Grignon 001.jpg\nplain.jpg\t%s' "$marker")" \
    "$("$varlime" --preview "$d" --exif free,time,owner --free-text Trip --item-separator ' ' \
        --final-separator ' ' --keep-counter)"
check "number formats" \
    "$(printf 'owner.jpg\tF10.0-1_200_ème-15.4mm-75.1mm-13-52-55.jpg')" \
    "$("$varlime" --preview "$d" --mask 'owner.jpg' --exif aperture,exposure,focal,focal35,time \
        --item-separator - --no-counter --aperture-format 1 --exposure-format 1 --time-format 1)"

check "empty item list" "$(printf 'IMG_0042.jpg\t-001.jpg')" \
    "$("$varlime" --preview "$d" --mask IMG_0042.jpg --exif '' --final-separator -)"
# The dialog's stored settings apply, the command line's options over them; a free text
# that reads like the missing-key word is still the user's text.
mkdir "$work/bin"; cp "$varlime" "$work/bin/varlime"
printf '[EXIF]\nZONE_LIBRE=ERREUR\nSEPARATEUR_INFORMATION=1\nSEPARATEUR_FINAL=-1\nCOMPTEUR_COCHE=0\n' \
    > "$work/bin/varlime.ini"
check "stored separators and free text" "$(printf 'owner.jpg\tERREUR-Canon001.jpg')" \
    "$("$work/bin/varlime" --preview "$d" --mask owner.jpg --exif free,make)"
check "stored settings under options" "$(printf 'owner.jpg\tERREUR+Canon')" \
    "$("$work/bin/varlime" --preview "$d" --mask owner.jpg --exif free,make --item-separator + --no-counter | sed 's/\.jpg$//')"
printf '[EXIF]\nSEPARATEUR_FINAL=x\n' > "$work/bin/varlime.ini"
"$work/bin/varlime" --preview "$d" --exif make >/dev/null 2>"$work/err"; rc=$?
check "stored separator that is no number" 1 "$rc"
"$varlime" --preview "$d" --exif make,flash >/dev/null 2>"$work/err"; rc=$?
check "unknown item status" 2 "$rc"
grep -q "not 'flash'" "$work/err" || { echo "FAIL unknown item message"; fail=1; }

out=$("$varlime" --rename "$d" --exif model --no-item-separator --final-separator _)
check "rename summary" "$(printf '3 fichiers varlimés\n0 erreurs')" "$(printf '%s' "$out" | grep -v '^$')"
check "renamed folder" "$(printf 'Canon DIGITAL IXUS 400_003.jpg\nCanon EOS 40D_001.jpg\nCanon EOS 40D_002.jpg\nplain.jpg')" \
    "$(ls "$d" | LC_ALL=C sort)"
finish
