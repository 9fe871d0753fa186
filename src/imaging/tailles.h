// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How large a decoded picture may be, and the size it is decoded to. Shared by the
// program and by the imaging library built in gfl/, so both keep to one budget.
#include <algorithm>
#include <cmath>
#include <cstdint>

namespace varlime {

// The picture a decode keeps: 64 megapixels (an 8000 × 6000 bitmap is 48), whatever
// size was asked for. A file declaring a larger result is refused, not allocated.
inline constexpr long long kPixelsCibleMax = 1LL << 26;
// A decoder reads a picture of at most this many pixels at all: it shrinks it row by
// row into the picture kept, but a larger one would take too long to be worth it.
inline constexpr long long kPixelsSourceMax = 1LL << 28;
// Everything one decode may hold at once (the kept picture, a few rows, a decoder's
// own buffers), in MiB: Qt's readers are allowed as much, and no more.
inline constexpr int kBudgetMo = 512;
inline constexpr std::uint64_t kBudgetOctets = std::uint64_t{kBudgetMo} << 20;
// The widest picture the command line writes.
inline constexpr int kLargeurRenduMax = 16384;

// The box a picture is shrunk to fit, in the picture's stored orientation; 0 leaves
// that side free, both 0 asks for the picture's own size.
struct Boite {
    int largeur = 0;
    int hauteur = 0;
};

struct Taille {
    int largeur = 0;
    int hauteur = 0;
    bool operator==(const Taille&) const = default;
};

// `cote` × `autre` ÷ `base`, rounded to the nearest (halves up), at least 1.
inline int proportion(long long cote, long long autre, long long base) {
    if (base <= 0)
        return 1;
    const double v = std::floor(
        static_cast<double>(cote) * static_cast<double>(autre) / static_cast<double>(base) + 0.5);
    return v < 1 ? 1 : (v > 2147483647.0 ? 2147483647 : static_cast<int>(v));
}

// The size a `largeur` × `hauteur` picture is decoded to for `boite`: its own size
// when it fits (a picture is never enlarged here), else the largest size of its
// proportions that fits, the side that decides taken whole and the other rounded
// once from the picture's own sides (600 × 450 in a box 64 wide: 64 × 48).
inline Taille tailleCible(int largeur, int hauteur, Boite boite) {
    if (largeur <= 0 || hauteur <= 0)
        return {};
    const bool parLargeur = boite.largeur > 0 && boite.largeur < largeur;
    const bool parHauteur = boite.hauteur > 0 && boite.hauteur < hauteur;
    if (!parLargeur && !parHauteur)
        return {largeur, hauteur};
    // The side that shrinks the most decides: compare boite.l / l with boite.h / h.
    const bool largeurDecide =
        parLargeur && (!parHauteur || static_cast<long long>(boite.largeur) * hauteur <=
                                          static_cast<long long>(boite.hauteur) * largeur);
    if (largeurDecide)
        return {boite.largeur, std::min(hauteur, proportion(boite.largeur, hauteur, largeur))};
    return {std::min(largeur, proportion(boite.hauteur, largeur, hauteur)), boite.hauteur};
}

// Whether a decoded picture of this size stays within the budget.
inline bool dansLeBudget(Taille t) {
    return t.largeur > 0 && t.hauteur > 0 &&
           static_cast<long long>(t.largeur) * t.hauteur <= kPixelsCibleMax;
}

} // namespace varlime
