// SPDX-License-Identifier: GPL-3.0-or-later
#include "companions/ui/MD_canon.h"

#include "companions/compagnons.h"
#include "companions/ui/MD_association_fichier.h"
#include "core/renameEngine.h"

namespace varlime {

TDB_canon::TDB_canon(const TDB_association_fichier& association) : association_(association) {}

bool TDB_canon::Fichier_raw_canon(const std::string& nom, int& decalage) const {
    return varlime::Fichier_raw_canon(association_.options(), nom, decalage);
}

} // namespace varlime
