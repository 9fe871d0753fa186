#include "exif_naming/ui/IHM_option_exposition.h"

#include "core/nameUtils.h"
#include "exif_naming/composeurExif.h"
#include "naming/reglagesNommage.h"
#include "platform/ui/Controls.h"
#include "platform/ui/RadioGroup.h"

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
    BT_ok = control<QPushButton>("BT_ok", QStringLiteral("OK"), this);
    BT_ok->setDefault(true);
    connect(BT_ok, &QPushButton::clicked, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(RGA_affichage_exposition);
    layout->addWidget(BT_ok, 0, Qt::AlignHCenter);
}

void TDLG_option_exposition::Gerer() {
    exec();
    if (liens.sauverParametre)
        liens.sauverParametre(QString::fromLatin1(reglages::kFormatExposition.section),
                              QString::fromLatin1(reglages::kFormatExposition.cle),
                              QString::number(index()));
}

int TDLG_option_exposition::index() const {
    return RGA_affichage_exposition->itemIndex();
}

QString TDLG_option_exposition::Retourne_exposition_formatee(double secondes) const {
    return QString::fromStdString(varlime::Retourne_exposition_formatee(secondes, index()));
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
