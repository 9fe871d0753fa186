#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Fuzzes the EXIF reader, its container walkers (ISO boxes, PNG/WebP chunks, CRW heaps),
# the JPEG header walk that finds a camera's stored previews, the rename masks, the ini
# files, the rename journals and the imaging library's readers (JPEG, PNG, TIFF, camera RAW,
# HEIF, films) with libFuzzer (AddressSanitizer + UndefinedBehaviorSanitizer).
#   scripts/fuzz.sh --short          about 60 s on the EXIF reader over the sample photos and
#                                    the committed regression inputs, 15 s on each of the
#                                    others, the container walkers included, 10 s on the
#                                    journal reader and on each imaging reader (part of the
#                                    test command)
#   scripts/fuzz.sh --long SECONDS   a long run; new crashing inputs land in build/fuzz/artifacts/
# Fails when the target crashes, leaks, runs out of memory or hangs on an input.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
mode=${1:---short}
seconds=60
case "$mode" in
  --short) ;;
  --long) seconds=${2:?"--long needs a number of seconds"} ;;
  *) echo "usage: $0 --short | --long SECONDS" >&2; exit 2 ;;
esac

build="$root/build/fuzz"
testdata="${VARLIME_TESTDATA_DIR:-$root/tests/data}"
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVARLIME_FUZZ=ON -DVARLIME_TESTDATA_DIR="$testdata" >/dev/null
cmake --build "$build" --target fuzz_exif fuzz_containers fuzz_jpegPreviews fuzz_mask \
  fuzz_iniFile fuzz_journal fuzz_gflJpeg fuzz_gflPng fuzz_gflTiff fuzz_gflRaw fuzz_gflHeif \
  fuzz_gflFilm -j2

corpus="$build/corpus"
artifacts="$build/artifacts"
mkdir -p "$corpus" "$artifacts"
seeds=("$root/fuzz/regressions")
# Small files holding a maker note of every layout, in both byte orders.
if [ -d "$root/fuzz/seeds" ]; then
  seeds+=("$root/fuzz/seeds")
fi
if [ -d "$testdata/photos" ]; then
  seeds+=("$testdata/photos")
fi
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}"
# The targets write each input to a file: in memory, a run is many times faster than on disk.
if [ -z "${TMPDIR:-}" ] && [ -d /dev/shm ] && [ -w /dev/shm ]; then
  export TMPDIR=/dev/shm
fi
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"

# Every committed regression input must pass on its own first.
regressions=("$root"/fuzz/regressions/*)
if [ -e "${regressions[0]}" ]; then
  "$build/fuzz/fuzz_exif" -timeout=10 -rss_limit_mb=2048 "${regressions[@]}"
fi

# New interesting inputs go to the first folder (build/fuzz/corpus); the seeds stay untouched.
"$build/fuzz/fuzz_exif" "$corpus" "${seeds[@]}" \
  -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=262144 \
  -artifact_prefix="$artifacts/" -print_final_stats=1
echo "fuzz: no crash in ${seconds} s"

others=$(( seconds / 4 ))
# The previews' header walk starts from the same JPEG files (the seeds hold camera files with
# both kinds of stored copy, in both byte orders).
mkdir -p "$build/corpus-fuzz_jpegPreviews"
"$build/fuzz/fuzz_jpegPreviews" "$build/corpus-fuzz_jpegPreviews" "${seeds[@]}" \
  -max_total_time="$others" -timeout=10 -rss_limit_mb=2048 -max_len=262144 \
  -artifact_prefix="$artifacts/" -print_final_stats=1
echo "fuzz: fuzz_jpegPreviews, no crash in ${others} s"

# The container walkers (boxes, chunks, heaps) start from the camera and phone files.
# Films with a stored picture in each camera's box, and a compressed JPEG XL EXIF box.
containerSeeds=("$root/fuzz/regressions" "$root/fuzz/seeds-containers")
if [ -d "$testdata/raw" ]; then
  containerSeeds+=("$testdata/raw")
fi
containerSeconds=$(( seconds / 4 ))
mkdir -p "$build/corpus-fuzz_containers"
"$build/fuzz/fuzz_containers" "$build/corpus-fuzz_containers" "${containerSeeds[@]}" \
  -max_total_time="$containerSeconds" -timeout=10 -rss_limit_mb=2048 -max_len=262144 \
  -artifact_prefix="$artifacts/" -print_final_stats=1
echo "fuzz: fuzz_containers, no crash in ${containerSeconds} s"

# The mask engine and the ini parser take text a user or another program wrote.
for target in fuzz_mask fuzz_iniFile; do
  mkdir -p "$build/corpus-$target"
  "$build/fuzz/$target" "$build/corpus-$target" -max_total_time="$others" -timeout=10 \
    -rss_limit_mb=2048 -max_len=65536 -artifact_prefix="$artifacts/" -print_final_stats=1
  echo "fuzz: $target, no crash in ${others} s"
done

# The journal reader takes what a crash, a full disk or another program left in the
# state folder; it starts from journals as runs and undos write them.
[ "$mode" = "--short" ] && journal_seconds=10 || journal_seconds=$others
mkdir -p "$build/corpus-fuzz_journal"
"$build/fuzz/fuzz_journal" "$build/corpus-fuzz_journal" "$root/fuzz/seeds-journal" \
  -max_total_time="$journal_seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
  -artifact_prefix="$artifacts/" -print_final_stats=1
echo "fuzz: fuzz_journal, no crash in ${journal_seconds} s"

# The imaging library's readers, from small pictures of every layout (HEIC and AVIF among
# them) and the sample photos.
# Held to the pictures' memory budget (512 MiB): a single allocation above it is a failure,
# and so is a process above twice that (AddressSanitizer's own bookkeeping included, its
# quarantine kept small).
images="$root/fuzz/seeds-images"
readers=$(( seconds / 6 ))
for target in fuzz_gflJpeg fuzz_gflPng fuzz_gflTiff fuzz_gflRaw fuzz_gflHeif fuzz_gflFilm; do
  case "$target" in
    fuzz_gflJpeg) from=("$root/fuzz/seeds") ;;
    fuzz_gflPng) from=("$images") ;;
    fuzz_gflTiff) from=("$images") ;;
    fuzz_gflRaw) from=("$images") ;;
    fuzz_gflHeif) from=("$images") ;;
    fuzz_gflFilm) from=("$root/fuzz/seeds-containers") ;;
  esac
  if [ "$target" = fuzz_gflFilm ] && [ -d "$testdata/raw" ]; then from+=("$testdata/raw"); fi
  if [ "$target" = fuzz_gflJpeg ] && [ -d "$testdata/photos" ]; then from+=("$testdata/photos"); fi
  if [ "$target" = fuzz_gflTiff ] && [ -d "$testdata/photos/tiff" ]; then from+=("$testdata/photos/tiff"); fi
  if [ "$target" = fuzz_gflRaw ] && [ -d "$testdata/raw" ]; then from+=("$testdata/raw"); fi
  # Inputs that once broke a reader come first.
  from+=("$root/fuzz/regressions-images")
  limite=512 rss=1024
  mkdir -p "$build/corpus-$target"
  ASAN_OPTIONS="${ASAN_OPTIONS}:quarantine_size_mb=64:malloc_context_size=10" \
    LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0" \
    "$build/fuzz/$target" "$build/corpus-$target" "${from[@]}" -max_total_time="$readers" \
    -timeout=20 -rss_limit_mb="$rss" -malloc_limit_mb="$limite" -max_len=262144 \
    -artifact_prefix="$artifacts/" -print_final_stats=1
  echo "fuzz: $target, no crash in ${readers} s"
done
