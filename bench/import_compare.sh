#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Imports a card of camera files (2 GB by default) into an archive plus one backup on this
# disk, with read-back, beside the floor of doing the same by hand and beside exiftool's
# usual sort by date:
#   varlime --import CARD ARCH --backup BACK
#   floor:    cp -p to both destinations, sync, drop both from the page cache,
#             xxh128sum -c over both
#   exiftool: exiftool -r -o . '-Directory<DateTimeOriginal' -d %Y/%Y-%m-%d CARD (no check)
# The card is made of the real samples (tests/data: Canon CR2 and Nikon NEF each with the
# JPEG written beside it, JPEGs of other cameras, a QuickTime film), each copy under its
# own camera-like name and made camera-sized and distinct by random bytes after the
# sample's own (RAW 20 to 30 MB, JPEG 6 to 12 MB, films 300 MB), until the size asked.
# Each run starts from empty destinations and a fresh history; the page cache is emptied
# before each run (drop_caches where allowed, else posix_fadvise on each file), so every
# contender reads the card from disk. Goal: varlime at most 1.2 x the floor.
#   VARLIME_BENCH_MB=500 bench/import_compare.sh    a smaller card
#   VARLIME_BIN=path bench/import_compare.sh         times that program
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
testdata="${VARLIME_TESTDATA_DIR:-$root/tests/data}"
mb="${VARLIME_BENCH_MB:-2048}"
if [ -z "${VARLIME_BIN:-}" ]; then
  build="$root/build/bench"
  launcher=()
  command -v ccache >/dev/null &&
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVARLIME_TESTS=OFF \
    -DVARLIME_TESTDATA_DIR="$testdata" "${launcher[@]}" >/dev/null
  cmake --build "$build" --target varlime -j2 >/dev/null
  VARLIME_BIN="$build/src/app/varlime"
fi
for tool in xxhsum exiftool; do
  command -v "$tool" >/dev/null || { echo "$tool is missing (scripts/deps.sh test)" >&2; exit 1; }
done
base="${VARLIME_BENCH_DIR:-$root/build}"
need=$((mb * 4 + 512)) # the card, two destinations and exiftool's copy, in MB
free=$(df -Pm "$base" | awk 'NR == 2 { print $4 }')
if [ "$free" -lt "$need" ]; then
  echo "skipped: $need MB needed in $base, $free MB free" >&2
  exit 0
fi
work=$(mktemp -d "$base/import-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
card="$work/card/DCIM"
mkdir -p "$card/100CANON" "$card/101NIKON"
# One camera file: a sample, then random bytes up to a size in MB between $3 and $4.
total=0
files=0
shot() {
  local size=$(( ($3 + RANDOM % ($4 - $3 + 1)) * 1024 * 1024 ))
  { cat "$1"; head -c "$size" /dev/urandom; } >"$2"
  total=$((total + size))
  files=$((files + 1))
}
raw="$testdata/raw" photos="$testdata/photos"
i=0
while [ "$total" -lt $((mb * 1024 * 1024)) ]; do
  i=$((i + 1))
  n=$(printf %04d "$i")
  case $((i % 4)) in
  1 | 3) # a Canon RAW and the JPEG written with it
    shot "$raw/CanonRaw.cr2" "$card/100CANON/IMG_$n.CR2" 20 30
    shot "$photos/Canon_40D.jpg" "$card/100CANON/IMG_$n.JPG" 6 12 ;;
  2) # a Nikon RAW and its JPEG
    shot "$raw/Nikon.nef" "$card/101NIKON/DSC_$n.NEF" 20 30
    shot "$photos/Nikon_D70.jpg" "$card/101NIKON/DSC_$n.JPG" 6 12 ;;
  0) # a JPEG of another camera, and now and then a film
    shot "$photos/DSCN0010.jpg" "$card/100CANON/DSCN$n.JPG" 6 12
    [ $((i % 40)) -eq 0 ] && shot "$raw/QuickTime.mov" "$card/100CANON/MVI_$n.MOV" 300 300 ;;
  esac
done
echo "card: $files files, $((total / 1024 / 1024)) MB, in $work"

# Drops files from the page cache (they must be read from disk again): all of them where
# the system lets us, else each file of the folders given.
drop() {
  sync
  if (echo 3 >/proc/sys/vm/drop_caches) 2>/dev/null; then
    return
  fi
  find "$@" -type f -print0 | xargs -0 -r -n 64 python3 -c '
import os, sys
for p in sys.argv[1:]:
    fd = os.open(p, os.O_RDONLY)
    os.posix_fadvise(fd, 0, 0, os.POSIX_FADV_DONTNEED); os.close(fd)' 2>/dev/null || true
}
now() { date +%s.%N; }
elapsed() { python3 -c "print(f'{$2 - $1:.2f}')"; }

# The files a contender wrote under a folder (its hash lists aside): every card file must
# be there, else its time means nothing.
written() {
  local n
  n=$(find "$1" -type f -not -path '*/ascmhl/*' -not -name varlime.xxh128 | wc -l)
  [ "$n" -eq "$files" ] || { echo "$2 wrote $n files of $files in $1" >&2; exit 1; }
}
fresh() { rm -rf "$work/arch" "$work/back" "$work/data" "$work/sorted"; sync; drop "$work/card"; }

fresh
t0=$(now)
mkdir -p "$work/arch" "$work/back"
cp -p "$card"/*/* "$work/arch/"
cp -p "$card"/*/* "$work/back/"
sync
for d in "$card"/*/; do (cd "$d" && xxhsum -H2 *); done >"$work/sums"
drop "$work/arch" "$work/back"
(cd "$work/arch" && xxhsum -c --quiet "$work/sums")
(cd "$work/back" && xxhsum -c --quiet "$work/sums")
t1=$(now)
written "$work/arch" cp
written "$work/back" cp
floor=$(elapsed "$t0" "$t1")
echo "floor (cp -p x2, sync, xxh128sum -c x2 cold): ${floor} s"

fresh
t0=$(now)
XDG_DATA_HOME="$work/data" "$VARLIME_BIN" --import "$work/card/DCIM" "$work/arch" \
  --backup "$work/back" >"$work/out" 2>/dev/null || { cat "$work/out" >&2; exit 1; }
t1=$(now)
written "$work/arch" varlime
written "$work/back" varlime
ours=$(elapsed "$t0" "$t1")
echo "varlime --import (archive + backup, read back): ${ours} s"

fresh
mkdir -p "$work/sorted"
t0=$(now)
(cd "$work/sorted" && exiftool -r -q -q -o . '-Directory<DateTimeOriginal' -d %Y/%Y-%m-%d \
  "$work/card/DCIM" >/dev/null 2>&1 || true)
t1=$(now)
written "$work/sorted" exiftool
echo "exiftool -o . -Directory<DateTimeOriginal (one destination, no check): $(elapsed "$t0" "$t1") s"
python3 -c "print(f'varlime / floor: {$ours / $floor:.2f} (goal: at most 1.20)')"
