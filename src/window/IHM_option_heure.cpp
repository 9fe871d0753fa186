// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/IHM_option_heure.h"

#include "core/dateFormats.h"
#include "platform/ui/Controls.h"
#include "platform/ui/RadioGroup.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

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

std::optional<OptionsNommage> TDLG_option_heure::Gerer(OptionsNommage options) {
    const auto choix = choisirDansDialogue(*this, *RGA_type_heure, options.formatHeure);
    if (!choix)
        return std::nullopt;
    options.formatHeure = *choix;
    return options;
}

} // namespace varlime
