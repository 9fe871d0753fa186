// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/IHM_option_date.h"
#include "naming/chaineNommage.h"

#include "platform/ui/RadioGroup.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
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
    EDT_date->installEventFilter(this);

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

bool TDLG_option_date::eventFilter(QObject* objet, QEvent* e) {
    // A date field takes a digit only into a part that is selected or not full: with the
    // cursor inside "05", a typed digit would be refused. Selecting the part first lets
    // the digit replace it, and the field moves on to the next part once it is full.
    if (objet == EDT_date && e->type() == QEvent::KeyPress) {
        const QString texte = static_cast<QKeyEvent*>(e)->text();
        const QDateTimeEdit::Section partie = EDT_date->currentSection();
        const auto* champ = EDT_date->findChild<QLineEdit*>();
        const int chiffres = partie == QDateTimeEdit::YearSection ? 4 : 2;
        if (texte.size() == 1 && texte[0].isDigit() && champ && !champ->hasSelectedText() &&
            EDT_date->sectionText(partie).size() >= chiffres)
            EDT_date->setSelectedSection(partie);
        // The field moved on by itself after a full part, selecting the next one: the
        // separator typed then is the one it already passed, not a step to the part after.
        const int debut = !champ                     ? 0
                          : champ->hasSelectedText() ? champ->selectionStart()
                                                     : champ->cursorPosition();
        if (texte == QLatin1String("/") && debut > 0 &&
            champ->text().at(debut - 1) == QLatin1Char('/'))
            return true;
    }
    return QDialog::eventFilter(objet, e);
}

std::optional<OptionsNommage> TDLG_option_date::Gerer(bool prefixe, OptionsNommage options) {
    formePrefixe_ = prefixe;
    copie_ = std::move(options);
    // The fixed date is the dialog's own: it stays as last chosen.
    CKB_date->setChecked(copie_.datePrefixe);
    RGA_select_source_date->setItemIndex(copie_.dateFichier ? 1 : 0);
    RGA_type_date->setItemIndex(copie_.formatDate);
    CKB_separateur->setChecked(copie_.separateur.coche);
    CBB_separateur_final->setEditText(QString::fromStdString(copie_.separateur.texte));
    montrerControlesPrefixe(prefixe);
    RGA_type_date->setEnabled(!prefixe || CKB_date->isChecked());
    if (exec() != QDialog::Accepted)
        return std::nullopt;
    return copie_;
}

void TDLG_option_date::BT_okClick() {
    copie_.formatDate = RGA_type_date->itemIndex();
    // Opened only to choose the date's form (for EXIF names), the dialog leaves the
    // prefix and the mode as they are: the date-prefix controls were not even shown.
    if (!formePrefixe_) {
        accept();
        return;
    }
    copie_.separateur = {CKB_separateur->isChecked(),
                         CBB_separateur_final->currentText().toStdString()};
    copie_.datePrefixe = CKB_date->isChecked();
    if (!copie_.datePrefixe)
        copie_.dateFichier = false;
    else if (RGA_select_source_date->itemIndex() == 1)
        appliquerDateFichier(copie_); // each row asks for its own file's date
    else
        appliquerDateFixe(copie_, EDT_date->date()); // an ordinary prefix text from now on
    accept();
}

} // namespace varlime
