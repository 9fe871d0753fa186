#pragma once
// Pictures the imaging tests write themselves: PNG of any depth with libpng, TIFF with
// libtiff, and a 24-bit BMP by hand.
#include <cstdint>
#include <string>
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
bool ecrireDngLineaire(const std::string& chemin, int largeur, int hauteur, bool apercu = false);

} // namespace varlime::test
