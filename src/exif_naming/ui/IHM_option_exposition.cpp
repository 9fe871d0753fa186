// SPDX-License-Identifier: GPL-3.0-or-later
#include "exif_naming/ui/IHM_option_exposition.h"

#include "platform/ui/Controls.h"
#include "platform/ui/RadioGroup.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

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

std::optional<OptionsNommage> TDLG_option_exposition::Gerer(OptionsNommage options) {
    const auto choix =
        choisirDansDialogue(*this, *RGA_affichage_exposition, options.exif.formatExposition);
    if (!choix)
        return std::nullopt;
    options.exif.formatExposition = *choix;
    options.exif.suffixeExposition = suffixe(*choix);
    return options;
}

std::string TDLG_option_exposition::suffixe(int index) const {
    // Names are written as the dialog shows the choice, in the active language.
    const bool connu = index >= 0 && index < RGA_affichage_exposition->count();
    const QString item = RGA_affichage_exposition->itemText(connu ? index : 0);
    const QString exemple = QStringLiteral("1_50");
    if (!item.startsWith(exemple))
        return {};
    const QString reste = item.mid(exemple.size());
    return reste.left(reste.indexOf(u' ')).toStdString();
}

} // namespace varlime
