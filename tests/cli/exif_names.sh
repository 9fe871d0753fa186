#!/usr/bin/env bash
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
cp "$photos/no_exif.jpg" "$d/plain.jpg"
cp "$photos/Canon_40D.jpg" "$d/owner.jpg"
exiftool -q -q -overwrite_original -OwnerName='Jean Dupont' -DateTimeOriginal='2008:05:30 15:56:02' \
    "$d/owner.jpg"

marker="NON VARLIMÉ (Pas d'en-tête Exif)"
check "make and date, both separators" \
    "$(printf 'IMG_0042.jpg\tCanon_20080530-001.jpg\nIMG_0043.jpg\tCanon_20080530-002.jpg\nowner.jpg\tCanon_20080530-003.jpg\nplain.jpg\t%s' "$marker")" \
    "$("$varlime" --preview "$d" --exif make,date --item-separator _ --final-separator -)"
check "no counter: neighbour duplicates made distinct" \
    "$(printf 'IMG_0042.jpg\tCanon_20080530A.jpg\nIMG_0043.jpg\tCanon_20080530B.jpg\nowner.jpg\tCanon_20080530C.jpg\nplain.jpg\t%s' "$marker")" \
    "$("$varlime" --preview "$d" --exif make,date --no-counter)"
check "keep counter, time, owner, free text" \
    "$(printf 'IMG_0042.jpg\tTrip 155601 0042.jpg\nIMG_0043.jpg\tTrip 155601 0043.jpg\nowner.jpg\tTrip 155602 Jean Dupont 001.jpg\nplain.jpg\t%s' "$marker")" \
    "$("$varlime" --preview "$d" --exif free,time,owner --free-text Trip --item-separator ' ' \
        --final-separator ' ' --keep-counter)"
check "number formats" \
    "$(printf 'IMG_0042.jpg\tF7.1-1_160_ème-135.0mm.jpg\nowner.jpg\tF7.1-1_160_ème-135.0mm.jpg')" \
    "$("$varlime" --preview "$d" --mask '[Io]*' --exif aperture,exposure,focal --item-separator - \
        --no-counter --aperture-format 1 --exposure-format 1 --time-format 1 | sed 's/[AB]\.jpg$/.jpg/' | sort -u)"

"$varlime" --preview "$d" --exif make,flash >/dev/null 2>"$work/err"; rc=$?
check "unknown item status" 2 "$rc"
grep -q "not 'flash'" "$work/err" || { echo "FAIL unknown item message"; fail=1; }

out=$("$varlime" --rename "$d" --exif model --no-item-separator --final-separator _)
check "rename summary" "$(printf '3 fichiers varlimés\n0 erreurs')" "$(printf '%s' "$out" | grep -v '^$')"
check "renamed folder" "$(printf 'Canon EOS 40D_001.jpg\nCanon EOS 40D_002.jpg\nCanon EOS 40D_003.jpg\nplain.jpg')" \
    "$(ls "$d" | LC_ALL=C sort)"
finish
