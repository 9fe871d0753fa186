// SPDX-License-Identifier: GPL-3.0-or-later
#include "companions/ui/IHM_association_fichier.h"

#include "companions/ui/IHM_canon.h"
#include "core/modes.h"
#include "exif_naming/ui/IHM_exif_info.h"
#include "i18n/uLocalization.h"
#include "naming/chaineNommage.h"
#include "naming/reglagesNommage.h"
#include "platform/ui/Controls.h"
#include "platform/ui/ServicesFenetre.h"
#include "platform/ui/Utilitaire.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QVBoxLayout>

namespace varlime {

TDLG_association_fichier::TDLG_association_fichier(ServicesFenetre& app, Utilitaire& utilitaire,
                                                   LiensPrincipal liens, TDLG_exif_info& exif,
                                                   TDLG_canon& canon, QWidget* parent)
    : QDialog(parent), app_(app), utilitaire_(utilitaire), liens_(std::move(liens)), exif_(exif),
      canon_(canon) {
    setObjectName(QStringLiteral("DLG_association_fichier"));
    setWindowTitle(QStringLiteral("Association de fichiers"));
    auto* layout = new QVBoxLayout(this);
    LBL_titre = control<QLabel>("LBL_titre",
                                QStringLiteral("Varlimage des fichiers par association"), this);
    layout->addWidget(LBL_titre);
    auto* champs = new QHBoxLayout;
    EDT_association1 = new QLineEdit(QStringLiteral("AVI"), this);
    EDT_association1->setObjectName(QStringLiteral("EDT_association1"));
    LBL_et = control<QLabel>("LBL_et", QStringLiteral("et"), this);
    EDT_association2 = new QLineEdit(QStringLiteral("THM"), this);
    EDT_association2->setObjectName(QStringLiteral("EDT_association2"));
    LBL_porteur = control<QLabel>("LBL_porteur", QStringLiteral("porteur des EXIF"), this);
    champs->addWidget(EDT_association1);
    champs->addWidget(LBL_et);
    champs->addWidget(EDT_association2);
    champs->addWidget(LBL_porteur);
    layout->addLayout(champs);
    CKB_activer = control<QCheckBox>("CKB_activer", QStringLiteral("Activer l'association"), this);
    layout->addWidget(CKB_activer);
    MEM_info = new QPlainTextEdit(this);
    MEM_info->setObjectName(QStringLiteral("MEM_info"));
    MEM_info->setReadOnly(true);
    MEM_info->setPlainText(QStringLiteral("Cette option permet de varlimer n'importe quel fichier\n"
                                          "avec les métadonnées EXIF d'un autre fichier.\n"
                                          "Par exemple, un appareil photo produit des vidéos AVI\n"
                                          "associées à des fichiers THM porteurs des EXIF :\n"
                                          "tapez AVI à gauche et THM à droite."));
    layout->addWidget(MEM_info);
    auto* boutons = new QHBoxLayout;
    BT_ok = control<QPushButton>("BT_ok", QStringLiteral("OK"), this);
    BT_ok->setDefault(true);
    BT_options = control<QPushButton>("BT_options", QStringLiteral("Options Exif"), this);
    boutons->addStretch();
    boutons->addWidget(BT_ok);
    boutons->addStretch();
    boutons->addWidget(BT_options);
    boutons->addStretch();
    layout->addLayout(boutons);

    connect(CKB_activer, &QCheckBox::toggled, this, &TDLG_association_fichier::CKB_activerChange);
    connect(BT_ok, &QPushButton::clicked, this, [this] {
        if (!CKB_activer->isChecked())
            liens_.prefixeActif(true);
        accept();
    });
    connect(BT_options, &QPushButton::clicked, this, [this] {
        exif_.Gerer(true);
        accept();
    });
    app_.translate(this);
}

void TDLG_association_fichier::Gerer() {
    if (!utilitaire_.Proposer_sortie_mode(Mode::Association))
        return;
    largeurDesLignes(MEM_info);
    exec();
    // The listing filter follows the mode and the extensions.
    liens_.chercherFichier();
}

QString TDLG_association_fichier::Texte_statut() const {
    return QString::fromStdString(varlime::Texte_statut(
        Mode::Association, lookupMessages(app_.localization()),
        EDT_association1->text().toStdString(), EDT_association2->text().toStdString()));
}

void TDLG_association_fichier::CKB_activerChange(bool coche) {
    if (!coche) {
        exif_.Desactive_exif();
        return;
    }
    canon_.Desactiver_raw_canon();
    exif_.Active_exif();
    // Every file is searched, so that the filter sees both extensions.
    liens_.definirMasqueRecherche(QString::fromLatin1(kMasqueModeCompagnon));
    liens_.afficherStatut(Texte_statut());
    Utilitaire& util = utilitaire_;
    util.Sauver_parametre(reglages::kAssociationCible.section, reglages::kAssociationCible.cle,
                          EDT_association1->text().toStdString());
    util.Sauver_parametre(reglages::kAssociationSource.section, reglages::kAssociationSource.cle,
                          EDT_association2->text().toStdString());
}

void TDLG_association_fichier::Positionne_option_association_fichier(const QString& cible,
                                                                     const QString& source) {
    // While the mode is on, the fields hold the extensions the listing was made with;
    // the window's activation reading the file again must not change them under it.
    if (CKB_activer->isChecked())
        return;
    if (!cible.isEmpty())
        EDT_association1->setText(cible);
    if (!source.isEmpty())
        EDT_association2->setText(source);
}

void TDLG_association_fichier::Desactiver_mode_association() {
    CKB_activer->setChecked(false);
}

} // namespace varlime
