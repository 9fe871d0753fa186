// SPDX-License-Identifier: GPL-3.0-or-later
#include "companions/ui/IHM_canon.h"

#include "core/modes.h"
#include "exif_naming/ui/IHM_exif_info.h"
#include "naming/chaineNommage.h"
#include "naming/reglagesNommage.h"
#include "platform/ui/Controls.h"
#include "platform/ui/ServicesFenetre.h"
#include "platform/ui/Utilitaire.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace varlime {

TDLG_canon::TDLG_canon(ServicesFenetre& app, Utilitaire& utilitaire, LiensPrincipal liens,
                       TDLG_exif_info& exif, QWidget* parent)
    : QDialog(parent), app_(app), utilitaire_(utilitaire), liens_(std::move(liens)), exif_(exif) {
    setObjectName(QStringLiteral("DLG_canon"));
    setWindowTitle(QStringLiteral("Traitement des RAW Canon"));
    auto* layout = new QVBoxLayout(this);
    MEM_info = new QPlainTextEdit(this);
    MEM_info->setObjectName(QStringLiteral("MEM_info"));
    MEM_info->setReadOnly(true);
    MEM_info->setPlainText(
        QStringLiteral("Ce mode est obsolète.\n"
                       "Il servait aux premiers reflex Canon, qui produisaient des fichiers CRW\n"
                       "accompagnés de fichiers THM portant les EXIF.\n"
                       "Les boîtiers Canon actuels relèvent du mode association de fichiers\n"
                       "(menu Options, Association de fichiers)."));
    layout->addWidget(MEM_info);
    CKB_traiter =
        control<QCheckBox>("CKB_traiter", QStringLiteral("Traiter les fichiers RAW Canon"), this);
    CKB_pas_raw_canon = control<QCheckBox>(
        "CKB_pas_raw_canon",
        QStringLiteral("Je ne suis pas, pour le moment, concerné par le RAW Canon"), this);
    layout->addWidget(CKB_traiter);
    layout->addWidget(CKB_pas_raw_canon);
    auto* boutons = new QHBoxLayout;
    BT_ok = control<QPushButton>("BT_ok", QStringLiteral("OK"), this);
    BT_ok->setDefault(true);
    BT_options = control<QPushButton>("BT_options", QStringLiteral("Options Exif"), this);
    BT_aide = control<QPushButton>("BT_aide", QStringLiteral("Aide"), this);
    boutons->addStretch();
    boutons->addWidget(BT_ok);
    boutons->addStretch();
    boutons->addWidget(BT_options);
    boutons->addStretch();
    boutons->addWidget(BT_aide);
    boutons->addStretch();
    layout->addLayout(boutons);

    // Toggled rather than clicked: switching the mode off from elsewhere (another mode
    // entered, the not-concerned box) must undo what switching it on did.
    connect(CKB_traiter, &QCheckBox::toggled, this, &TDLG_canon::CKB_traiterChange);
    connect(CKB_pas_raw_canon, &QCheckBox::clicked, this, &TDLG_canon::CKB_pas_raw_canonClick);
    connect(BT_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(BT_options, &QPushButton::clicked, this, [this] {
        exif_.Gerer(true);
        accept();
    });
    connect(BT_aide, &QPushButton::clicked, this,
            [this] { app_.ouvrirAide("RSC_lien_aide_raw", this); });
    app_.translate(this);
    placerBoutons();
}

void TDLG_canon::placerBoutons() {
    // "Options Exif" only matters while the mode is on.
    BT_options->setVisible(CKB_traiter->isChecked());
}

void TDLG_canon::Gerer() {
    if (!utilitaire_.Proposer_sortie_mode(Mode::RawCanon))
        return;
    placerBoutons();
    largeurDesLignes(MEM_info);
    exec();
    // The listing filter follows the mode.
    liens_.chercherFichier();
}

void TDLG_canon::CKB_traiterChange(bool coche) {
    if (coche) {
        if (desactiverAssociation)
            desactiverAssociation();
        exif_.Active_exif();
        // Every file is searched, so that the filter sees the companions.
        liens_.definirMasqueRecherche(QString::fromLatin1(kMasqueModeCompagnon));
        liens_.boutonCanonVisible(true);
        liens_.afficherStatut(app_.texte("RSC_statut_raw_canon", "Mode Raw Canon"));
    } else {
        exif_.Desactive_exif();
        liens_.boutonCanonVisible(false);
    }
    placerBoutons();
}

void TDLG_canon::CKB_pas_raw_canonClick() {
    const bool concerne = !CKB_pas_raw_canon->isChecked();
    Affiche_raw_canon(concerne);
    utilitaire_.Sauver_parametre(reglages::kRawCanon.section, reglages::kRawCanon.cle,
                                 concerne ? "1" : "0");
}

void TDLG_canon::Affiche_raw_canon(bool concerne) {
    if (concerne) {
        CKB_traiter->setVisible(true);
        BT_options->setEnabled(true);
        CKB_pas_raw_canon->setChecked(false);
        liens_.outilRawVisible(true);
    } else {
        CKB_traiter->setChecked(false);
        CKB_traiter->setVisible(false);
        BT_options->setEnabled(false);
        CKB_pas_raw_canon->setChecked(true);
        liens_.outilRawVisible(false);
        liens_.boutonCanonVisible(false);
    }
}

void TDLG_canon::Positionne_option_raw_canon(const QString& valeur) {
    Affiche_raw_canon(valeur == QLatin1String("1"));
}

void TDLG_canon::Desactiver_raw_canon() {
    CKB_traiter->setChecked(false);
}

} // namespace varlime
