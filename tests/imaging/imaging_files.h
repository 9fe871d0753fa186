// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Pictures the imaging tests write themselves: PNG of any depth with libpng, TIFF with
// libtiff, JPEG with libjpeg (and the blocks a camera adds by hand), and a 24-bit BMP
// by hand.
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace varlime::test {

// `octets` holds the rows as libpng takes them (16-bit samples most significant first).
bool ecrirePngBrut(const std::string& chemin, int largeur, int hauteur, int profondeur,
                   int typeCouleur, const std::vector<std::uint8_t>& octets,
                   const std::vector<std::uint8_t>& palette = {});
// A two-level TIFF: `pixels` holds one byte a pixel, 0 black and 1 white.
bool ecrireTiffDeuxNiveaux(const std::string& chemin, int largeur, int hauteur,
                           const std::vector<std::uint8_t>& pixels);

// A small camera RAW file: a linear DNG, 16 bits a channel, whose left half is red and
// right half dark grey (camera values 60000/2000/2000 and 2000/2000/2000). With
// `apercu`, the first directory is instead an 8-bit preview of half the size, left half
// green (10, 250, 10) and right half (10, 10, 10), and the picture a sub-directory.
// `orientation`: the TIFF orientation tag of the picture (1 leaves it out).
bool ecrireDngLineaire(const std::string& chemin, int largeur, int hauteur, bool apercu = false,
                       int orientation = 1);

// Large pictures written a row at a time, every row the same: a left half of one grey
// (value 200) and a right half of another (value 40). An 8- or 16-bit RGB PNG, and a
// 24-bit BMP (bottom row first, rows padded to 4 bytes).
bool ecrirePngGrand(const std::string& chemin, int largeur, int hauteur, int profondeur);
bool ecrireBmpGrand(const std::string& chemin, int largeur, int hauteur);
// A file holding only the header of a picture of the declared size: what a damaged or
// hostile file may claim. `format`: "jpeg", "png", "tiff" or "bmp".
std::string enteteSeul(const std::string& format, std::uint32_t largeur, std::uint32_t hauteur);

// A JPEG of one colour, as libjpeg writes it (with a JFIF block, no EXIF).
std::string jpegUni(int largeur, int hauteur, std::uint8_t r, std::uint8_t v, std::uint8_t b);

// The parts of a JPEG file as a camera writes it.
struct FichierCamera {
    // The picture itself, a whole JPEG.
    std::string image;
    // When not empty: stored in the EXIF block, where its second directory points.
    std::string vignette;
    // When not empty: appended after the picture's end and listed, second, by a
    // Multi-Picture block that lists the picture itself first.
    std::string apercu;
    // Both blocks big-endian ("MM") rather than little-endian.
    bool motorola = false;
    // Written in place of the true offsets and lengths, for files that lie.
    std::optional<std::uint32_t> positionApercu, longueurApercu, positionVignette;
    // What the EXIF block records when not empty: the picture's size (EXIF directory),
    // the file's date (first directory) and the thumbnail's (second directory).
    std::optional<std::pair<int, int>> tailleExif;
    std::string dateExif, dateVignette;
};

// The file's bytes: SOI, the EXIF block, the Multi-Picture block (when there is a preview),
// the rest of the picture, the preview. Offsets count as the formats say: from the
// block's own TIFF header.
std::string jpegCamera(const FichierCamera& f);

} // namespace varlime::test
