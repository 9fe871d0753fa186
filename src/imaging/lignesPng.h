// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The rows of a PNG read with libpng into the reduced picture, whatever its depth: shared
// by the program's own PNG reader and by the imaging library built in gfl/.
#include "imaging/reduction.h"
#include "imaging/tailles.h"

#include <cstddef>
#include <cstdint>
#include <png.h>
#include <vector>

namespace varlime {

// What a read holds: a row, or the whole of an interlaced picture. Kept by the caller,
// since libpng's errors jump back to the caller's setjmp past the reading function.
struct TamponsPng {
    std::vector<std::uint8_t> ligne;
    std::vector<std::uint8_t> entiere;
    std::vector<png_bytep> lignes;
};

// Reads the `hauteur` rows of `parLigne` bytes of a PNG that libpng is set up to read
// (png_read_update_info done) through the reducer, each reduced row to donner(y, row): a
// row at a time, or, when it is interlaced (`passes` > 1: seven passes over the whole
// of it), the whole picture first. False when that whole picture would take more than
// half the memory budget.
template <class Donner>
bool lireLignesPng(png_structp png, int passes, std::size_t parLigne, png_uint_32 hauteur,
                   TamponsPng& t, Reducteur& reducteur, const Donner& donner) {
    if (passes > 1) {
        if (parLigne * hauteur > kBudgetOctets / 2)
            return false;
        t.entiere.assign(parLigne * hauteur, 0);
        t.lignes.resize(hauteur);
        for (png_uint_32 y = 0; y < hauteur; ++y)
            t.lignes[y] = t.entiere.data() + y * parLigne;
        png_read_image(png, t.lignes.data());
        for (png_uint_32 y = 0; y < hauteur; ++y)
            reducteur.ajouter(t.lignes[y], donner);
    } else {
        t.ligne.assign(parLigne, 0);
        for (png_uint_32 y = 0; y < hauteur; ++y) {
            png_read_row(png, t.ligne.data(), nullptr);
            reducteur.ajouter(t.ligne.data(), donner);
        }
    }
    return true;
}

} // namespace varlime
