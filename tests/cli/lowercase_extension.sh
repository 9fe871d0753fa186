#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# --lowercase-extension: the extension of each new name in lower case.
set -u
source "$(dirname "$0")/common.bash"

mkdir "$work/photos"
printf A > "$work/photos/a.JPG"; printf B > "$work/photos/b.Cr2"; printf C > "$work/photos/c"
check "preview lower case" "$(printf 'a.JPG\tE1.jpg\nb.Cr2\tE2.cr2\nc\tE3')" \
    "$("$varlime" --preview "$work/photos" --prefix E --width 1 --lowercase-extension)"
check "preview forced extension lower case" "$(printf 'a.JPG\tE1.tif\nb.Cr2\tE2.tif\nc\tE3.tif')" \
    "$("$varlime" --preview "$work/photos" --prefix E --width 1 --extension TIF --lowercase-extension)"
finish
