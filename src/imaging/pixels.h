// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A decoded picture as plain data, so the loading, turning and writing code needs no
// window library.
#include "imaging/tailles.h"

#include <cstdint>
#include <vector>

namespace varlime {

struct Pixels {
    int largeur = 0;
    int hauteur = 0;
    // Rows top first, one 0xffRRGGBB value a pixel (the order of QImage::Format_RGB32).
    std::vector<std::uint32_t> px;
    // The picture's own size when these pixels are a reduction of it (0 when they are
    // not): every size drawn follows its proportions, not those of the reduction.
    int largeurImage = 0;
    int hauteurImage = 0;
    // Already upright by the file's own record (a HEIF picture's transformations): its
    // EXIF orientation must not turn it a second time.
    bool redressee = false;

    bool vide() const { return largeur <= 0 || hauteur <= 0; }
    Taille propre() const {
        if (largeurImage > 0 && hauteurImage > 0)
            return {largeurImage, hauteurImage};
        return {largeur, hauteur};
    }
    std::uint32_t at(int x, int y) const { return px[static_cast<std::size_t>(y) * largeur + x]; }
};

inline constexpr std::uint32_t rgb(unsigned r, unsigned g, unsigned b) {
    return 0xff000000u | (r & 0xff) << 16 | (g & 0xff) << 8 | (b & 0xff);
}

} // namespace varlime
