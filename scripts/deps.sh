#!/usr/bin/env bash
# Installs, from Debian, the packages Varlime needs; does nothing when they are all there.
#   scripts/deps.sh run    what building and running need (scripts/run.sh)
#   scripts/deps.sh test   that, plus the test tools (scripts/test.sh)
# Installing needs root, or sudo for another user.
set -euo pipefail
run_packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libjpeg-dev libraw-dev libtiff-dev libpng-dev libheif-dev
  # A JPEG XL file may keep its EXIF block Brotli-compressed.
  libbrotli-dev
  # The verified copy of a move hashes with XXH3.
  libxxhash-dev
  # The import keeps its history in SQLite.
  libsqlite3-dev
)
test_packages=(
  libgtest-dev libgmock-dev libbenchmark-dev
  # libFuzzer comes with clang's runtime libraries.
  clang libclang-rt-14-dev
  # llvm ships /usr/bin/llvm-symbolizer, which lets sanitizer and fuzzer reports name
  # functions and lines instead of bare addresses.
  llvm
  clang-format
  # The structure checks (scripts/longest-functions.sh, scripts/include-cycles.py).
  python3
  libimage-exiftool-perl exiv2
  # bench/cli_compare.sh times renaming beside jhead and exiv2, with hyperfine.
  jhead hyperfine
  # bench/transfer_compare.sh hashes both sides of cp -p with xxhsum.
  xxhash
  xvfb xauth
  # Camera cards for the tests: FAT32 and exFAT images, mounted through FUSE.
  dosfstools exfatprogs fusefat exfat-fuse
  # The import tests check the hash lists with xmllint.
  libxml2-utils
  # The package check: dpkg-shlibdeps finds the package's dependencies; the desktop
  # entry, AppStream data, manual page and completion are checked with their own tools.
  dpkg-dev desktop-file-utils appstream man-db bash-completion
)
case "${1:-}" in
  run) packages=("${run_packages[@]}") ;;
  test) packages=("${run_packages[@]}" "${test_packages[@]}") ;;
  *) echo "usage: $0 run | test" >&2; exit 2 ;;
esac
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi
echo "Installing: ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  if ! command -v sudo >/dev/null; then
    echo "Installing packages needs root or sudo; missing: ${missing[*]}" >&2
    exit 1
  fi
  SUDO="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
