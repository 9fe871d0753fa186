// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/MD_masque.h"

namespace varlime {

std::string TDB_masque::champ() const {
    return masque ? masque().toStdString() : std::string();
}

bool TDB_masque::Utilise_masque() const {
    return varlime::Utilise_masque(champ());
}

TypeMasque TDB_masque::Type_masque() const {
    return varlime::Type_masque(champ());
}

std::string TDB_masque::Exploiter_masque(const std::string& ancien) const {
    const ResultatMasque r =
        varlime::Exploiter_masque(ancien, champ(), modeExif ? modeExif() : false);
    if (compteurInactifVisible)
        compteurInactifVisible(r.compteurInactifVisible);
    return r.nom;
}

QString TDB_masque::Exploiter_masque(const QString& ancien) const {
    return QString::fromStdString(Exploiter_masque(ancien.toStdString()));
}

} // namespace varlime
