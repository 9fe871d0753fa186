#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
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
# A photo whose frame header says 1 pixel wide and 65500 high (its SOF0 segment patched:
# height at 5 bytes past the marker, then width).
cp "$o/landscape_1.jpg" "$work/tall.jpg"
sof=$(LC_ALL=C grep -obUaP '\xff\xc0' "$work/tall.jpg" | head -1 | cut -d: -f1)
printf '\xff\xdc\x00\x01' | dd of="$work/tall.jpg" bs=1 seek=$((sof + 5)) conv=notrunc 2>/dev/null
for lib in default off; do
    if [ "$lib" = off ]; then export VARLIME_GFL=off; else unset VARLIME_GFL; fi
    for n in 1 3 6 8 5; do
        "$varlime" --render "$o/landscape_$n.jpg" "$work/l$n.png"
        check "$lib: landscape_$n upright" "0 600x450" "$? $(size "$work/l$n.png")"
    done
    "$varlime" --render "$o/landscape_6.jpg" "$work/w.png" --width 100
    check "$lib: --width 100 of a turned picture" "0 100x75" "$? $(size "$work/w.png")"
    # Each side from the picture's own, rounded once: 600 x 450 at 64 is 64 x 48.
    for n in 1 6; do
        "$varlime" --render "$o/landscape_$n.jpg" "$work/p.png" --width 64
        check "$lib: landscape_$n 64 across" "0 64x48" "$? $(size "$work/p.png")"
    done
    # Pictures are held to a memory budget: a JPEG declaring 1 x 65500 pixels drawn
    # 300 across would be 300 x 19,650,000; the widest width of a 4:3 photo 201
    # megapixels. Both refused as unreadable, nothing written.
    msg=$("$varlime" --render "$work/tall.jpg" "$work/t.png" --width 300 2>&1)
    check "$lib: tall picture refused" "1 varlime: $work/tall.jpg n'est pas une image affichable no" "$? $msg $([ -e "$work/t.png" ] && echo yes || echo no)"
    "$varlime" --render "$o/landscape_1.jpg" "$work/l.png" --width 16384 2>/dev/null
    check "$lib: widest width beyond the budget" "1 no" "$? $([ -e "$work/l.png" ] && echo yes || echo no)"
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
# Only the imaging library reads TIFF and HEIC: the built program finds it in the build tree.
unset VARLIME_GFL
"$varlime" --render "$testdata/raw/Phone.heic" "$work/h.png" --width 32
check "HEIC through the library" "0 32x24" "$? $(size "$work/h.png")"
VARLIME_GFL=off "$varlime" --render "$testdata/raw/Phone.heic" "$work/h2.png" 2>/dev/null
check "HEIC without the library" "1" "$?"
"$varlime" --render "$testdata/photos/tiff/Arbitro.tiff" "$work/t.png"
check "TIFF through the library found beside the build" "0" "$?"
VARLIME_GFL=off "$varlime" --render "$testdata/photos/tiff/Arbitro.tiff" "$work/t2.png" 2>/dev/null
check "TIFF without the library" "1" "$?"
"$varlime" --render "$o/landscape_1.jpg" "$work/x.png" --width 0 2>/dev/null
check "--width 0 refused" "2" "$?"
msg=$("$varlime" --render "$o/landscape_1.jpg" "$work/x.png" --width 16385 2>&1)
check "--width above 16384 refused" "2 varlime: --width needs a number from 1 to 16384" "$? $msg"
"$varlime" --render "$o/landscape_1.jpg" 2>/dev/null
check "OUT missing" "2" "$?"
# A pipe named like a photo fails at once with a message, with and without the library.
mkfifo "$work/pipe.jpg" "$work/pipe.png"
for lib in default off; do
    if [ "$lib" = off ]; then export VARLIME_GFL=off; else unset VARLIME_GFL; fi
    for f in pipe.jpg pipe.png; do
        msg=$(timeout 20 "$varlime" --render "$work/$f" "$work/pipe_out.png" 2>&1 >/dev/null)
        rc=$?
        check "$lib: $f fails without waiting, with a message" "1 yes no" \
            "$rc $([ -n "$msg" ] && echo yes || echo no) $([ -e "$work/pipe_out.png" ] && echo yes || echo no)"
    done
done
unset VARLIME_GFL
finish
