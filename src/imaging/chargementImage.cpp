// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/chargementImage.h"
#include "platform/fichierOrdinaire.h"

#include "core/fileKinds.h"
#include "exif/dEXIF.h"
#include "imaging/decodeurJpeg.h"
#include "imaging/rotation.h"
#include "imaging/vignetteFilm.h"

#include <png.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <utility>

namespace varlime {

FileKind genreImage(const std::string& chemin) {
    const FileKind parNom = kindOfName(chemin);
    if (parNom != FileKind::Unknown)
        return parNom;
    char tete[16];
    std::FILE* f = ouvrirFluxOrdinaire(chemin.c_str());
    if (!f)
        return FileKind::Unknown;
    const std::size_t n = std::fread(tete, 1, sizeof tete, f);
    std::fclose(f);
    return kindOfBytes(std::string_view(tete, n));
}

bool DestinationPixels::preparer(int largeurImage, int hauteurImage, Taille taille,
                                 int composantes) {
    sortie_ = Pixels();
    if (!dansLeBudget(taille) || (composantes != 1 && composantes != 3))
        return false;
    composantes_ = composantes;
    sortie_.largeur = taille.largeur;
    sortie_.hauteur = taille.hauteur;
    sortie_.largeurImage = largeurImage;
    sortie_.hauteurImage = hauteurImage;
    sortie_.px.assign(static_cast<std::size_t>(taille.largeur) * taille.hauteur,
                      rgb(128, 128, 128));
    return true;
}

void DestinationPixels::ligne(int y, const std::uint8_t* s) {
    if (y < 0 || y >= sortie_.hauteur)
        return;
    std::uint32_t* d = sortie_.px.data() + static_cast<std::size_t>(y) * sortie_.largeur;
    for (int x = 0; x < sortie_.largeur; ++x, s += composantes_)
        d[x] = composantes_ == 1 ? rgb(s[0], s[0], s[0]) : rgb(s[2], s[1], s[0]);
}

ImageChargee chargerImage(LibGfl* lib, const std::string& chemin, const DemandeImage& demande,
                          const ChargeurAutre& autre) {
    ImageChargee r;
    if (lib) {
        switch (lib->Charger_image_gfl(chemin, demande, r.pixels, &r.profondeur)) {
        case LibGfl::Resultat::Charge:
            return r;
        case LibGfl::Resultat::ProfondeurRefusee:
            r.profondeurRefusee = true;
            break;
        case LibGfl::Resultat::Echec:
            break;
        }
    }
    r.pixels = Pixels();
    const FileKind genre = genreImage(chemin);
    if (genre == FileKind::Jpeg || genre == FileKind::Thumbnail) {
        DestinationPixels d(r.pixels);
        if (!decoderJpegFichier(chemin, demande, d))
            r.pixels = Pixels();
        return r;
    }
    if (genre == FileKind::Video) {
        // The picture the film stores of itself, when it stores one; never the film.
        const auto jpeg = vignetteFilmFichier(chemin);
        DestinationPixels d(r.pixels);
        if (!jpeg || !decoderJpeg(reinterpret_cast<const std::uint8_t*>(jpeg->data()), jpeg->size(),
                                  demande.boite, d))
            r.pixels = Pixels();
        return r;
    }
    if (autre && !autre(chemin, demande, r.pixels))
        r.pixels = Pixels();
    return r;
}

int orientationExif(TimgData& reader, const std::string& chemin) {
    reader.ReadImageFile(chemin);
    const TTagEntry* e = reader.ExifInfo ? reader.ExifInfo->EntryByTag(0x0112) : nullptr;
    if (!e)
        return 1;
    const int o = RoundHalfEven(e->Number());
    return o >= 1 && o <= 8 ? o : 1;
}

ImageChargee chargerImageRedressee(LibGfl* lib, TimgData& reader, const std::string& chemin,
                                   DemandeImage demande, const ChargeurAutre& autre) {
    const int orientation = orientationExif(reader, chemin);
    // A picture stored on its side is shown turned: what stands across once turned is
    // its stored height.
    if (angleOrientation(orientation) != 0)
        std::swap(demande.boite.largeur, demande.boite.hauteur);
    ImageChargee r = chargerImage(lib, chemin, demande, autre);
    redresser(r.pixels, orientation);
    return r;
}

ImageChargee rendreImage(LibGfl* lib, TimgData& reader, const std::string& chemin, int largeur,
                         const ChargeurAutre& autre) {
    DemandeImage demande;
    demande.boite.largeur = std::max(0, largeur);
    ImageChargee r = chargerImageRedressee(lib, reader, chemin, demande, autre);
    // Shrunk while decoding when larger; stretched here when smaller, the height
    // following the picture's own proportions. A height the budget cannot hold (a
    // picture far taller than wide) is refused like a file no loader reads.
    if (largeur > 0 && !r.pixels.vide()) {
        const Taille propre = r.pixels.propre();
        if (r.pixels.largeur != largeur ||
            r.pixels.hauteur != proportion(largeur, propre.hauteur, propre.largeur))
            r.pixels = redimensionner(r.pixels, largeur);
    }
    return r;
}

namespace {

extern "C" void erreurEcriturePng(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}
extern "C" void avertissementEcriturePng(png_structp, png_const_charp) {}

struct EcriturePng {
    png_structp png = nullptr;
    png_infop info = nullptr;
    std::FILE* f = nullptr;
    std::vector<std::uint8_t> ligne;
    ~EcriturePng() {
        png_destroy_write_struct(&png, info ? &info : nullptr);
        if (f)
            std::fclose(f);
    }
};

// Everything to free lives in `e`, so libpng's long jump back only returns false.
bool ecrire(EcriturePng& e, const Pixels& image) {
    e.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, erreurEcriturePng,
                                    avertissementEcriturePng);
    if (!e.png)
        return false;
    e.info = png_create_info_struct(e.png);
    if (!e.info)
        return false;
    e.ligne.resize(static_cast<std::size_t>(image.largeur) * 3);
    if (setjmp(png_jmpbuf(e.png)))
        return false;
    png_init_io(e.png, e.f);
    png_set_IHDR(e.png, e.info, static_cast<png_uint_32>(image.largeur),
                 static_cast<png_uint_32>(image.hauteur), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(e.png, e.info);
    for (int y = 0; y < image.hauteur; ++y) {
        for (int x = 0; x < image.largeur; ++x) {
            const std::uint32_t v = image.at(x, y);
            e.ligne[x * 3] = static_cast<std::uint8_t>(v >> 16);
            e.ligne[x * 3 + 1] = static_cast<std::uint8_t>(v >> 8);
            e.ligne[x * 3 + 2] = static_cast<std::uint8_t>(v);
        }
        png_write_row(e.png, e.ligne.data());
    }
    png_write_end(e.png, e.info);
    return true;
}

} // namespace

bool ecrirePng(const Pixels& image, const std::string& chemin) {
    if (image.vide())
        return false;
    EcriturePng e;
    e.f = std::fopen(chemin.c_str(), "wb");
    if (!e.f)
        return false;
    const bool ok = ecrire(e, image);
    const bool ferme = std::fclose(e.f) == 0;
    e.f = nullptr;
    if (!ok || !ferme)
        std::remove(chemin.c_str());
    return ok && ferme;
}

} // namespace varlime
