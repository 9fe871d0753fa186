#include "imaging/chargementImage.h"

#include "core/fileKinds.h"
#include "exif/dEXIF.h"
#include "imaging/decodeurJpeg.h"
#include "imaging/rotation.h"

#include <png.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <csetjmp>
#include <cstdio>

namespace varlime {

bool extensionJpeg(const std::string& chemin) {
    return isJpegName(chemin);
}

ImageChargee chargerImage(LibGfl* lib, const std::string& chemin, int largeurVoulue,
                          const ChargeurAutre& autre) {
    ImageChargee r;
    if (lib) {
        switch (lib->Charger_image_gfl(chemin, largeurVoulue, r.pixels, &r.profondeur)) {
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
    if (extensionJpeg(chemin)) {
        ImageJpeg j;
        if (!decoderJpegFichier(chemin, largeurVoulue, j))
            return r;
        r.pixels.largeur = j.largeur;
        r.pixels.hauteur = j.hauteur;
        r.pixels.px.resize(static_cast<std::size_t>(j.largeur) * j.hauteur);
        const std::uint8_t* s = j.octets.data();
        for (std::uint32_t& v : r.pixels.px) {
            v = j.composantes == 1 ? rgb(s[0], s[0], s[0]) : rgb(s[2], s[1], s[0]);
            s += j.composantes;
        }
        return r;
    }
    if (autre && !autre(chemin, r.pixels))
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
                                   int largeurVoulue, const ChargeurAutre& autre) {
    const int orientation = orientationExif(reader, chemin);
    // A picture stored on its side is shown turned: the wanted width applies to what
    // will stand across once turned, the stored height. The stored proportions come
    // from the EXIF block; without them the stored width is asked for.
    int voulue = largeurVoulue;
    if (largeurVoulue > 0 && angleOrientation(orientation) != 0 && reader.ExifInfo &&
        reader.ExifInfo->PixelWidth > 0 && reader.ExifInfo->PixelHeight > 0)
        voulue = static_cast<int>(
            std::min<double>(std::ceil(static_cast<double>(largeurVoulue) *
                                       reader.ExifInfo->PixelWidth / reader.ExifInfo->PixelHeight),
                             1 << 20));
    ImageChargee r = chargerImage(lib, chemin, voulue, autre);
    redresser(r.pixels, orientation);
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
