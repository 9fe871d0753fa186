#include "window/IHM_option_heure.h"

#include "core/dateFormats.h"
#include "core/nameUtils.h"
#include "platform/ui/RadioGroup.h"

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
    BT_ok = new QPushButton(QStringLiteral("OK"), this);
    BT_ok->setObjectName(QStringLiteral("BT_ok"));
    BT_ok->setDefault(true);
    connect(BT_ok, &QPushButton::clicked, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(RGA_type_heure);
    layout->addWidget(BT_ok, 0, Qt::AlignHCenter);
}

void TDLG_option_heure::Gerer() {
    exec();
    if (liens.sauverParametre)
        liens.sauverParametre(QStringLiteral("FORMATS"), QStringLiteral("HEURE"),
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
