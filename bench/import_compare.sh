#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Imports a card of camera files (2 GB by default) into an archive plus one backup on this
# disk, with read-back, beside the floor of doing the same by hand and beside exiftool's
# usual sort by date:
#   varlime --import CARD ARCH --backup BACK
#   floor:    cp -p to both destinations, sync, drop both from the page cache,
#             xxh128sum -c over both
#   exiftool: exiftool -o . '-Directory<DateTimeOriginal' -d %Y/%Y-%m-%d CARD (no check)
# Each run starts from empty destinations and a fresh history; the card is dropped from
# the page cache before each run (vmtouch -e or dd iflag=nocache where found), so every
# contender reads it from disk. Goal: varlime at most 1.2 x the floor.
#   VARLIME_BENCH_MB=500 bench/import_compare.sh    a smaller card
#   VARLIME_BIN=path bench/import_compare.sh         times that program
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
testdata="${VARLIME_TESTDATA_DIR:-$root/tests/data}"
mb="${VARLIME_BENCH_MB:-2048}"
if [ -z "${VARLIME_BIN:-}" ]; then
  build="$root/build/bench"
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVARLIME_TESTS=OFF \
    -DVARLIME_TESTDATA_DIR="$testdata" >/dev/null
  cmake --build "$build" --target varlime -j2 >/dev/null
  VARLIME_BIN="$build/src/app/varlime"
fi
for tool in xxhsum exiftool; do
  command -v "$tool" >/dev/null || { echo "$tool is missing (scripts/deps.sh test)" >&2; exit 1; }
done
work=$(mktemp -d "${VARLIME_BENCH_DIR:-$root/build}/import-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
card="$work/card/DCIM/100CANON"
mkdir -p "$card"
# Camera-sized files: a sample photo's EXIF, then random bytes up to 8 to 30 MB (RAW
# files), each with its own content.
i=0
total=0
set -- "$testdata"/photos/Canon_40D.jpg "$testdata"/photos/Nikon_D70.jpg "$testdata"/photos/DSCN0010.jpg
while [ "$total" -lt $((mb * 1024 * 1024)) ]; do
  i=$((i + 1))
  eval "f=\${$(( (i - 1) % $# + 1 ))}"
  size=$(( (8 + RANDOM % 23) * 1024 * 1024 ))
  { cat "$f"; head -c "$size" /dev/urandom; } >"$card/IMG_$(printf %04d $i).JPG"
  total=$((total + size))
done
echo "card: $i files, $((total / 1024 / 1024)) MB, in $work"

# Drops a folder's files from the page cache (they must be read from disk again).
drop() {
  find "$@" -type f -print0 | xargs -0 -r -n 64 python3 -c '
import os, sys
for p in sys.argv[1:]:
    fd = os.open(p, os.O_RDONLY)
    os.posix_fadvise(fd, 0, 0, os.POSIX_FADV_DONTNEED); os.close(fd)' 2>/dev/null || true
}
now() { date +%s.%N; }
elapsed() { python3 -c "print(f'{$2 - $1:.2f}')"; }

fresh() { rm -rf "$work/arch" "$work/back" "$work/data" "$work/sorted"; sync; drop "$work/card"; }

fresh
t0=$(now)
mkdir -p "$work/arch" "$work/back"
cp -p "$card"/* "$work/arch/"
cp -p "$card"/* "$work/back/"
sync
(cd "$card" && xxhsum -H2 * >"$work/sums")
drop "$work/arch" "$work/back"
(cd "$work/arch" && xxhsum -c --quiet "$work/sums")
(cd "$work/back" && xxhsum -c --quiet "$work/sums")
t1=$(now)
floor=$(elapsed "$t0" "$t1")
echo "floor (cp -p x2, sync, xxh128sum -c x2 cold): ${floor} s"

fresh
t0=$(now)
XDG_DATA_HOME="$work/data" "$VARLIME_BIN" --import "$work/card/DCIM" "$work/arch" \
  --backup "$work/back" >/dev/null 2>&1
t1=$(now)
ours=$(elapsed "$t0" "$t1")
echo "varlime --import (archive + backup, read back): ${ours} s"

fresh
mkdir -p "$work/sorted"
t0=$(now)
(cd "$work/sorted" && exiftool -q -q -o . '-Directory<DateTimeOriginal' -d %Y/%Y-%m-%d \
  "$work/card/DCIM" >/dev/null 2>&1 || true)
t1=$(now)
echo "exiftool -o . -Directory<DateTimeOriginal (one destination, no check): $(elapsed "$t0" "$t1") s"
python3 -c "print(f'varlime / floor: {$ours / $floor:.2f} (goal: at most 1.20)')"
