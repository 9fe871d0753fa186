// SPDX-License-Identifier: GPL-3.0-or-later
// The imaging library's reader of TIFF files (libtiff): strips, tiles, two levels, deep samples:
// whatever the bytes, it reads nothing outside them, allocates no more than the pictures' budget,
// and returns a whole bitmap no larger than asked, or an error.
#include "lecture_gfl.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return varlime::fuzz::lireEntree(varlime::gfl::lireTiff, data, size);
}
