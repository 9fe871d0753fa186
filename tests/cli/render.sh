#!/usr/bin/env bash
# Checks `varlime --render FILE OUT.png [--width N]`: pictures come out upright with
# and without the imaging library, scaled when asked, and a file no loader reads
# ends with status 1 and a message, leaving no output and the file untouched.
set -u
testdata="${2:-$(cd "$(dirname "$0")/../data" && pwd)}"
source "$(dirname "$0")/common.bash"
export LC_ALL=C.UTF-8

# Width and height from a PNG file's header (bytes 16 to 23, big-endian).
size() { od -An -tu1 -j16 -N8 "$1" | awk '{printf "%dx%d\n", $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8}'; }

o="$testdata/photos/orientation"
for lib in default off; do
    if [ "$lib" = off ]; then export VARLIME_GFL=off; else unset VARLIME_GFL; fi
    for n in 1 3 6 8 5; do
        "$varlime" --render "$o/landscape_$n.jpg" "$work/l$n.png"
        check "$lib: landscape_$n upright" "0 600x450" "$? $(size "$work/l$n.png")"
    done
    "$varlime" --render "$o/landscape_6.jpg" "$work/w.png" --width 100
    check "$lib: --width 100 of a turned picture" "0 100x75" "$? $(size "$work/w.png")"
    # A PNG reads back through the library or, without it, through Qt.
    "$varlime" --render "$work/l6.png" "$work/again.png" --width 31
    check "$lib: a PNG file" "0 31x23" "$? $(size "$work/again.png")"
    printf 'no picture here' >"$work/text.jpg"
    before=$(md5sum <"$work/text.jpg")
    msg=$("$varlime" --render "$work/text.jpg" "$work/none.png" 2>&1)
    check "$lib: unreadable file" "1 varlime: $work/text.jpg n'est pas une image affichable" "$? $msg"
    check "$lib: nothing written, file untouched" "no $before" "$([ -e "$work/none.png" ] && echo yes || echo no) $(md5sum <"$work/text.jpg")"
    for raw in CanonRaw.cr2 CanonRaw.crw DNG.dng; do
        "$varlime" --render "$testdata/raw/$raw" "$work/raw.png" 2>/dev/null
        check "$lib: stripped $raw fails cleanly" "1" "$?"
    done
done
# Only the imaging library reads TIFF: the built program finds it in the build tree.
unset VARLIME_GFL
"$varlime" --render "$testdata/photos/tiff/Arbitro.tiff" "$work/t.png"
check "TIFF through the library found beside the build" "0" "$?"
VARLIME_GFL=off "$varlime" --render "$testdata/photos/tiff/Arbitro.tiff" "$work/t2.png" 2>/dev/null
check "TIFF without the library" "1" "$?"
"$varlime" --render "$o/landscape_1.jpg" "$work/x.png" --width 0 2>/dev/null
check "--width 0 refused" "2" "$?"
"$varlime" --render "$o/landscape_1.jpg" 2>/dev/null
check "OUT missing" "2" "$?"
finish
