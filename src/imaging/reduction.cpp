// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/reduction.h"

#include <algorithm>
#include <cstring>

namespace varlime {

namespace {

// The first source index that target index `i` of `n` covers among `source`.
int debutDe(long long i, long long source, long long n) {
    return static_cast<int>(i * source / n);
}

} // namespace

bool Reducteur::preparer(int largeurSource, int hauteurSource, int largeur, int hauteur,
                         int octetsParPixel, bool moyenne) {
    if (largeurSource <= 0 || hauteurSource <= 0 || largeur <= 0 || hauteur <= 0 ||
        octetsParPixel <= 0)
        return false;
    largeurSource_ = largeurSource;
    hauteurSource_ = hauteurSource;
    largeur_ = largeur;
    hauteur_ = hauteur;
    octets_ = octetsParPixel;
    moyenne_ = moyenne;
    ySource_ = yCible_ = lignesSommees_ = 0;
    debut_.resize(static_cast<std::size_t>(largeur));
    fin_.resize(static_cast<std::size_t>(largeur));
    for (int x = 0; x < largeur; ++x) {
        debut_[x] = debutDe(x, largeurSource, largeur);
        fin_[x] = std::max(debut_[x] + 1, debutDe(x + 1, largeurSource, largeur));
    }
    const std::size_t n = static_cast<std::size_t>(largeur) * octetsParPixel;
    sommes_.assign(moyenne ? n : 0, 0);
    ligne_.assign(n, 0);
    return true;
}

int Reducteur::debutLigne(int y) const {
    return debutDe(y, hauteurSource_, hauteur_);
}

int Reducteur::finLigne(int y) const {
    return std::max(debutLigne(y) + 1, debutDe(y + 1, hauteurSource_, hauteur_));
}

void Reducteur::accumuler(const std::uint8_t* ligne) {
    if (!moyenne_) {
        // The first source row of the target row gives its pixels.
        if (lignesSommees_++ == 0)
            for (int x = 0; x < largeur_; ++x)
                std::memcpy(ligne_.data() + static_cast<std::size_t>(x) * octets_,
                            ligne + static_cast<std::size_t>(debut_[x]) * octets_,
                            static_cast<std::size_t>(octets_));
        return;
    }
    ++lignesSommees_;
    std::uint64_t* s = sommes_.data();
    for (int x = 0; x < largeur_; ++x, s += octets_) {
        const std::uint8_t* p = ligne + static_cast<std::size_t>(debut_[x]) * octets_;
        for (int xx = debut_[x]; xx < fin_[x]; ++xx)
            for (int c = 0; c < octets_; ++c)
                s[c] += *p++;
    }
}

void Reducteur::emettre() {
    if (moyenne_) {
        std::uint64_t* s = sommes_.data();
        std::uint8_t* d = ligne_.data();
        for (int x = 0; x < largeur_; ++x) {
            const std::uint64_t n =
                static_cast<std::uint64_t>(fin_[x] - debut_[x]) * std::uint64_t(lignesSommees_);
            for (int c = 0; c < octets_; ++c, ++s, ++d) {
                *d = static_cast<std::uint8_t>((*s + n / 2) / n);
                *s = 0;
            }
        }
    }
    lignesSommees_ = 0;
}

} // namespace varlime
