#pragma once
// JPEG decoding with libjpeg, shrunk while decoding when a smaller picture will do.
// Shared by the fallback loader and by the imaging library built in gfl/.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace varlime {

struct ImageJpeg {
    int largeur = 0;
    int hauteur = 0;
    // 1 (grey) or 3 (blue, green, red).
    int composantes = 0;
    // Rows top first, largeur × composantes bytes each.
    std::vector<std::uint8_t> octets;
    std::string erreur;
};

// The scale denominator (1, 2, 4 or 8) that still gives at least `largeurVoulue`
// pixels across; 1 when no width is wanted.
int denominateurJpeg(int largeur, int largeurVoulue);

// False with `erreur` set when the data is no JPEG or is damaged beyond use; a picture
// cut short keeps the rows that were there (the rest grey), as viewers show it.
bool decoderJpeg(const std::uint8_t* data, std::size_t taille, int largeurVoulue,
                 ImageJpeg& sortie);
bool decoderJpegFichier(const std::string& chemin, int largeurVoulue, ImageJpeg& sortie);

} // namespace varlime
