#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Sidecars on their photo's --preview line, renamed and undone with it; a RAW and its
# JPEG shot together keep one base name.
set -u
source "$(dirname "$0")/common.bash"
photos="$2/photos"

d="$work/shoot"
mkdir "$d"
for f in IMG_0001.CR3 IMG_0001.xmp IMG_0001.CR3.xmp IMG_0002.jpg lone.xmp; do
    printf '%s' "$f" >"$d/$f"
done
check "preview: sidecars follow on their photo's line, two fields each" \
    "$(printf 'IMG_0001.CR3\tX_001.CR3\tIMG_0001.CR3.xmp\tX_001.CR3.xmp\tIMG_0001.xmp\tX_001.xmp\nIMG_0002.jpg\tX_002.jpg\nlone.xmp\tX_003.xmp')" \
    "$("$varlime" --preview "$d" --prefix X_)"
"$varlime" --rename "$d" --prefix X_ >/dev/null
check "renamed together" "X_001.CR3 X_001.CR3.xmp X_001.xmp X_002.jpg X_003.xmp" \
    "$(cd "$d" && echo *)"
"$varlime" --undo "$d" >/dev/null
check "undone together" "IMG_0001.CR3 IMG_0001.CR3.xmp IMG_0001.xmp IMG_0002.jpg lone.xmp" \
    "$(cd "$d" && echo *)"

p="$work/pair"
mkdir "$p"
cp "$photos/Canon_40D.jpg" "$p/IMG_1.jpg"
cp "$photos/Canon_40D.jpg" "$p/IMG_1.thm"
cp "$photos/Canon_40D.jpg" "$p/IMG_2.jpg"
check "photos shot together share one number" \
    "$(printf 'IMG_1.jpg\tCanon_20080530_001.jpg\nIMG_1.thm\tCanon_20080530_001.thm\nIMG_2.jpg\tCanon_20080530_002.jpg')" \
    "$(VARLIME_TODAY=2026-12-07 "$varlime" --preview "$p" --exif make,date)"
finish
