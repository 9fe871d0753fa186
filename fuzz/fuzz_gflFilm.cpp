// SPDX-License-Identifier: GPL-3.0-or-later
// The imaging library's reader of films (MP4, MOV): whatever the bytes, it walks only
// the boxes the file holds, decodes only the JPEG the film stores of itself, allocates no
// more than the pictures' budget, and returns a whole bitmap no larger than asked, or an
// error.
#include "lecture_gfl.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return varlime::fuzz::lireEntree(varlime::gfl::lireFilm, data, size);
}
