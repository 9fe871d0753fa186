#include "imaging/ui/chargeurQt.h"

#include "core/fileKinds.h"
#include "imaging/chargementImage.h"
#include "imaging/reduction.h"

#include <QFile>
#include <QImageReader>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <vector>

namespace varlime {

namespace {

// Qt's PNG reader allocates what a chunk's length says before reading it (a text chunk
// of 800 MB in a file of 50 bytes): the chunks are walked first, and a file where one
// does not fit, or one that is not picture data is larger than any worth reading, is
// left unread.
bool morceauxPngPlausibles(const std::string& chemin) {
    std::FILE* f = std::fopen(chemin.c_str(), "rb");
    if (!f)
        return false;
    bool ok = std::fseek(f, 0, SEEK_END) == 0;
    const long taille = ok ? std::ftell(f) : -1;
    long position = 8;
    constexpr long kMorceauMax = 64L << 20;
    while (ok && taille >= 0 && position + 12 <= taille) {
        unsigned char entete[8];
        if (std::fseek(f, position, SEEK_SET) != 0 || std::fread(entete, 1, 8, f) != 8) {
            ok = false;
            break;
        }
        const long longueur =
            static_cast<long>(std::uint32_t{entete[0]} << 24 | std::uint32_t{entete[1]} << 16 |
                              std::uint32_t{entete[2]} << 8 | entete[3]);
        const bool donnees = std::memcmp(entete + 4, "IDAT", 4) == 0;
        if (longueur > taille - position - 12 || (!donnees && longueur > kMorceauMax)) {
            ok = false;
            break;
        }
        if (std::memcmp(entete + 4, "IEND", 4) == 0)
            break;
        position += 12 + longueur;
    }
    std::fclose(f);
    return ok;
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
    // Raised to the budget, never lifted: a file declaring more is still refused.
    static std::once_flag limite;
    std::call_once(limite, [] { QImageReader::setAllocationLimit(kBudgetMo); });
    // The name's bytes as the file system has them, whatever the locale makes of them.
    QImageReader lecteur(QFile::decodeName(QByteArray::fromStdString(chemin)), format);
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
