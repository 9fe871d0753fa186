// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Shrinking a picture while its rows are decoded, so that only the picture kept and a
// row of sums are ever held: never the whole picture at its own size.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace varlime {

class Reducteur {
public:
    // Source rows of `largeurSource` pixels of `octetsParPixel` bytes, `hauteurSource`
    // of them, into `largeur` × `hauteur`. With `moyenne` each target pixel is the mean
    // of the source pixels it covers (one byte a sample); without, it is the first of
    // them (for colour-map indexes, two-level pixels and deep samples, whose means would
    // mean nothing). False when a size is not positive.
    bool preparer(int largeurSource, int hauteurSource, int largeur, int hauteur,
                  int octetsParPixel, bool moyenne);
    // The next source row; `sortie(y, ligne)` receives each target row as soon as it is
    // complete. Rows beyond the last are ignored.
    template <class F> void ajouter(const std::uint8_t* ligne, F&& sortie) {
        if (ySource_ >= hauteurSource_)
            return;
        while (yCible_ < hauteur_ && debutLigne(yCible_) <= ySource_) {
            accumuler(ligne);
            if (ySource_ + 1 < finLigne(yCible_))
                break;
            emettre();
            sortie(yCible_, ligne_.data());
            ++yCible_;
        }
        ++ySource_;
    }
    // The target rows given so far.
    int lignesSorties() const { return yCible_; }
    int largeur() const { return largeur_; }
    int hauteur() const { return hauteur_; }

private:
    int debutLigne(int y) const;
    int finLigne(int y) const;
    void accumuler(const std::uint8_t* ligne);
    void emettre();

    int largeurSource_ = 0, hauteurSource_ = 0, largeur_ = 0, hauteur_ = 0, octets_ = 0;
    bool moyenne_ = true;
    int ySource_ = 0, yCible_ = 0;
    // Rows summed into the current target row.
    int lignesSommees_ = 0;
    // The source columns each target column covers: [debut, fin).
    std::vector<int> debut_, fin_;
    std::vector<std::uint64_t> sommes_;
    std::vector<std::uint8_t> ligne_;
};

} // namespace varlime
