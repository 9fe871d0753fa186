#include "companions/ui/MD_canon.h"

#include "app/Application.h"
#include "companions/compagnons.h"
#include "companions/ui/MD_association_fichier.h"
#include "core/renameEngine.h"

namespace varlime {

TDB_canon::TDB_canon(Application& app) : app_(app) {}

bool TDB_canon::Traite_raw_canon() const {
    return app_.DB_association_fichier().options().rawCanon;
}

bool TDB_canon::Fichier_raw_canon(const std::string& nom, int& decalage) const {
    return varlime::Fichier_raw_canon(app_.DB_association_fichier().options(), nom, decalage);
}

} // namespace varlime
