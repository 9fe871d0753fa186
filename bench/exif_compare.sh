#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Compares the EXIF reader with exiv2 on the same 2,000 photos (copies of the sample
# photos): builds bench_exif in an optimised build, times `exiv2 -pa` over all the
# files in one process, then runs bench_exif over the same folder.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
testdata="${VARLIME_TESTDATA_DIR:-$root/tests/data}"
build="$root/build/bench"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVARLIME_TESTS=OFF \
  -DVARLIME_TESTDATA_DIR="$testdata" >/dev/null
cmake --build "$build" --target bench_exif -j2

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mapfile -t samples < <(find "$testdata/photos" -type f | sort)
for ((i = 0; i < 2000; i++)); do
  src="${samples[i % ${#samples[@]}]}"
  cp "$src" "$work/${i}_$(basename "$src")"
done

# Warm the page cache so that both sides read from memory.
cat "$work"/* > /dev/null
for run in 1 2 3; do
  start=$(date +%s.%N)
  (cd "$work" && exiv2 -pa * > /dev/null 2>&1 || true)
  end=$(date +%s.%N)
  echo "exiv2 -pa over 2000 files, run $run: $(awk -v s="$start" -v e="$end" 'BEGIN { printf "%.1f", (e - s) * 1000 }') ms"
done
VARLIME_BENCH_FOLDER="$work" "$build/bench/bench_exif" --benchmark_repetitions=3 \
  --benchmark_report_aggregates_only=true
