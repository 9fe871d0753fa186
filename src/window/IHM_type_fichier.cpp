// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/IHM_type_fichier.h"

#include "platform/fileSystem.h"
#include "platform/ui/Controls.h"
#include "platform/ui/RadioGroup.h"
#include "platform/ui/ServicesFenetre.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>
#include <array>

namespace varlime {

TDLG_type_fichier::TDLG_type_fichier(ServicesFenetre& app, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("DLG_type_fichier"));
    setWindowTitle(QStringLiteral("Type fichiers"));
    auto* layout = new QVBoxLayout(this);
    GRA_fichier =
        new RadioGroup(QStringLiteral("GRA_fichier"), QStringLiteral("Fichiers"),
                       {QStringLiteral("Tous fichiers"), QStringLiteral("Sauf répertoires"),
                        QStringLiteral("Recherche sur attributs")},
                       this);
    GRA_fichier->setItemIndex(1);
    layout->addWidget(GRA_fichier);
    GRP_propriete = new QGroupBox(QStringLiteral("Propriété"), this);
    GRP_propriete->setObjectName(QStringLiteral("GRP_propriete"));
    auto* grid = new QGridLayout(GRP_propriete);
    CKB_lecture_seule =
        control<QCheckBox>("CKB_lecture_seule", QStringLiteral("Lecture seule"), GRP_propriete);
    CKB_cache = control<QCheckBox>("CKB_cache", QStringLiteral("Caché"), GRP_propriete);
    CKB_systeme = control<QCheckBox>("CKB_systeme", QStringLiteral("Système"), GRP_propriete);
    CKB_volume =
        control<QCheckBox>("CKB_volume", QStringLiteral("Identification volume"), GRP_propriete);
    CKB_repertoire =
        control<QCheckBox>("CKB_repertoire", QStringLiteral("Répertoire"), GRP_propriete);
    CKB_archive = control<QCheckBox>("CKB_archive", QStringLiteral("Archive"), GRP_propriete);
    grid->addWidget(CKB_lecture_seule, 0, 0);
    grid->addWidget(CKB_cache, 1, 0);
    grid->addWidget(CKB_systeme, 2, 0);
    grid->addWidget(CKB_volume, 0, 1);
    grid->addWidget(CKB_repertoire, 1, 1);
    grid->addWidget(CKB_archive, 2, 1);
    layout->addWidget(GRP_propriete);
    GRP_propriete->setVisible(false);
    BT_ok = new QPushButton(QStringLiteral("OK"), this);
    BT_ok->setObjectName(QStringLiteral("BT_ok"));
    BT_ok->setDefault(true);
    BT_annuler = control<QPushButton>("BT_annuler", QStringLiteral("Annuler"), this);
    auto* boutons = new QHBoxLayout;
    boutons->addStretch(1);
    boutons->addWidget(BT_ok);
    boutons->addWidget(BT_annuler);
    boutons->addStretch(1);
    layout->addLayout(boutons);
    connect(BT_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(BT_annuler, &QPushButton::clicked, this, &QDialog::reject);
    // The attribute boxes only matter for the third choice.
    connect(GRA_fichier, &RadioGroup::itemIndexChanged, this, [this](int i) {
        GRP_propriete->setVisible(i == 2);
        adjustSize();
    });
    app.translate(this);
}

void TDLG_type_fichier::Gerer() {
    // Cancel (or Escape) puts back the choice the dialog opened with.
    const int choix = GRA_fichier->itemIndex();
    const std::array<QCheckBox*, 6> cases = {CKB_lecture_seule, CKB_cache,      CKB_systeme,
                                             CKB_volume,        CKB_repertoire, CKB_archive};
    std::array<bool, 6> cochees{};
    for (std::size_t i = 0; i < cases.size(); ++i)
        cochees[i] = cases[i]->isChecked();
    if (exec() == QDialog::Accepted)
        return;
    GRA_fichier->setItemIndex(choix);
    for (std::size_t i = 0; i < cases.size(); ++i)
        cases[i]->setChecked(cochees[i]);
}

int TDLG_type_fichier::Determiner() const {
    switch (GRA_fichier->itemIndex()) {
    case 0:
        return attrTous;
    case 1:
        return attrTous & ~attrRepertoire;
    case 2: {
        int set = 0;
        if (CKB_lecture_seule->isChecked())
            set |= attrLectureSeule;
        if (CKB_cache->isChecked())
            set |= attrCache;
        if (CKB_systeme->isChecked())
            set |= attrSysteme;
        if (CKB_volume->isChecked())
            set |= attrVolume;
        if (CKB_repertoire->isChecked())
            set |= attrRepertoire;
        if (CKB_archive->isChecked())
            set |= attrArchive;
        return set;
    }
    default:
        return 0;
    }
}

} // namespace varlime
