#include "companions/ui/MD_canon.h"

#include "companions/compagnons.h"
#include "companions/ui/MD_association_fichier.h"
#include "core/renameEngine.h"

namespace varlime {

TDB_canon::TDB_canon(const TDB_association_fichier& association) : association_(association) {}

bool TDB_canon::Fichier_canon_a_traiter(const std::string& nom) {
    return varlime::Fichier_canon_a_traiter(association_.options(), cr2Vu_, nomAffichable(nom));
}

void TDB_canon::Voir_listing(const std::vector<std::string>& noms) {
    Noter_cr2(association_.options(), cr2Vu_, noms);
}

bool TDB_canon::Fichier_raw_canon(const std::string& nom, int& decalage) const {
    return varlime::Fichier_raw_canon(association_.options(), nom, decalage);
}

} // namespace varlime
