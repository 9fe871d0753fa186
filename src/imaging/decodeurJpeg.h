#pragma once
// JPEG decoding with libjpeg, shrunk while decoding when a smaller picture will do, or
// taken from a smaller copy the camera stored in the file when that one is enough.
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
// With a wanted width, a smaller copy of the picture stored in the file (see
// apercuConvient) is decoded instead of the picture itself when one will do: the result
// then has that copy's size. Without one, or when it is damaged, the picture itself.
bool decoderJpegFichier(const std::string& chemin, int largeurVoulue, ImageJpeg& sortie);

// A smaller JPEG copy of the picture stored in the same file: the EXIF thumbnail
// (second directory of the APP1 block) or an image listed by an APP2 Multi-Picture
// block, such as the larger preview many cameras add after the picture's end.
struct ApercuJpeg {
    // From the start of the file.
    std::uint64_t position = 0;
    std::uint64_t longueur = 0;
};

struct EnteteJpeg {
    // The frame of the picture (its SOF segment); 0 when the bytes end before it.
    int largeur = 0;
    int hauteur = 0;
    // Only copies lying wholly inside the file; in the order the blocks list them.
    std::vector<ApercuJpeg> apercus;
};

// Walks the segments of a JPEG file from its start up to the picture's data (SOS), over
// the first `taille` bytes of a file of `tailleFichier` bytes. Whatever the bytes, reads
// nothing outside them: a segment, directory or entry that does not fit is left out.
EnteteJpeg enteteJpeg(const std::uint8_t* debut, std::size_t taille, std::uint64_t tailleFichier);

// Whether a stored copy of `largeur` × `hauteur` can stand for a picture of
// `largeurImage` × `hauteurImage` shown `largeurVoulue` pixels across: wide enough, yet
// narrower than the picture, and of the same shape within 1.5 % (a thumbnail left over
// from before a crop or a turn, or one padded with black bands, is not the picture).
bool apercuConvient(int largeurImage, int hauteurImage, int largeur, int hauteur,
                    int largeurVoulue);

} // namespace varlime
