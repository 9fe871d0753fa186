#include "imaging/ui/chargeurQt.h"

#include <QFile>
#include <QImageReader>

#include <cctype>
#include <cstring>

namespace varlime {

namespace {

std::string extensionMinuscule(const std::string& chemin) {
    const auto point = chemin.find_last_of("./");
    if (point == std::string::npos || chemin[point] != '.')
        return {};
    std::string ext = chemin.substr(point + 1);
    for (char& c : ext)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext;
}

} // namespace

bool chargerAvecQt(const std::string& chemin, Pixels& sortie) {
    const std::string ext = extensionMinuscule(chemin);
    const char* format = ext == "png" ? "png" : (ext == "bmp" || ext == "dib") ? "bmp" : nullptr;
    if (!format)
        return false;
    // The name's bytes as the file system has them, whatever the locale makes of them.
    QImageReader lecteur(QFile::decodeName(QByteArray::fromStdString(chemin)), format);
    lecteur.setDecideFormatFromContent(false);
    QImage image = lecteur.read();
    if (image.isNull() || image.width() <= 0 || image.height() <= 0)
        return false;
    image = image.convertToFormat(QImage::Format_RGB32);
    sortie.largeur = image.width();
    sortie.hauteur = image.height();
    sortie.px.resize(static_cast<std::size_t>(sortie.largeur) * sortie.hauteur);
    for (int y = 0; y < sortie.hauteur; ++y)
        std::memcpy(sortie.px.data() + static_cast<std::size_t>(y) * sortie.largeur,
                    image.constScanLine(y), static_cast<std::size_t>(sortie.largeur) * 4);
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
