#include "core/IHM_option_prefixe.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace varlime {

TDLG_option_prefixe::TDLG_option_prefixe(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("DLG_option_prefixe"));
    setWindowTitle(QStringLiteral("Sélectionnez des options pour les préfixes"));
    setModal(true);
    auto bouton = [this](const char* nom, const QString& texte) {
        auto* b = new QPushButton(texte, this);
        b->setObjectName(QString::fromLatin1(nom));
        return b;
    };
    BT_date = bouton("BT_date", QStringLiteral("Préfixe avec date"));
    BT_masque = bouton("BT_masque", QStringLiteral("Préfixe avec utilisation des masques"));
    BT_ok = bouton("BT_ok", QStringLiteral("OK"));
    BT_annuler = bouton("BT_annuler", QStringLiteral("Annuler"));

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
    if (parentWidget())
        move(parentWidget()->geometry().center() - rect().center());
    exec();
}

} // namespace varlime
