#!/usr/bin/env bash
# Sidecars without a window: shown on their photo's --preview line, renamed, reported,
# undone and transferred with it; a RAW and its JPEG shot together keep one base name.
set -u
source "$(dirname "$0")/common.bash"
photos="$2/photos"
export VARLIME_TODAY=2026-12-07

d="$work/shoot"
mkdir "$d"
for f in IMG_0001.CR3 IMG_0001.xmp IMG_0001.CR3.xmp IMG_0002.jpg lone.xmp; do
    printf '%s' "$f" >"$d/$f"
done
check "preview: sidecars follow on their photo's line, two fields each" \
    "$(printf 'IMG_0001.CR3\tX_001.CR3\tIMG_0001.CR3.xmp\tX_001.CR3.xmp\tIMG_0001.xmp\tX_001.xmp\nIMG_0002.jpg\tX_002.jpg\nlone.xmp\tX_003.xmp')" \
    "$("$varlime" --preview "$d" --prefix X_)"
check "rename counts each sidecar" "$(printf '5 fichiers varlimés\n0 erreurs')" \
    "$("$varlime" --rename "$d" --prefix X_ | grep -v '^$')"
check "renamed together" "X_001.CR3 X_001.CR3.xmp X_001.xmp X_002.jpg X_003.xmp" \
    "$(cd "$d" && echo *)"
check "contents followed their names" "IMG_0001.CR3.xmp" "$(cat "$d/X_001.CR3.xmp")"
"$varlime" --undo "$d" >/dev/null
check "undone together" "IMG_0001.CR3 IMG_0001.CR3.xmp IMG_0001.xmp IMG_0002.jpg lone.xmp" \
    "$(cd "$d" && echo *)"

printf 'other' >"$d/X_001.xmp"
check "test names the taken sidecar" \
    "$(printf 'Le fichier IMG_0001.xmp doit être varlimé en X_001.xmp\nce fichier existe déjà,\nmodifiez la cible (X_001.xmp) pour IMG_0001.xmp\nle fichier IMG_0001.CR3, qu'"'"'il accompagne, ne sera donc pas varlimé non plus\n')" \
    "$("$varlime" --test "$d" --prefix X_ --mask '*.CR3')"
"$varlime" --rename "$d" --prefix X_ --mask '*.CR3' >/dev/null; rc=$?
check "a taken sidecar name keeps the photo and is never replaced" \
    "3 IMG_0001.CR3 other" "$rc $(cd "$d" && ls IMG_0001.CR3) $(cat "$d/X_001.xmp")"

p="$work/pair"
mkdir "$p"
cp "$photos/Canon_40D.jpg" "$p/IMG_1.jpg"
cp "$photos/Canon_40D.jpg" "$p/IMG_1.thm"
cp "$photos/Canon_40D.jpg" "$p/IMG_2.jpg"
check "photos shot together share one number" \
    "$(printf 'IMG_1.jpg\tCanon_20080530_001.jpg\nIMG_1.thm\tCanon_20080530_001.thm\nIMG_2.jpg\tCanon_20080530_002.jpg')" \
    "$("$varlime" --preview "$p" --exif make,date)"

c="$work/card/DCIM/100CANON"
mkdir -p "$c" "$work/out"
for f in IMG_0001.CR2 IMG_0001.xmp notes.txt; do printf '%s' "$f" >"$c/$f"; done
"$varlime" --transfer "$work/card/DCIM" "$work/out" --move >/dev/null
check "a move takes the sidecar of a camera photo" "IMG_0001.CR2 IMG_0001.xmp|notes.txt" \
    "$(cd "$work/out" && echo *)|$(cd "$c" && echo *)"
finish
