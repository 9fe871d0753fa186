// SPDX-License-Identifier: GPL-3.0-or-later
#include "exif_naming/ui/IHM_option_ouverture.h"

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

std::optional<OptionsNommage> TDLG_option_ouverture::Gerer(OptionsNommage options) {
    const auto choix =
        choisirDansDialogue(*this, *RGA_affichage_ouverture, options.exif.formatOuverture);
    if (!choix)
        return std::nullopt;
    options.exif.formatOuverture = *choix;
    return options;
}

} // namespace varlime
