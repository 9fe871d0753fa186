#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Times the photo copy run beside `cp -p` followed by `sync` over the same files:
# 2,000 photos (copies of the sample photos) and 40 files of 25 MB. Builds the
# program in an optimised build (or takes VARLIME=path/to/varlime), copies each set
# into an empty folder on the same file system, three times each way, and prints
# the times and their ratio. Target: the copy run within 1.25 times cp -p + sync.
# Then the cost of a verified move: `varlime --transfer --move` (hash while copying, copy
# read back from the disk, source read again before its delete) beside `cp -p` + `sync`
# + an XXH3-128 hash of both sides (xxhsum -H2) over the same files, and beside the same
# followed by `rm` of the sources, since a move deletes them.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
testdata="${VARLIME_TESTDATA_DIR:-$root/../shared/testdata}"
if [ -z "${VARLIME:-}" ]; then
  build="$root/build/bench"
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVARLIME_TESTS=OFF \
    -DVARLIME_TESTDATA_DIR="$testdata" >/dev/null
  cmake --build "$build" --target varlime -j2
  VARLIME="$build/src/app/varlime"
fi

work=$(mktemp -d "${BENCH_TMPDIR:-/var/tmp}/varlime-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/photos" "$work/big"
mapfile -t samples < <(find "$testdata/photos" -maxdepth 1 -type f -name '*.jpg' | sort)
for ((i = 0; i < 2000; i++)); do
  src="${samples[i % ${#samples[@]}]}"
  cp "$src" "$work/photos/${i}_$(basename "$src")"
done
for ((i = 0; i < 40; i++)); do
  head -c $((25 * 1024 * 1024)) /dev/urandom >"$work/big/VID_$i.MOV"
done
sync

ms() { awk -v s="$1" -v e="$2" 'BEGIN { printf "%.0f", (e - s) * 1000 }'; }

for set in photos big; do
  cat "$work/$set"/* >/dev/null # both sides read from the page cache
  best_cp=0 best_v=0
  for run in 1 2 3; do
    rm -rf "$work/out_cp" "$work/out_v"
    mkdir "$work/out_cp" "$work/out_v"
    sync
    start=$(date +%s.%N)
    cp -p "$work/$set"/* "$work/out_cp/" && sync
    end=$(date +%s.%N)
    t_cp=$(ms "$start" "$end")
    sync
    start=$(date +%s.%N)
    "$VARLIME" --transfer "$work/$set" "$work/out_v" >/dev/null
    end=$(date +%s.%N)
    t_v=$(ms "$start" "$end")
    echo "$set run $run: cp -p + sync $t_cp ms, varlime --transfer $t_v ms"
    if [ "$best_cp" -eq 0 ] || [ "$t_cp" -lt "$best_cp" ]; then best_cp=$t_cp; fi
    if [ "$best_v" -eq 0 ] || [ "$t_v" -lt "$best_v" ]; then best_v=$t_v; fi
  done
  echo "$set best: cp -p + sync $best_cp ms, varlime --transfer $best_v ms, ratio" \
    "$(awk -v a="$best_v" -v b="$best_cp" 'BEGIN { printf "%.2f", a / (b > 0 ? b : 1) }')"
done

# The move deletes its sources: each run moves a fresh copy of the set.
for set in photos big; do
  best_h=0 best_r=0 best_m=0
  for run in 1 2 3; do
    rm -rf "$work/out_cp" "$work/out_v" "$work/mv_src"
    mkdir "$work/out_cp" "$work/out_v"
    cp -p -r "$work/$set" "$work/mv_src"
    # Writable, as on a card: a read-only photo counts as protected and is never deleted.
    chmod -R u+w "$work/mv_src"
    cat "$work/mv_src"/* >/dev/null
    sync
    start=$(date +%s.%N)
    cp -p "$work/mv_src"/* "$work/out_cp/" && sync
    (cd "$work/mv_src" && xxhsum -H2 -- * >"$work/sums") >/dev/null
    (cd "$work/out_cp" && xxhsum -H2 -c --quiet "$work/sums")
    end=$(date +%s.%N)
    t_h=$(ms "$start" "$end")
    # A move also deletes its sources: the same reference with the sources removed after it.
    start=$(date +%s.%N)
    rm -f "$work/mv_src"/*
    end=$(date +%s.%N)
    t_r=$((t_h + $(ms "$start" "$end")))
    rm -rf "$work/mv_src"
    cp -p -r "$work/$set" "$work/mv_src"
    chmod -R u+w "$work/mv_src"
    cat "$work/mv_src"/* >/dev/null
    sync
    start=$(date +%s.%N)
    "$VARLIME" --transfer "$work/mv_src" "$work/out_v" --move >/dev/null
    end=$(date +%s.%N)
    t_m=$(ms "$start" "$end")
    left=$(ls "$work/mv_src" | wc -l)
    echo "$set run $run: cp -p + sync + xxhsum both sides $t_h ms (then rm: $t_r ms)," \
      "varlime --transfer --move $t_m ms ($left left in the source)"
    if [ "$best_h" -eq 0 ] || [ "$t_h" -lt "$best_h" ]; then best_h=$t_h; fi
    if [ "$best_r" -eq 0 ] || [ "$t_r" -lt "$best_r" ]; then best_r=$t_r; fi
    if [ "$best_m" -eq 0 ] || [ "$t_m" -lt "$best_m" ]; then best_m=$t_m; fi
  done
  echo "$set best: cp -p + sync + xxhsum $best_h ms, varlime --transfer --move $best_m ms," \
    "ratio $(awk -v a="$best_m" -v b="$best_h" 'BEGIN { printf "%.2f", a / (b > 0 ? b : 1) }');" \
    "with rm $best_r ms, ratio $(awk -v a="$best_m" -v b="$best_r" 'BEGIN { printf "%.2f", a / (b > 0 ? b : 1) }')"
done
