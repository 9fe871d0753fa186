// SPDX-License-Identifier: GPL-3.0-or-later
// The header walk that finds the smaller copies a camera stores in a JPEG (EXIF thumbnail,
// Multi-Picture preview) takes its offsets straight from the file: whatever the bytes and
// whatever size the file is said to have, it reads nothing outside them and every copy it
// returns lies inside the file.
#include "imaging/decodeurJpeg.h"

#include <cstddef>
#include <cstdint>
#include <initializer_list>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The bytes as the whole file, as the start of a larger one, and of the largest.
    const std::uint64_t n = size;
    for (std::uint64_t tailleFichier : {n, n * 3 + 4096, ~std::uint64_t{0}}) {
        const varlime::EnteteJpeg e = varlime::enteteJpeg(data, size, tailleFichier);
        if (e.largeur < 0 || e.largeur > 65535 || e.hauteur < 0 || e.hauteur > 65535 ||
            (e.largeur == 0) != (e.hauteur == 0))
            __builtin_trap();
        for (const varlime::ApercuJpeg& a : e.apercus) {
            if (a.longueur == 0 || a.position > tailleFichier ||
                a.longueur > tailleFichier - a.position)
                __builtin_trap();
            // Any sizes, even made up: the choice never overflows.
            const auto cote = static_cast<int>(a.longueur & 0xffff);
            const auto voulue = static_cast<int>(a.position & 0xffff);
            (void)varlime::apercuConvient(e.largeur, e.hauteur, cote, e.hauteur, voulue);
        }
    }
    return 0;
}
