#include "info/ui/IHM_a_propos.h"

#include "app/Application.h"
#include "imaging/ui/MD_image.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace varlime {

TDLG_a_propos::TDLG_a_propos(Application& app, QWidget* parent) : QDialog(parent), app_(app) {
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
    // Whether pictures go through the imaging library (loaded on the first picture).
    LBL_bibliotheque_image->setText(
        app_.DB_image().DLL_LibGfl_charge()
            ? app_.texte("RSC_msg_libgfl_chargee", "Bibliothèque d'images chargée")
            : app_.texte("RSC_msg_libgfl_absente", "Bibliothèque d'images non chargée"));
    exec();
}

QString TDLG_a_propos::version() {
    return QStringLiteral(VARLIME_VERSION);
}

} // namespace varlime
