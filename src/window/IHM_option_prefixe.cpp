// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/IHM_option_prefixe.h"

#include "platform/ui/Controls.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace varlime {

TDLG_option_prefixe::TDLG_option_prefixe(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("DLG_option_prefixe"));
    setWindowTitle(QStringLiteral("Sélectionnez des options pour les préfixes"));
    setModal(true);
    BT_date = control<QPushButton>("BT_date", QStringLiteral("Préfixe avec date"), this);
    BT_masque = control<QPushButton>("BT_masque",
                                     QStringLiteral("Préfixe avec utilisation des masques"), this);
    BT_ok = control<QPushButton>("BT_ok", QStringLiteral("OK"), this);
    BT_annuler = control<QPushButton>("BT_annuler", QStringLiteral("Annuler"), this);

    auto* boutons = new QHBoxLayout;
    boutons->addStretch();
    boutons->addWidget(BT_ok);
    boutons->addWidget(BT_annuler);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(BT_date);
    layout->addWidget(BT_masque);
    layout->addLayout(boutons);

    connect(BT_date, &QPushButton::clicked, this, [this] {
        if (ouvrirDate)
            ouvrirDate();
        accept();
    });
    connect(BT_masque, &QPushButton::clicked, this, [this] {
        if (ouvrirMasque)
            ouvrirMasque();
        accept();
    });
    connect(BT_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(BT_annuler, &QPushButton::clicked, this, &QDialog::reject);
}

void TDLG_option_prefixe::Gerer() {
    exec();
}

} // namespace varlime
