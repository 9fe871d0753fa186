// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The fallback loader's bitmap formats (BMP and PNG), through Qt's own image readers,
// and the conversions between plain pixels and QImage.
#include "imaging/chargementImage.h"

#include <QImage>

namespace varlime {

// Decoder chosen by the extension, as the fallback loader does: .bmp, .dib and .png.
// Qt's readers may take as much memory as the pictures' budget (a large bitmap needs
// more than their default allowance); the picture is then shrunk into the box asked
// for a band of rows at a time, never copied whole.
bool chargerAvecQt(const std::string& chemin, const DemandeImage& demande, Pixels& sortie);

QImage versQImage(const Pixels& pixels);

} // namespace varlime
