// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a HEIF picture (HEIC, AVIF) declares in its item tables, checked before libheif
// sees the file: libheif makes the canvas of a grid or an overlay at the size the item's
// own description gives, whatever the picture's declared size (a 1 KB file that
// declares a 32767 × 32767 grid takes gigabytes before any tile is decoded).
#include "imaging/tailles.h"

#include <cstdint>
#include <string>

namespace varlime {

// Whether a picture of this size can be decoded within the budget by libheif: its planes
// (up to two bytes a sample) and the rows handed back take up to 8 bytes a pixel.
inline bool heifDansLeBudget(std::uint64_t largeur, std::uint64_t hauteur) {
    return largeur > 0 && hauteur > 0 && largeur <= (1u << 20) && hauteur <= (1u << 20) &&
           largeur * hauteur * 8 <= kBudgetOctets;
}

// Walks the item tables of the HEIF file open as `fd` (`taille` bytes): every picture's
// declared size ("ispe"), and the canvas of each grid and overlay, within the budget; a
// grid of at most kTuilesMax tiles; a canvas of the size its item declares. What was
// wrong, or empty when the file may go to libheif (a file without item tables too:
// libheif refuses it itself).
inline constexpr int kTuilesMax = 1024;
std::string verifierStructureHeif(int fd, std::uint64_t taille);

} // namespace varlime
