// SPDX-License-Identifier: GPL-3.0-or-later
#include "exif_naming/ui/IHM_option_exposition.h"

#include "core/nameUtils.h"
#include "exif_naming/composeurExif.h"
#include "naming/reglagesNommage.h"
#include "platform/ui/Controls.h"
#include "platform/ui/RadioGroup.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace varlime {

TDLG_option_exposition::TDLG_option_exposition(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("DLG_option_exposition"));
    setWindowTitle(QStringLiteral("Options exposition"));
    setModal(true);
    RGA_affichage_exposition = new RadioGroup(
        QStringLiteral("RGA_affichage_exposition"), QStringLiteral("Affichage de l'exposition"),
        {QStringLiteral("1_50_eme"), QStringLiteral("1_50_ème (évitez les accents pour Internet)")},
        this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(RGA_affichage_exposition);
    layout->addLayout(boutonsOkAnnuler(this, BT_ok, BT_annuler));
}

void TDLG_option_exposition::Gerer() {
    // No stored choice names read as the first one: it is shown ticked.
    const int avant = index();
    if (avant < 0)
        RGA_affichage_exposition->setItemIndex(0);
    if (exec() != QDialog::Accepted) {
        RGA_affichage_exposition->setItemIndex(avant);
        return;
    }
    if (liens.sauverParametre)
        liens.sauverParametre(QString::fromLatin1(reglages::kFormatExposition.section),
                              QString::fromLatin1(reglages::kFormatExposition.cle),
                              QString::number(index()));
}

int TDLG_option_exposition::index() const {
    return RGA_affichage_exposition->itemIndex();
}

std::string TDLG_option_exposition::suffixe() const {
    // The choice as its item shows it, "1_50" then the suffix, in the active language:
    // names are written as the dialog shows them.
    const QString item = RGA_affichage_exposition->itemText(std::max(0, index()));
    const QString exemple = QStringLiteral("1_50");
    if (!item.startsWith(exemple))
        return {};
    const QString reste = item.mid(exemple.size());
    return reste.left(reste.indexOf(u' ')).toStdString();
}

QString TDLG_option_exposition::Retourne_exposition_formatee(double secondes) const {
    return QString::fromStdString(
        varlime::Retourne_exposition_formatee(secondes, index(), suffixe()));
}

bool TDLG_option_exposition::Positionne_option_exposition(const QString& texte) {
    if (texte == QLatin1String("ERREUR"))
        return true;
    int i = 0;
    if (!toInteger(texte.toStdString(), i))
        return false;
    RGA_affichage_exposition->setItemIndex(i);
    return true;
}

} // namespace varlime
