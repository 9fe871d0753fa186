// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Loading a picture for the thumbnail, the viewer and --render: through the imaging
// library when it loads, else through the fallback loader, which picks its decoder by
// the file's kind in the table of file kinds (libjpeg for JPEG and for the picture a
// film stores; BMP and PNG by a loader the caller hands in, Qt's in the windows). Then
// turned upright by the EXIF orientation.
#include "core/fileKinds.h"
#include "imaging/LibGfl.h"
#include "imaging/decodeurJpeg.h"
#include "imaging/pixels.h"

#include <functional>
#include <string>

namespace varlime {

class TimgData;

// Built-in texts of the messages about pictures (keys RSC_msg_bpp_non_supporte,
// RSC_msg_image_non_affichable, RSC_msg_effacement_impossible,
// RSC_msg_confirmation_effacer_image, RSC_msg_image_changee).
inline constexpr const char* kMessageProfondeur =
    "Seuls 1, 4, 8, 24 ou 32 BitsPerPixel sont supportés dans cette démo !";
inline constexpr const char* kMessageNonAffichable = "%s n'est pas une image affichable";
inline constexpr const char* kMessageEffacementImpossible =
    "L'image %s n'a pas pu être effacée : %s";
inline constexpr const char* kMessageConfirmationEffacer =
    "Voulez-vous vraiment effacer cette image ?";
inline constexpr const char* kMessageImageChangee =
    "Le fichier %s n'est plus l'image affichée : rien n'a été effacé.";

// The fallback loader of the bitmap formats; it shrinks the picture into the box asked
// for, as the other loaders do.
using ChargeurAutre =
    std::function<bool(const std::string& chemin, const DemandeImage& demande, Pixels& sortie)>;

struct ImageChargee {
    Pixels pixels;
    // The library decoded a depth it cannot hand over (16 bits a channel): the caller
    // says so, and the fallback loader was tried all the same.
    bool profondeurRefusee = false;
    int profondeur = 0;
};

// The kind a loader takes a file for: its extension's in the table of file kinds, else
// its first bytes' (a JPEG named without an extension is still a JPEG).
FileKind genreImage(const std::string& chemin);

// The picture as stored, shrunk into the box asked for (in the stored orientation);
// empty pixels when no loader reads it or it is beyond the budget. `lib` may be null.
ImageChargee chargerImage(LibGfl* lib, const std::string& chemin, const DemandeImage& demande,
                          const ChargeurAutre& autre);

// Rows of a decoder into pixels (see DestinationImage), mid-grey where none came.
class DestinationPixels : public DestinationImage {
public:
    explicit DestinationPixels(Pixels& sortie) : sortie_(sortie) {}
    bool preparer(int largeurImage, int hauteurImage, Taille taille, int composantes) override;
    void ligne(int y, const std::uint8_t* octets) override;

private:
    Pixels& sortie_;
    int composantes_ = 0;
};

// The EXIF orientation (1 to 8) of the file, read with `reader`; 1 when the file has
// none or it is out of range.
int orientationExif(TimgData& reader, const std::string& chemin);

// Loads and turns upright: what the thumbnail and the viewer show. The box is the one
// the upright picture goes to.
ImageChargee chargerImageRedressee(LibGfl* lib, TimgData& reader, const std::string& chemin,
                                   DemandeImage demande, const ChargeurAutre& autre);

// What `--render` writes: the picture itself (never a stored copy), upright, `largeur`
// pixels across (0: its own size) and as high as its own proportions make it. Empty
// when no loader reads it or when the result would be beyond the budget.
ImageChargee rendreImage(LibGfl* lib, TimgData& reader, const std::string& chemin, int largeur,
                         const ChargeurAutre& autre);

// Writes the pixels as an 8-bit RGB PNG file; false when it cannot be written.
bool ecrirePng(const Pixels& image, const std::string& chemin);

} // namespace varlime
