#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs, from Debian, the packages Varlime needs; does nothing when they are all there.
#   scripts/deps.sh run    what building and running need (scripts/run.sh)
#   scripts/deps.sh test   that, plus the test, benchmark and packaging tools (scripts/test.sh)
#   scripts/deps.sh check  installs nothing: fails, naming the package to install, when a
#                          command that building, testing or packaging calls is missing
# Installing needs root, or sudo for another user. One package per line.
set -euo pipefail
run_packages=(
  cmake
  ninja-build
  g++
  pkg-config
  qt6-base-dev
  qt6-base-dev-tools
  libgl-dev
  # HEIF, WebP and other pictures that Qt's own plugins read.
  qt6-image-formats-plugins
  # Qt's own dialog texts (the folder picker's buttons) in French and the other languages.
  qt6-translations-l10n
  libjpeg-dev
  libraw-dev
  libtiff-dev
  libpng-dev
  libheif-dev
  # A JPEG XL file may keep its EXIF block Brotli-compressed.
  libbrotli-dev
  libxxhash-dev
  libsqlite3-dev
)
test_packages=(
  libgtest-dev
  libgmock-dev
  libbenchmark-dev
  # libFuzzer comes with clang's runtime libraries.
  clang
  libclang-rt-14-dev
  # llvm ships /usr/bin/llvm-symbolizer, which lets sanitizer and fuzzer reports name
  # functions and lines instead of bare addresses.
  llvm
  clang-format
  # The structure checks (scripts/longest-functions.sh, scripts/include-cycles.py).
  python3
  libimage-exiftool-perl
  exiv2
  # bench/cli_compare.sh times renaming beside jhead and exiv2, with hyperfine.
  jhead
  hyperfine
  xvfb
  xauth
  # XML files checked against their schemas.
  libxml2-utils
  # Checksums compared with the reference tool.
  xxhash
  # Small FAT and exFAT disks, as memory cards are, mounted without root through FUSE.
  dosfstools
  exfatprogs
  fusefat
  exfat-fuse
  # The package check: cpack asks `file` what each installed file is, dpkg-shlibdeps
  # finds the package's dependencies, lintian judges the package as Debian would; the
  # desktop entry, AppStream data, manual page and completion are checked with their own
  # tools.
  file
  dpkg-dev
  lintian
  desktop-file-utils
  appstream
  man-db
  bash-completion
)
# Each command (or file) that the scripts, tests and benchmarks call, and the package
# that brings it. `check` looks for every one.
commands='
cmake                 cmake
ctest                 cmake
cpack                 cmake
ninja                 ninja-build
g++                   g++
pkg-config            pkg-config
clang                 clang
clang++               clang
llvm-symbolizer       llvm
clang-format          clang-format
python3               python3
exiftool              libimage-exiftool-perl
exiv2                 exiv2
jhead                 jhead
hyperfine             hyperfine
xvfb-run              xvfb
Xvfb                  xvfb
xauth                 xauth
xmllint               libxml2-utils
xxhsum                xxhash
mkfs.fat              dosfstools
mkfs.exfat            exfatprogs
fusefat               fusefat
mount.exfat-fuse      exfat-fuse
file                  file
dpkg-shlibdeps        dpkg-dev
lintian               lintian
desktop-file-validate desktop-file-utils
appstreamcli          appstream
man                   man-db
/usr/share/bash-completion/bash_completion bash-completion
'

# True when the command is on the PATH or in a system folder (mkfs.* live in /sbin,
# which an ordinary user's PATH may lack); a name starting with / is a file.
present() {
  case "$1" in
    /*) [ -e "$1" ] ;;
    *) PATH="$PATH:/usr/local/sbin:/usr/sbin:/sbin" command -v "$1" >/dev/null 2>&1 ;;
  esac
}

check() {
  local listed=" ${run_packages[*]} ${test_packages[*]} " missing=() needed=() command package bad=0
  while read -r command package; do
    [ -n "$command" ] || continue
    # The table and the lists must agree, or a fresh machine would lack the command.
    if [[ "$listed" != *" $package "* ]]; then
      echo "scripts/deps.sh: $package (for $command) is in no package list" >&2
      bad=1
    fi
    if ! present "$command"; then
      missing+=("$command: package $package")
      [[ " ${needed[*]} " == *" $package "* ]] || needed+=("$package")
    fi
  done <<<"$commands"
  if [ ${#missing[@]} -gt 0 ]; then
    echo "Missing commands:" >&2
    printf '  %s\n' "${missing[@]}" >&2
    echo "Install them with: apt-get install ${needed[*]} (or bash scripts/deps.sh test)" >&2
    return 1
  fi
  [ "$bad" -eq 0 ] || return 1
  echo "deps: every command that building, testing and packaging call is there"
}

case "${1:-}" in
  run) packages=("${run_packages[@]}") ;;
  test) packages=("${run_packages[@]}" "${test_packages[@]}") ;;
  check) check; exit ;;
  *) echo "usage: $0 run | test | check" >&2; exit 2 ;;
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
