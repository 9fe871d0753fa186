#include "window/IHM_option_heure.h"

#include "core/dateFormats.h"
#include "core/nameUtils.h"
#include "naming/reglagesNommage.h"
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
    BT_ok = new QPushButton(QStringLiteral("OK"), this);
    BT_ok->setObjectName(QStringLiteral("BT_ok"));
    BT_ok->setDefault(true);
    connect(BT_ok, &QPushButton::clicked, this, &QDialog::accept);
    BT_annuler = new QPushButton(QStringLiteral("Annuler"), this);
    BT_annuler->setObjectName(QStringLiteral("BT_annuler"));
    connect(BT_annuler, &QPushButton::clicked, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(RGA_type_heure);
    auto* boutons = new QHBoxLayout;
    boutons->addStretch();
    boutons->addWidget(BT_ok);
    boutons->addWidget(BT_annuler);
    boutons->addStretch();
    layout->addLayout(boutons);
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
