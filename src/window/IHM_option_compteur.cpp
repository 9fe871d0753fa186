// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/IHM_option_compteur.h"

#include "core/messageFormat.h"
#include "core/nameUtils.h"
#include "platform/ui/MessageService.h"
#include "platform/ui/RadioGroup.h"
#include "window/FenetresPrincipal.h"
#include "window/Main.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace varlime {

TDLG_option_compteur::TDLG_option_compteur(FenetresPrincipal& app, QWidget* parent)
    : QDialog(parent), app_(app) {
    setObjectName(QStringLiteral("DLG_option_compteur"));
    setWindowTitle(QStringLiteral("Options compteur"));
    // No close button: the dialog is left through OK only.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    auto* layout = new QVBoxLayout(this);
    RGA_type_compteur = new RadioGroup(
        QStringLiteral("RGA_type_compteur"), QStringLiteral("Type de compteur"),
        {QStringLiteral("Compteur numérique"), QStringLiteral("Compteur alphabétique")}, this);
    RGA_type_compteur->setItemIndex(0);
    RGA_position_compteur = new RadioGroup(
        QStringLiteral("RGA_position_compteur"), QStringLiteral("Position du compteur"),
        {QStringLiteral("À droite du préfixe (entre le préfixe et l'extension)"),
         QStringLiteral("À gauche du préfixe (préfixe du préfixe)")},
        this);
    RGA_position_compteur->setItemIndex(0);
    layout->addWidget(RGA_type_compteur);
    layout->addWidget(RGA_position_compteur);
    auto* line = new QHBoxLayout;
    LBL_initialisation = new QLabel(QStringLiteral("Initialiser le compteur à :"), this);
    LBL_initialisation->setObjectName(QStringLiteral("LBL_initialisation"));
    EDT_initialisation = new QLineEdit(QStringLiteral("1"), this);
    EDT_initialisation->setObjectName(QStringLiteral("EDT_initialisation"));
    EDT_initialisation->setMaxLength(8);
    LBL_initialisation->setBuddy(EDT_initialisation);
    line->addWidget(LBL_initialisation);
    line->addWidget(EDT_initialisation);
    layout->addLayout(line);
    LBL_info_alpha = new QLabel(QStringLiteral("soit"), this);
    LBL_info_alpha->setObjectName(QStringLiteral("LBL_info_alpha"));
    layout->addWidget(LBL_info_alpha);
    BT_ok = new QPushButton(QStringLiteral("OK"), this);
    BT_ok->setObjectName(QStringLiteral("BT_ok"));
    BT_ok->setDefault(true);
    layout->addWidget(BT_ok, 0, Qt::AlignHCenter);
    connect(BT_ok, &QPushButton::clicked, this, &TDLG_option_compteur::BT_okClick);
    connect(EDT_initialisation, &QLineEdit::textChanged, this, [this] { Informe_init_alpha(0); });
    app.translate(this);
    Informe_init_alpha(1);
    // The letters shown depend on the width too.
    connect(app.MainForm().CBB_largeur_increment, &QComboBox::currentTextChanged, this,
            [this] { Informe_init_alpha(1); });
}

std::optional<OptionsNommage> TDLG_option_compteur::Gerer(OptionsNommage options) {
    Informe_init_alpha(1);
    RGA_type_compteur->setItemIndex(options.alphabetique ? 1 : 0);
    RGA_position_compteur->setItemIndex(options.compteurADroite ? 0 : 1);
    initialisation_ = EDT_initialisation->text();
    if (exec() != QDialog::Accepted)
        return std::nullopt;
    options.alphabetique = RGA_type_compteur->itemIndex() != 0;
    options.compteurADroite = RGA_position_compteur->itemIndex() == 0;
    return options;
}

void TDLG_option_compteur::Informe_init_alpha(int sens) {
    if (synchronising_)
        return;
    synchronising_ = true;
    TMainForm& main = app_.MainForm();
    QLineEdit* source = sens == 1 ? main.EDT_initialisation : EDT_initialisation;
    QLineEdit* copie = sens == 1 ? EDT_initialisation : main.EDT_initialisation;
    const auto indication = Indication_alphabetique(
        source->text().toStdString(), main.CBB_largeur_increment->currentText().toStdString(),
        lookupMessages(app_.localization()));
    if (indication.valeurValide && copie->text() != source->text())
        copie->setText(source->text());
    const QString hint = QString::fromStdString(indication.texte);
    LBL_info_alpha->setText(hint);
    main.LBL_info_alpha->setText(hint);
    synchronising_ = false;
}

void TDLG_option_compteur::BT_okClick() {
    int v = 0;
    if (toInteger(EDT_initialisation->text().toStdString(), v)) {
        accept();
        return;
    }
    app_.messages().error(app_.texte("RSC_msg_nombre_invalide", "Le nombre saisi n'est pas valide"),
                          this);
}

void TDLG_option_compteur::reject() {
    // Escape and the window manager's close cancel: the main window's start value comes
    // back as the dialog opened with it.
    if (EDT_initialisation->text() != initialisation_)
        EDT_initialisation->setText(initialisation_);
    QDialog::reject();
}

} // namespace varlime
