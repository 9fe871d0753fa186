// SPDX-License-Identifier: GPL-3.0-or-later
#include "companions/ui/MD_association_fichier.h"

#include "companions/compagnons.h"
#include "companions/ui/IHM_association_fichier.h"
#include "companions/ui/IHM_canon.h"

#include <QCheckBox>
#include <QLineEdit>

namespace varlime {

TDB_association_fichier::TDB_association_fichier(const TDLG_canon& canon,
                                                 const TDLG_association_fichier& dialogue)
    : canon_(canon), dialogue_(dialogue) {}

OptionsCompagnons TDB_association_fichier::options() const {
    OptionsCompagnons o;
    o.rawCanon = canon_.CKB_traiter->isChecked();
    const TDLG_association_fichier& d = dialogue_;
    o.association = d.CKB_activer->isChecked();
    o.cible = d.EDT_association1->text().toStdString();
    o.source = d.EDT_association2->text().toStdString();
    return o;
}

bool TDB_association_fichier::Traite_association_fichier() const {
    return options().association;
}

bool TDB_association_fichier::Traiter_association(const std::string& nom, int& decalage) const {
    return varlime::Traiter_association(options(), nom, decalage);
}

} // namespace varlime
