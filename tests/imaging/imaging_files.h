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

} // namespace varlime::test
