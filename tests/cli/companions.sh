#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Companion files without a window: --canon-raw and --associate with the EXIF options,
# over the sample RAW files and videos beside JPEG companions copied under their names.
set -u
source "$(dirname "$0")/common.bash"
photos="$2/photos"
raw="$2/raw"
export VARLIME_TODAY=2026-12-07
marker="NON VARLIMÉ (Pas de fichier compagnon)"

d="$work/video"
mkdir "$d"
cp "$raw/Pentax.avi" "$d/MVI_0001.AVI"
cp "$photos/Canon_40D.jpg" "$d/MVI_0001.THM"
cp "$raw/QuickTime.mov" "$d/MVI_0002.avi"
cp "$photos/Canon_DIGITAL_IXUS_400.jpg" "$d/IMG_0003.JPG"
# A pair shares its counter number: both keep one base name.
check "AVI takes the EXIF of its THM; a lone AVI is left aside" \
    "$(printf 'MVI_0001.AVI\tCanon_20080530_001.AVI\nMVI_0001.THM\tCanon_20080530_001.THM\nMVI_0002.avi\t%s' "$marker")" \
    "$("$varlime" --preview "$d" --exif make,date --associate AVI:THM)"
check "typed in lower case" \
    "$("$varlime" --preview "$d" --exif make,date --associate AVI:THM)" \
    "$("$varlime" --preview "$d" --exif make,date --associate avi:thm)"
# The THM now reads the AVI above it, which carries no EXIF: its own data is not used.
# The lone film (a MOV under an AVI name) is read by its bytes: named from its own make.
noexif="NON VARLIMÉ (Pas d'en-tête Exif)"
check "THM:AVI reads the row above" \
    "$(printf 'MVI_0001.AVI\t%s\nMVI_0001.THM\t%s\nMVI_0002.avi\t%s' "$noexif" "$noexif" "PENTAX DIGITAL CAMERA_001.avi")" \
    "$("$varlime" --preview "$d" --exif make --associate THM:AVI)"
p="$work/previous"
mkdir "$p"
cp "$photos/Canon_40D.jpg" "$p/P_1.JPG"
cp "$photos/Nikon_D70.jpg" "$p/P_1.THM"
cp "$photos/Nikon_D70.jpg" "$p/P_2.THM"
check "THM:JPG takes the JPG above; a lone THM is left aside" \
    "$(printf 'P_1.JPG\tCanon_20080530_001.JPG\nP_1.THM\tCanon_20080530_001.THM\nP_2.THM\t%s' "$marker")" \
    "$("$varlime" --preview "$p" --exif make,date --associate thm:JPG)"
grep -q "MVI_0002.avi n'a pas de fichier compagnon" <("$varlime" --test "$d" --exif make --associate AVI:THM) ||
    { echo "FAIL test report names the lone AVI"; fail=1; }
"$varlime" --preview "$d" --associate AVI >/dev/null 2>"$work/err"; rc=$?
check "--associate without a source" 2 "$rc"

c="$work/canon"
mkdir "$c"
cp "$raw/CanonRaw.crw" "$c/IMG_0001.CRW"
cp "$photos/Canon_40D.jpg" "$c/IMG_0001.THM"
cp "$photos/Canon_DIGITAL_IXUS_400.jpg" "$c/IMG_0002.JPG"
check "CRW with its THM, the stray JPG not listed" \
    "$(printf 'IMG_0001.CRW\tCanon_20080530.CRW\nIMG_0001.THM\tCanon_20080530.THM')" \
    "$("$varlime" --preview "$c" --exif make,date --no-counter --canon-raw)"
out=$("$varlime" --rename "$d" --exif date --no-counter --associate AVI:THM)
check "rename summary" "$(printf '2 fichiers varlimés\n0 erreurs')" "$(printf '%s' "$out" | grep -v '^$')"
check "renamed folder, lone AVI untouched" \
    "$(printf '20080530.AVI\n20080530.THM\nIMG_0003.JPG\nMVI_0002.avi')" "$(ls "$d" | LC_ALL=C sort)"
finish
