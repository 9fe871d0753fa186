// SPDX-License-Identifier: GPL-3.0-or-later
// The imaging library's reader of HEIF pictures (HEIC, AVIF) through libheif: whatever
// the bytes, it reads nothing outside them, allocates no more than the pictures' budget,
// and returns a whole bitmap no larger than asked, or an error.
#include "lecture_gfl.h"

#include <libheif/heif.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Once, as the library does when the program loads it: libheif finds its decoders.
    static const bool pret = heif_init(nullptr).code == heif_error_Ok;
    (void)pret;
    return varlime::fuzz::lireEntree(varlime::gfl::lireHeif, data, size);
}
