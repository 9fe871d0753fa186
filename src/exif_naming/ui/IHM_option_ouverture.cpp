// SPDX-License-Identifier: GPL-3.0-or-later
#include "exif_naming/ui/IHM_option_ouverture.h"

#include "core/nameUtils.h"
#include "exif_naming/composeurExif.h"
#include "naming/reglagesNommage.h"
#include "platform/ui/Controls.h"
#include "platform/ui/RadioGroup.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace varlime {

TDLG_option_ouverture::TDLG_option_ouverture(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("DLG_option_ouverture"));
    setWindowTitle(QStringLiteral("Options ouverture"));
    setModal(true);
    RGA_affichage_ouverture = new RadioGroup(
        QStringLiteral("RGA_affichage_ouverture"), QStringLiteral("Affichage de l'ouverture"),
        {QStringLiteral("F2,8"), QStringLiteral("F2.8")}, this);
    LBL_note = control<QLabel>(
        "LBL_note", QStringLiteral("Ce choix impactera également le point décimal de la focale"),
        this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(RGA_affichage_ouverture);
    layout->addWidget(LBL_note);
    layout->addLayout(boutonsOkAnnuler(this, BT_ok, BT_annuler));
}

void TDLG_option_ouverture::Gerer() {
    // No stored choice names read as the first one: it is shown ticked.
    const int avant = index();
    if (avant < 0)
        RGA_affichage_ouverture->setItemIndex(0);
    if (exec() != QDialog::Accepted) {
        RGA_affichage_ouverture->setItemIndex(avant);
        return;
    }
    if (liens.sauverParametre)
        liens.sauverParametre(QString::fromLatin1(reglages::kFormatOuverture.section),
                              QString::fromLatin1(reglages::kFormatOuverture.cle),
                              QString::number(index()));
}

int TDLG_option_ouverture::index() const {
    return RGA_affichage_ouverture->itemIndex();
}

QString TDLG_option_ouverture::Retourne_ouverture_formatee(double valeur) const {
    return QString::fromStdString(varlime::Retourne_ouverture_formatee(valeur, index()));
}

bool TDLG_option_ouverture::Positionne_option_ouverture(const QString& texte) {
    if (texte == QLatin1String("ERREUR"))
        return true;
    int i = 0;
    if (!toInteger(texte.toStdString(), i))
        return false;
    RGA_affichage_ouverture->setItemIndex(i);
    return true;
}

} // namespace varlime
