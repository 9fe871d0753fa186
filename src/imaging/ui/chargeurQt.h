#pragma once
// The fallback loader's bitmap formats (BMP and PNG), through Qt's own image readers,
// and the conversions between plain pixels and QImage.
#include "imaging/chargementImage.h"

#include <QImage>

namespace varlime {

// Decoder chosen by the extension, as the fallback loader does: .bmp, .dib and .png.
bool chargerAvecQt(const std::string& chemin, Pixels& sortie);

QImage versQImage(const Pixels& pixels);

} // namespace varlime
