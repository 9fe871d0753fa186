// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/ui/chargeurQt.h"

#include "core/boitesIso.h"
#include "core/fileKinds.h"
#include "imaging/chargementImage.h"
#include "imaging/lignesPng.h"
#include "imaging/reduction.h"
#include "imaging/tailles.h"
#include "platform/fichierOrdinaire.h"

#include <QFile>
#include <QImageReader>

#include <algorithm>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <png.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace varlime {

namespace {

// Qt's PNG reader allocates what a chunk's length says before reading it (a text chunk
// of 800 MB in a file of 50 bytes): the chunks are walked first, and a file where one
// does not fit, or one that is not picture data is larger than any worth reading, is
// left unread. A file cut within its last chunk's header is read as far as it goes.
bool morceauxPngPlausibles(const std::string& chemin) {
    const int fd = ouvrirFichierOrdinaire(chemin.c_str());
    if (fd < 0)
        return false;
    struct stat etat {};
    bool ok = ::fstat(fd, &etat) == 0 && S_ISREG(etat.st_mode);
    if (ok) {
        FileWindow fichier(fd, static_cast<std::uint64_t>(etat.st_size));
        constexpr std::uint32_t kMorceauMax = 64u << 20;
        bool tropGrand = false;
        const png::ChunkWalk w =
            png::eachChunk(fichier, [&](std::string_view type, std::uint64_t, std::uint32_t n) {
                tropGrand = type != "IDAT" && n > kMorceauMax;
                return !tropGrand;
            });
        ok = !tropGrand && (w.error.empty() || fichier.size() - w.at < 12);
    }
    ::close(fd);
    return ok;
}

// A PNG is read with libpng a row at a time into the reduced picture, whatever its depth:
// Qt would decode a 16-bit picture whole at 8 bytes a pixel, then copy it.
struct LecturePng {
    png_structp png = nullptr;
    png_infop info = nullptr;
    std::FILE* f = nullptr;
    TamponsPng tampons;
    Reducteur reducteur;
    ~LecturePng() {
        png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
        if (f)
            std::fclose(f);
    }
};

extern "C" void erreurPngQt(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}
extern "C" void avertissementPngQt(png_structp, png_const_charp) {}

bool lirePngParLignes(LecturePng& l, const DemandeImage& demande, Pixels& sortie) {
    l.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, erreurPngQt, avertissementPngQt);
    if (!l.png || !(l.info = png_create_info_struct(l.png)))
        return false;
    DestinationPixels destination(sortie);
    if (setjmp(png_jmpbuf(l.png)))
        return false;
    png_init_io(l.png, l.f);
    png_set_user_limits(l.png, 1u << 20, 1u << 20);
    // A chunk's length comes from the file: none worth showing a picture needs more.
    png_set_chunk_malloc_max(l.png, 8u << 20);
    png_read_info(l.png, l.info);
    png_uint_32 largeur = 0, hauteur = 0;
    int profondeur = 0, couleurs = 0, entrelace = 0;
    png_get_IHDR(l.png, l.info, &largeur, &hauteur, &profondeur, &couleurs, &entrelace, nullptr,
                 nullptr);
    if (largeur == 0 || hauteur == 0 ||
        static_cast<long long>(largeur) * hauteur > kPixelsSourceMax)
        return false;
    // Every kind becomes 8-bit blue, green, red: what the reduction and Qt's own reader
    // give for the other formats.
    png_set_strip_16(l.png);
    png_set_strip_alpha(l.png);
    png_set_palette_to_rgb(l.png);
    png_set_expand_gray_1_2_4_to_8(l.png);
    png_set_gray_to_rgb(l.png);
    png_set_bgr(l.png);
    const int passes = png_set_interlace_handling(l.png);
    png_read_update_info(l.png, l.info);
    const std::size_t parLigne = static_cast<std::size_t>(largeur) * 3;
    if (png_get_rowbytes(l.png, l.info) != parLigne)
        return false;
    const int w = static_cast<int>(largeur), h = static_cast<int>(hauteur);
    const Taille cible = tailleCible(w, h, demande.boite);
    if (!l.reducteur.preparer(w, h, cible.largeur, cible.hauteur, 3, true) ||
        !destination.preparer(w, h, cible, 3))
        return false;
    const auto donner = [&](int y, const std::uint8_t* r) { destination.ligne(y, r); };
    return lireLignesPng(l.png, passes, parLigne, hauteur, l.tampons, l.reducteur, donner);
}

bool chargerPng(const std::string& chemin, const DemandeImage& demande, Pixels& sortie) {
    LecturePng l;
    l.f = ouvrirFluxOrdinaire(chemin.c_str());
    if (!l.f || !lirePngParLignes(l, demande, sortie)) {
        sortie = Pixels();
        return false;
    }
    return true;
}

} // namespace

bool chargerAvecQt(const std::string& chemin, const DemandeImage& demande, Pixels& sortie) {
    sortie = Pixels();
    const FileKind genre = genreImage(chemin);
    // WebP through Qt's image formats plugin (scripts/deps.sh installs it).
    const char* format = genre == FileKind::Png      ? "png"
                         : genre == FileKind::Bitmap ? "bmp"
                         : genre == FileKind::WebP   ? "webp"
                                                     : nullptr;
    if (!format || (genre == FileKind::Png && !morceauxPngPlausibles(chemin)))
        return false;
    if (genre == FileKind::Png)
        return chargerPng(chemin, demande, sortie);
    // Opened here, without waiting and only as a regular file, then handed to Qt.
    const int fd = ouvrirFichierOrdinaire(chemin.c_str());
    if (fd < 0)
        return false;
    QFile fichier;
    if (!fichier.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    // Raised to the budget, never lifted: a file declaring more is still refused.
    static std::once_flag limite;
    std::call_once(limite, [] { QImageReader::setAllocationLimit(kBudgetMo); });
    QImageReader lecteur(&fichier, format);
    lecteur.setDecideFormatFromContent(false);
    const QSize declaree = lecteur.size();
    if (declaree.isValid() &&
        static_cast<long long>(declaree.width()) * declaree.height() > kPixelsSourceMax)
        return false;
    const QImage image = lecteur.read();
    if (image.isNull() || image.width() <= 0 || image.height() <= 0)
        return false;
    const Taille cible = tailleCible(image.width(), image.height(), demande.boite);
    Reducteur reducteur;
    DestinationPixels destination(sortie);
    if (!reducteur.preparer(image.width(), image.height(), cible.largeur, cible.hauteur, 3, true) ||
        !destination.preparer(image.width(), image.height(), cible, 3))
        return false;
    // A band of rows at a time in the one format read here, whatever depth the file had
    // (16-bit PNG, paletted bitmaps); each pixel as blue, green, red bytes.
    constexpr int kBande = 64;
    std::vector<std::uint8_t> ligne(static_cast<std::size_t>(image.width()) * 3);
    const auto donner = [&](int y, const std::uint8_t* r) { destination.ligne(y, r); };
    for (int y0 = 0; y0 < image.height(); y0 += kBande) {
        const int n = std::min(kBande, image.height() - y0);
        const QImage bande =
            image.copy(0, y0, image.width(), n).convertToFormat(QImage::Format_RGB32);
        if (bande.isNull())
            return false;
        for (int y = 0; y < n; ++y) {
            const auto* px = reinterpret_cast<const QRgb*>(bande.constScanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                ligne[x * 3] = static_cast<std::uint8_t>(qBlue(px[x]));
                ligne[x * 3 + 1] = static_cast<std::uint8_t>(qGreen(px[x]));
                ligne[x * 3 + 2] = static_cast<std::uint8_t>(qRed(px[x]));
            }
            reducteur.ajouter(ligne.data(), donner);
        }
    }
    return true;
}

QImage versQImage(const Pixels& pixels) {
    if (pixels.vide())
        return {};
    QImage image(pixels.largeur, pixels.hauteur, QImage::Format_RGB32);
    for (int y = 0; y < pixels.hauteur; ++y)
        std::memcpy(image.scanLine(y),
                    pixels.px.data() + static_cast<std::size_t>(y) * pixels.largeur,
                    static_cast<std::size_t>(pixels.largeur) * 4);
    return image;
}

} // namespace varlime
