// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/rotation.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace varlime {

void Bmprot90(Pixels& image, int angle) {
    const int w = image.largeur, h = image.hauteur;
    if (image.vide())
        return;
    std::vector<std::uint32_t> tourne(image.px.size());
    // Each destination row written once, reading the source column it comes from.
    for (int y = 0; y < w; ++y) {
        std::uint32_t* dest = tourne.data() + static_cast<std::size_t>(y) * h;
        if (angle == 90)
            for (int x = 0; x < h; ++x)
                dest[x] = image.px[static_cast<std::size_t>(h - 1 - x) * w + y];
        else
            for (int x = 0; x < h; ++x)
                dest[x] = image.px[static_cast<std::size_t>(x) * w + (w - 1 - y)];
    }
    image.px = std::move(tourne);
    std::swap(image.largeur, image.hauteur);
    std::swap(image.largeurImage, image.hauteurImage);
}

namespace {

void miroirHorizontal(Pixels& image) {
    for (int y = 0; y < image.hauteur; ++y) {
        auto debut = image.px.begin() + static_cast<std::ptrdiff_t>(y) * image.largeur;
        std::reverse(debut, debut + image.largeur);
    }
}

void demiTour(Pixels& image) {
    std::reverse(image.px.begin(), image.px.end());
}

} // namespace

int angleOrientation(int orientation) {
    switch (orientation) {
    case 6:
    case 7:
        return 90;
    case 5:
    case 8:
        return 270;
    default:
        return 0;
    }
}

void redresser(Pixels& image, int orientation) {
    if (image.redressee)
        return;
    switch (orientation) {
    case 2:
        miroirHorizontal(image);
        break;
    case 3:
        demiTour(image);
        break;
    case 4:
        demiTour(image);
        miroirHorizontal(image);
        break;
    case 5:
        // Stored transposed: mirrored, then a counter-clockwise quarter turn.
        miroirHorizontal(image);
        Bmprot90(image, 270);
        break;
    case 6:
        Bmprot90(image, 90);
        break;
    case 7:
        miroirHorizontal(image);
        Bmprot90(image, 90);
        break;
    case 8:
        Bmprot90(image, 270);
        break;
    default:
        break;
    }
}

Pixels redimensionner(const Pixels& image, int largeur) {
    if (image.vide() || largeur <= 0)
        return {};
    const Taille propre = image.propre();
    return redimensionnerA(image, {largeur, proportion(largeur, propre.hauteur, propre.largeur)});
}

Pixels redimensionnerA(const Pixels& image, Taille t) {
    Pixels r;
    const Taille propre = image.propre();
    if (image.vide() || !dansLeBudget(t))
        return r;
    r.largeur = t.largeur;
    r.hauteur = t.hauteur;
    r.largeurImage = propre.largeur;
    r.hauteurImage = propre.hauteur;
    if (t.largeur == image.largeur && t.hauteur == image.hauteur) {
        r.px = image.px;
        return r;
    }
    r.px.resize(static_cast<std::size_t>(r.largeur) * r.hauteur);
    for (int y = 0; y < r.hauteur; ++y) {
        const int y0 = static_cast<int>(static_cast<long long>(y) * image.hauteur / r.hauteur);
        const int y1 = std::max(
            y0 + 1, static_cast<int>(static_cast<long long>(y + 1) * image.hauteur / r.hauteur));
        for (int x = 0; x < r.largeur; ++x) {
            const int x0 = static_cast<int>(static_cast<long long>(x) * image.largeur / r.largeur);
            const int x1 = std::max(x0 + 1, static_cast<int>(static_cast<long long>(x + 1) *
                                                             image.largeur / r.largeur));
            unsigned long long s[3] = {0, 0, 0};
            for (int yy = y0; yy < y1; ++yy)
                for (int xx = x0; xx < x1; ++xx) {
                    const std::uint32_t v = image.at(xx, yy);
                    s[0] += (v >> 16) & 0xff;
                    s[1] += (v >> 8) & 0xff;
                    s[2] += v & 0xff;
                }
            const unsigned long long n = static_cast<unsigned long long>(y1 - y0) * (x1 - x0);
            r.px[static_cast<std::size_t>(y) * r.largeur + x] =
                rgb(static_cast<unsigned>((s[0] + n / 2) / n),
                    static_cast<unsigned>((s[1] + n / 2) / n),
                    static_cast<unsigned>((s[2] + n / 2) / n));
        }
    }
    return r;
}

} // namespace varlime
