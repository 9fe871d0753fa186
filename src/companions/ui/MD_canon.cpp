#include "companions/ui/MD_canon.h"

#include "app/Application.h"
#include "companions/compagnons.h"
#include "companions/ui/MD_association_fichier.h"
#include "core/renameEngine.h"

namespace varlime {

TDB_canon::TDB_canon(Application& app) : app_(app) {}

bool TDB_canon::Fichier_canon_a_traiter(const std::string& nom) {
    return varlime::Fichier_canon_a_traiter(app_.DB_association_fichier().options(), cr2Vu_,
                                            nomAffichable(nom));
}

void TDB_canon::Voir_listing(const std::vector<std::string>& noms) {
    Noter_cr2(app_.DB_association_fichier().options(), cr2Vu_, noms);
}

bool TDB_canon::Fichier_raw_canon(const std::string& nom, int& decalage) const {
    return varlime::Fichier_raw_canon(app_.DB_association_fichier().options(), nom, decalage);
}

} // namespace varlime
