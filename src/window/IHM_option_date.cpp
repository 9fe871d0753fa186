// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/IHM_option_date.h"
#include "naming/chaineNommage.h"

#include "core/nameUtils.h"
#include "naming/reglagesNommage.h"
#include "platform/ui/RadioGroup.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace varlime {

TDLG_option_date::TDLG_option_date(TextLookup texte, QWidget* parent)
    : QDialog(parent), texte_(std::move(texte)) {
    setObjectName(QStringLiteral("DLG_option_date"));
    setWindowTitle(QStringLiteral("Options date"));
    setModal(true);

    CKB_date = new QCheckBox(QStringLiteral("Préfixe auto avec date"), this);
    CKB_date->setObjectName(QStringLiteral("CKB_date"));

    RGA_select_source_date = new RadioGroup(
        QStringLiteral("RGA_select_source_date"),
        QStringLiteral("Source de la date prise en compte"),
        {QStringLiteral("Date fixe ->"), QStringLiteral("Date de création du fichier")}, this);
    RGA_select_source_date->setItemIndex(0);

    EDT_date = new QDateEdit(dateDuJour(), this);
    EDT_date->setObjectName(QStringLiteral("EDT_date"));
    EDT_date->setCalendarPopup(true);
    EDT_date->setDisplayFormat(QStringLiteral("dd/MM/yyyy"));

    QStringList formats;
    for (auto caption : kFormatsDate)
        formats << QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size()));
    RGA_type_date = new RadioGroup(QStringLiteral("RGA_type_date"),
                                   QStringLiteral("Utilisation de la date"), formats, this);
    RGA_type_date->setItemIndex(0);

    CKB_separateur = new QCheckBox(QStringLiteral("Ajouter séparateur final"), this);
    CKB_separateur->setObjectName(QStringLiteral("CKB_separateur"));
    CKB_separateur->setChecked(true);
    CBB_separateur_final = new QComboBox(this);
    CBB_separateur_final->setObjectName(QStringLiteral("CBB_separateur_final"));
    CBB_separateur_final->setEditable(true);
    CBB_separateur_final->addItems({QStringLiteral("_"), QStringLiteral("-")});
    CBB_separateur_final->setCurrentIndex(0);

    BT_ok = new QPushButton(QStringLiteral("OK"), this);
    BT_ok->setObjectName(QStringLiteral("BT_ok"));
    BT_ok->setDefault(true);
    BT_annuler = new QPushButton(QStringLiteral("Annuler"), this);
    BT_annuler->setObjectName(QStringLiteral("BT_annuler"));

    auto* source = new QHBoxLayout;
    source->addWidget(RGA_select_source_date);
    source->addWidget(EDT_date, 0, Qt::AlignTop);
    auto* separateur = new QHBoxLayout;
    separateur->addWidget(CKB_separateur);
    separateur->addWidget(CBB_separateur_final);
    separateur->addStretch();
    auto* boutons = new QHBoxLayout;
    boutons->addStretch();
    boutons->addWidget(BT_ok);
    boutons->addWidget(BT_annuler);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(CKB_date);
    layout->addLayout(source);
    layout->addWidget(RGA_type_date);
    layout->addLayout(separateur);
    layout->addLayout(boutons);

    connect(CKB_date, &QCheckBox::toggled, this, [this] { CKB_dateClick(); });
    connect(BT_ok, &QPushButton::clicked, this, [this] { BT_okClick(); });
    connect(BT_annuler, &QPushButton::clicked, this, &QDialog::reject);
    CKB_dateClick();
}

void TDLG_option_date::CKB_dateClick() {
    const bool actif = CKB_date->isChecked();
    for (QWidget* w :
         {static_cast<QWidget*>(EDT_date), static_cast<QWidget*>(RGA_type_date),
          static_cast<QWidget*>(RGA_select_source_date), static_cast<QWidget*>(CKB_separateur),
          static_cast<QWidget*>(CBB_separateur_final)})
        w->setEnabled(actif);
}

void TDLG_option_date::montrerControlesPrefixe(bool visible) {
    for (QWidget* w :
         {static_cast<QWidget*>(CKB_date), static_cast<QWidget*>(RGA_select_source_date),
          static_cast<QWidget*>(EDT_date), static_cast<QWidget*>(CKB_separateur),
          static_cast<QWidget*>(CBB_separateur_final)})
        w->setVisible(visible);
}

void TDLG_option_date::Gerer(bool prefixe) {
    formePrefixe_ = prefixe;
    if (prefixe) {
        if (liens.sortirMode && !liens.sortirMode(Mode::DateCreation))
            return;
        montrerControlesPrefixe(true);
        RGA_type_date->setEnabled(CKB_date->isChecked());
    } else {
        montrerControlesPrefixe(false);
        RGA_type_date->setEnabled(true);
    }
    exec();
    if (liens.chercherFichier)
        liens.chercherFichier();
    if (liens.sauverParametre)
        liens.sauverParametre(QString::fromLatin1(reglages::kFormatDate.section),
                              QString::fromLatin1(reglages::kFormatDate.cle),
                              QString::number(RGA_type_date->itemIndex()));
}

void TDLG_option_date::BT_okClick() {
    // Opened only to choose the date's form (for EXIF names), the dialog leaves the
    // prefix field and the mode as they are: the date-prefix controls were not even shown.
    if (!formePrefixe_) {
        accept();
        return;
    }
    auto statut = [this](Mode m) {
        if (liens.afficherStatut)
            liens.afficherStatut(QString::fromStdString(Nom_statut(m, texte_)));
    };
    if (!CKB_date->isChecked()) {
        if (liens.prefixeVisible)
            liens.prefixeVisible(true);
        statut(Mode::Normal);
    } else if (RGA_select_source_date->itemIndex() == 1) {
        // Each row asks for its own file's date: the prefix field has nothing to hold.
        OptionsNommage o;
        appliquerDateFichier(o);
        if (liens.definirPrefixe)
            liens.definirPrefixe(QString::fromStdString(o.prefixe));
        if (liens.prefixeVisible)
            liens.prefixeVisible(false);
        statut(Mode::DateCreation);
    } else {
        // A fixed date is an ordinary prefix text from now on.
        OptionsNommage o;
        o.formatDate = formatDate();
        o.separateur = separateur();
        o.compteurADroite = liens.compteurADroite ? liens.compteurADroite() : true;
        appliquerDateFixe(o, EDT_date->date());
        if (liens.definirPrefixe)
            liens.definirPrefixe(QString::fromStdString(o.prefixe));
        if (liens.prefixeVisible)
            liens.prefixeVisible(true);
        statut(Mode::Normal);
    }
    accept();
}

QString TDLG_option_date::Formate_date(const QDate& date) const {
    return QString::fromStdString(varlime::Formate_date(RGA_type_date->itemIndex(), date));
}

SeparateurDate TDLG_option_date::separateur() const {
    return {CKB_separateur->isChecked(), CBB_separateur_final->currentText().toStdString()};
}

int TDLG_option_date::formatDate() const {
    return RGA_type_date->itemIndex();
}

QString TDLG_option_date::Retourne_date_et_compteur_formate(const QString& texte) const {
    const bool droite = liens.compteurADroite ? liens.compteurADroite() : true;
    return QString::fromStdString(
        varlime::Retourne_date_et_compteur_formate(texte.toStdString(), separateur(), droite));
}

std::string TDLG_option_date::Retourne_date_creation_fichier(const std::string& dossier,
                                                             const std::string& nom) const {
    const bool droite = liens.compteurADroite ? liens.compteurADroite() : true;
    return varlime::Retourne_date_creation_fichier(dossier, nom, formatDate(), separateur(),
                                                   droite);
}

bool TDLG_option_date::Utilise_date_fichier() const {
    return CKB_date->isChecked() && RGA_select_source_date->itemIndex() == 1;
}

bool TDLG_option_date::Date_prefixe_active() const {
    return CKB_date->isChecked();
}

bool TDLG_option_date::Positionne_option_date(const QString& texte) {
    if (texte == QLatin1String("ERREUR"))
        return true;
    int index = 0;
    if (!toInteger(texte.toStdString(), index))
        return false;
    RGA_type_date->setItemIndex(index);
    return true;
}

void TDLG_option_date::Desactiver_mode_date_creation() {
    CKB_date->setChecked(false);
    RGA_select_source_date->setItemIndex(0);
}

} // namespace varlime
