// SPDX-License-Identifier: GPL-3.0-or-later
#include "info/ui/IHM_a_propos.h"

#include "core/messageFormat.h"
#include "imaging/LibGfl.h"
#include "imaging/ui/MD_image.h"
#include "platform/ui/ServicesFenetre.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace varlime {

TDLG_a_propos::TDLG_a_propos(ServicesFenetre& app, LibGfl& bibliotheque, QWidget* parent)
    : QDialog(parent), app_(app), bibliotheque_(bibliotheque) {
    setObjectName(QStringLiteral("DLG_a_propos"));
    setWindowTitle(QStringLiteral("À propos"));
    auto* layout = new QVBoxLayout(this);
    LBL_produit = new QLabel(QStringLiteral("<b>Varlime</b>"), this);
    LBL_produit->setObjectName(QStringLiteral("LBL_produit"));
    LBL_version = new QLabel(QStringLiteral("Version ") + version(), this);
    LBL_version->setObjectName(QStringLiteral("LBL_version"));
    LBL_lien = new QLabel(QStringLiteral("Renommage de photos par lots"), this);
    LBL_lien->setObjectName(QStringLiteral("LBL_lien"));
    LBL_bibliotheque_image = new QLabel(this);
    LBL_bibliotheque_image->setObjectName(QStringLiteral("LBL_bibliotheque_image"));
    LBL_bibliotheque_image->setAlignment(Qt::AlignHCenter);
    LBL_bibliotheque_image->setTextInteractionFlags(Qt::TextSelectableByMouse);
    BT_ok = new QPushButton(QStringLiteral("OK"), this);
    BT_ok->setObjectName(QStringLiteral("BT_ok"));
    for (QWidget* w : std::initializer_list<QWidget*>{LBL_produit, LBL_version, LBL_lien,
                                                      LBL_bibliotheque_image})
        layout->addWidget(w, 0, Qt::AlignHCenter);
    layout->addWidget(BT_ok, 0, Qt::AlignHCenter);
    connect(BT_ok, &QPushButton::clicked, this, &QDialog::accept);
    app.translate(this);
}

void TDLG_a_propos::Gerer() {
    Decrire_bibliotheque_image();
    exec();
}

void TDLG_a_propos::Decrire_bibliotheque_image() {
    // Whether pictures go through the imaging library, told as it is now: the library
    // is loaded here when no picture has loaded it yet.
    LibGfl& bibliotheque = bibliotheque_;
    QStringList lignes;
    if (bibliotheque.Charger_DLL_LibGfl()) {
        lignes << app_.texte("RSC_msg_libgfl_chargee", "Bibliothèque d'images chargée")
               << formatMessage(app_.texte("RSC_msg_libgfl_origine", "Fichier : %s"),
                                {QString::fromStdString(bibliotheque.cheminCharge())});
    } else {
        lignes << app_.texte("RSC_msg_libgfl_absente", "Bibliothèque d'images non chargée");
        const std::vector<std::string> raisons = bibliotheque.raisonsEchec();
        if (raisons.empty())
            lignes << app_.texte("RSC_msg_libgfl_desactivee",
                                 "Aucun emplacement à essayer (VARLIME_GFL=off)");
        for (const std::string& r : raisons)
            lignes << QString::fromStdString(r);
    }
    LBL_bibliotheque_image->setText(lignes.join(u'\n'));
}

QString TDLG_a_propos::version() {
    return QStringLiteral(VARLIME_VERSION);
}

} // namespace varlime
