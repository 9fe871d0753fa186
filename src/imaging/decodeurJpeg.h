// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// JPEG decoding with libjpeg, shrunk while decoding when a smaller picture will do, or
// taken from a smaller copy the camera stored in the file when that one is enough.
// Shared by the fallback loader and by the imaging library built in gfl/.
#include "imaging/tailles.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace varlime {

// What a loader is asked for: the box the picture is shrunk to fit (see tailleCible),
// and whether a smaller copy stored in the file may stand for it. Only the grid's
// thumbnail allows that: the viewer, where a user decides to delete a photo, shows
// the photo's own pixels.
struct DemandeImage {
    Boite boite;
    bool apercuPermis = false;
};

// Where a decoder's rows go. `preparer` comes first (again when a stored copy fails
// and the picture itself is decoded instead), then every row top first.
class DestinationImage {
public:
    virtual ~DestinationImage() = default;
    // The picture's own size, then the size of the rows that follow and their bytes a
    // pixel: 1 (grey) or 3 (blue, green, red). False when there is no room: the decode
    // stops and fails.
    virtual bool preparer(int largeurImage, int hauteurImage, Taille taille, int composantes) = 0;
    virtual void ligne(int y, const std::uint8_t* octets) = 0;
};

// Decodes a JPEG held in memory, shrunk to fit `boite` (libjpeg's scaling, then the
// rows averaged as they come). False with `erreur` set when the data is no JPEG, is
// damaged beyond use or declares a picture beyond the budget; a picture cut short
// keeps the rows that were there (the rest mid-grey), as viewers show it.
bool decoderJpeg(const std::uint8_t* data, std::size_t taille, Boite boite,
                 DestinationImage& sortie, std::string* erreur = nullptr);
// The same from a file. When `demande.apercuPermis`, a smaller copy of the picture
// stored in the file (see apercuConvient and copieDeLaPhoto) is decoded instead when
// one will do; the rows then come from it, at the size the picture would have had.
bool decoderJpegFichier(const std::string& chemin, const DemandeImage& demande,
                        DestinationImage& sortie, std::string* erreur = nullptr);

// A smaller JPEG copy of the picture stored in the same file: the EXIF thumbnail
// (second directory of the APP1 block) or an image listed by an APP2 Multi-Picture
// block, such as the larger preview many cameras add after the picture's end.
struct ApercuJpeg {
    // From the start of the file.
    std::uint64_t position = 0;
    std::uint64_t longueur = 0;
    // The EXIF thumbnail, rather than a Multi-Picture image.
    bool vignette = false;
};

struct EnteteJpeg {
    // The frame of the picture (its SOF segment); 0 when the bytes end before it.
    int largeur = 0;
    int hauteur = 0;
    // Only copies lying wholly inside the file; in the order the blocks list them.
    std::vector<ApercuJpeg> apercus;
    // What the EXIF block records, when it does: the picture's size (0 when not), its
    // date (the shot's, else the file's, as written), and the date of the thumbnail's
    // own directory.
    int largeurExif = 0;
    int hauteurExif = 0;
    std::string dateExif;
    std::string dateVignette;
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

// Whether what the file records lets a stored copy stand for the picture: the size
// the EXIF block records is the picture's (an editor that rewrote the pixels often
// leaves the block and its old thumbnail), and the copy's date, when it has one, is
// the picture's. `copie`: the copy's own header, `vignette`: it is the EXIF thumbnail.
bool copieDeLaPhoto(const EnteteJpeg& photo, const EnteteJpeg& copie, bool vignette);

} // namespace varlime
