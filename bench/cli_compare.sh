#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Renames 5,000 photos by their date and time with the command line, beside jhead and
# exiv2 doing the same over fresh copies of the same folder:
#   varlime --rename DIR --exif date,time
#   jhead -n%Y%m%d-%H%M%S DIR/*.jpg
#   exiv2 -r %Y%m%d-%H%M%S mv DIR/*.jpg
# The photos are copies of the sample photos that carry a camera make, each with its own
# date and time. Every run starts from a fresh copy of the folder (made
# before the timing, so the page cache is warm); the best of 3 runs counts.
#   bench/cli_compare.sh            builds varlime in an optimised build first
#   VARLIME_BIN=path bench/cli_compare.sh    times that program instead
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
testdata="${VARLIME_TESTDATA_DIR:-$root/tests/data}"
count="${VARLIME_BENCH_PHOTOS:-5000}"
if [ -z "${VARLIME_BIN:-}" ]; then
  build="$root/build/bench"
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVARLIME_TESTS=OFF \
    -DVARLIME_TESTDATA_DIR="$testdata" >/dev/null
  cmake --build "$build" --target varlime -j2 >/dev/null
  VARLIME_BIN="$build/src/app/varlime"
fi
for tool in jhead exiv2 exiftool hyperfine; do
  command -v "$tool" >/dev/null || { echo "$tool is missing (scripts/deps.sh test)" >&2; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
master="$work/master"
mkdir "$master"
# The samples that carry a camera make, all dated 2024:01:01 00:00:00 by exiftool; each
# copy then gets its own date and time, one minute and a second after the last, written
# over that text (same length, so nothing else moves): every name differs.
templates="$work/templates"
mkdir "$templates"
for f in Canon_40D Canon_DIGITAL_IXUS_400 DSCN0010 Fujifilm_FinePix_E500 \
  Konica_Minolta_DiMAGE_Z3 Nikon_D70 Olympus_C8080WZ sanyo-vpcg250; do
  cp "$testdata/photos/$f.jpg" "$templates/"
done
exiftool -q -q -m -overwrite_original -AllDates='2024:01:01 00:00:00' "$templates" 2>/dev/null
perl -e '
  use POSIX qw(strftime);
  my ($dir, $out, $count) = @ARGV;
  my @t = map { local $/; open my $h, "<:raw", $_ or die; scalar <$h> } sort glob("$dir/*.jpg");
  for my $i (0 .. $count - 1) {
    my $date = strftime("%Y:%m:%d %H:%M:%S", gmtime(1704067200 + $i * 61));
    (my $bytes = $t[$i % @t]) =~ s/2024:01:01 00:00:00/$date/g;
    open my $h, ">:raw", sprintf("%s/IMG_%05d.jpg", $out, $i) or die;
    print $h $bytes;
  }' "$templates" "$master" "$count"

# varlime's settings and undo journal stay in the work folder.
export XDG_CONFIG_HOME="$work/config" XDG_STATE_HOME="$work/state"
export VARLIME_BIN work master
prepare='rm -rf "$work/run" && cp -a "$master" "$work/run"'
# Each program renames every photo (checked once, before the timing).
check() {
  local name=$1 left
  shift
  eval "$prepare"
  eval "$*"
  left=$(find "$work/run" -name 'IMG_*' | wc -l)
  [ "$left" -eq 0 ] || { echo "$name left $left photos unrenamed" >&2; exit 1; }
}
check varlime '"$VARLIME_BIN" --rename "$work/run" --exif date,time >/dev/null'
check jhead 'jhead -q -n%Y%m%d-%H%M%S "$work/run"/*.jpg >/dev/null'
check exiv2 'exiv2 -q -r %Y%m%d-%H%M%S mv "$work/run"/*.jpg >/dev/null 2>&1'
hyperfine --runs 3 --prepare "$prepare" --export-json "$work/times.json" \
  --command-name "varlime --rename --exif date,time" \
  '"$VARLIME_BIN" --rename "$work/run" --exif date,time >/dev/null' \
  --command-name "jhead -n%Y%m%d-%H%M%S" \
  'jhead -q -n%Y%m%d-%H%M%S "$work/run"/*.jpg >/dev/null' \
  --command-name "exiv2 -r %Y%m%d-%H%M%S mv" \
  'exiv2 -q -r %Y%m%d-%H%M%S mv "$work/run"/*.jpg >/dev/null 2>&1'

echo
echo "best of 3 over $count photos:"
awk 'BEGIN { RS = "\"command\": \""; FS = "\"" }
  NR > 1 { name = $1; match($0, /"min": [0-9.e+-]+/);
    printf "  %-36s %8.1f ms\n", name, substr($0, RSTART + 7, RLENGTH - 7) * 1000 }' \
  "$work/times.json"
