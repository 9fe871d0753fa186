// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/IHM_option_heure.h"

#include "core/dateFormats.h"
#include "core/nameUtils.h"
#include "naming/reglagesNommage.h"
#include "platform/ui/Controls.h"
#include "platform/ui/RadioGroup.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace varlime {

TDLG_option_heure::TDLG_option_heure(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("DLG_option_heure"));
    setWindowTitle(QStringLiteral("Options heure"));
    setModal(true);
    QStringList items;
    for (auto caption : kFormatsHeure)
        items << QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size()));
    RGA_type_heure = new RadioGroup(QStringLiteral("RGA_type_heure"),
                                    QStringLiteral("Utilisation de l'heure"), items, this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(RGA_type_heure);
    layout->addLayout(boutonsOkAnnuler(this, BT_ok, BT_annuler));
}

void TDLG_option_heure::Gerer() {
    // No stored choice names times as the first format: it is shown ticked.
    const int avant = std::max(formatHeure(), 0);
    RGA_type_heure->setItemIndex(avant);
    if (exec() != QDialog::Accepted) {
        RGA_type_heure->setItemIndex(avant);
        return;
    }
    if (liens.sauverParametre)
        liens.sauverParametre(QString::fromLatin1(reglages::kFormatHeure.section),
                              QString::fromLatin1(reglages::kFormatHeure.cle),
                              QString::number(RGA_type_heure->itemIndex()));
}

QString TDLG_option_heure::Retourne_heure_formatee(const QTime& heure) const {
    return QString::fromStdString(Formate_heure(RGA_type_heure->itemIndex(), heure));
}

int TDLG_option_heure::formatHeure() const {
    return RGA_type_heure->itemIndex();
}

bool TDLG_option_heure::Positionne_option_heure(const QString& texte) {
    if (texte == QLatin1String("ERREUR"))
        return true;
    int index = 0;
    if (!toInteger(texte.toStdString(), index))
        return false;
    RGA_type_heure->setItemIndex(index);
    return true;
}

} // namespace varlime
