// SPDX-License-Identifier: GPL-3.0-or-later
#include "exif_naming/ui/IHM_exif_option_affichage.h"

#include "platform/ui/Controls.h"

#include <QPushButton>
#include <QVBoxLayout>

namespace varlime {

TDLG_exif_option_affichage::TDLG_exif_option_affichage(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("DLG_exif_option_affichage"));
    setWindowTitle(QStringLiteral("Options affichage informations EXIF"));
    setModal(true);
    BT_option_date = control<QPushButton>("BT_option_date", QStringLiteral("Options date"), this);
    BT_option_heure =
        control<QPushButton>("BT_option_heure", QStringLiteral("Options heure"), this);
    BT_option_ouverture =
        control<QPushButton>("BT_option_ouverture", QStringLiteral("Options ouverture"), this);
    BT_option_exposition =
        control<QPushButton>("BT_option_exposition", QStringLiteral("Options exposition"), this);
    BT_ok = control<QPushButton>("BT_ok", QStringLiteral("OK"), this);
    BT_ok->setDefault(true);
    auto* layout = new QVBoxLayout(this);
    for (QPushButton* b :
         {BT_option_date, BT_option_heure, BT_option_ouverture, BT_option_exposition, BT_ok})
        layout->addWidget(b);
    auto relier = [this](QPushButton* b, std::function<void()>& f) {
        connect(b, &QPushButton::clicked, this, [&f] {
            if (f)
                f();
        });
    };
    relier(BT_option_date, ouvrirDate);
    relier(BT_option_heure, ouvrirHeure);
    relier(BT_option_ouverture, ouvrirOuverture);
    relier(BT_option_exposition, ouvrirExposition);
    connect(BT_ok, &QPushButton::clicked, this, &QDialog::accept);
}

void TDLG_exif_option_affichage::Gerer() {
    exec();
}

} // namespace varlime
