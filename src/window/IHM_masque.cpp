// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/IHM_masque.h"

#include "core/maskEngine.h"
#include "platform/ui/MessageService.h"
#include "platform/ui/RadioGroup.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace varlime {

TDLG_masque::TDLG_masque(TextLookup texte, MessageService& messages, QWidget* parent)
    : QDialog(parent), texte_(std::move(texte)), messages_(messages) {
    setObjectName(QStringLiteral("DLG_masque"));
    setWindowTitle(QStringLiteral("Utilisation des masques"));
    setModal(true);

    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    Memo1->setPlainText(QStringLiteral(
        "Les masques permettent de conserver des éléments du nom d'origine des fichiers : "
        "son compteur, une partie de son texte, ou le nom entier entouré d'un préfixe et "
        "d'un suffixe."));
    Memo1->setMaximumHeight(70);

    RGA_masque = new RadioGroup(
        QStringLiteral("RGA_masque"), QStringLiteral("Masque"),
        {QStringLiteral("[PRÉFIXE&&N] Conserve les derniers caractères numériques du nom source"),
         QStringLiteral("[{REMPLACÉ} {REMPLACEMENT}] Remplace une chaîne par une autre"),
         QStringLiteral("[PRÉFIXE*SUFFIXE] Ajoute préfixe et suffixe au nom d'origine"),
         QStringLiteral("[-N] Suppression d'un compteur existant")},
        this);

    LBL_masque = new QLabel(QStringLiteral("Masque retenu :"), this);
    LBL_masque->setObjectName(QStringLiteral("LBL_masque"));
    EDT_masque = new QLineEdit(this);
    EDT_masque->setObjectName(QStringLiteral("EDT_masque"));
    LBL_masque->setBuddy(EDT_masque);
    LBL_info = new QLabel(this);
    LBL_info->setObjectName(QStringLiteral("LBL_info"));
    LBL_info->setWordWrap(true);

    BT_ok = new QPushButton(QStringLiteral("OK"), this);
    BT_ok->setObjectName(QStringLiteral("BT_ok"));
    BT_ok->setDefault(true);
    BT_annuler = new QPushButton(QStringLiteral("Annuler"), this);
    BT_annuler->setObjectName(QStringLiteral("BT_annuler"));
    BT_aide = new QPushButton(QStringLiteral("Aide"), this);
    BT_aide->setObjectName(QStringLiteral("BT_aide"));

    auto* champ = new QHBoxLayout;
    champ->addWidget(LBL_masque);
    champ->addWidget(EDT_masque, 1);
    auto* boutons = new QHBoxLayout;
    boutons->addWidget(BT_aide);
    boutons->addStretch();
    boutons->addWidget(BT_ok);
    boutons->addWidget(BT_annuler);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Memo1);
    layout->addWidget(RGA_masque);
    layout->addLayout(champ);
    layout->addWidget(LBL_info);
    layout->addLayout(boutons);

    connect(RGA_masque, &RadioGroup::itemIndexChanged, this, [this](int i) { RGA_masqueClick(i); });
    connect(BT_ok, &QPushButton::clicked, this, [this] { BT_okClick(); });
    connect(BT_annuler, &QPushButton::clicked, this, [this] { BT_annulerClick(); });
    connect(BT_aide, &QPushButton::clicked, this, [this] { BT_aideClick(); });
}

QString TDLG_masque::message(const char* cle, const char* defaut) const {
    // Message boxes break lines at "\n"; the stored texts use "\r\n".
    return QString::fromStdString(texte_(cle, defaut))
        .replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

std::optional<OptionsNommage> TDLG_masque::Gerer(OptionsNommage options) {
    LBL_info->clear();
    copie_ = std::move(options);
    if (exec() != QDialog::Accepted)
        return std::nullopt;
    return copie_;
}

QString TDLG_masque::Masque_item(const QString& caption) {
    QString masque;
    for (int i = 0; i < caption.size(); ++i) {
        const QChar c = caption[i];
        if (c == QLatin1Char(']'))
            break;
        if (c == QLatin1Char('&')) {
            // "&&" is one "&"; a lone "&" only marks the next character.
            if (i + 1 < caption.size() && caption[i + 1] == QLatin1Char('&')) {
                masque += QLatin1Char('&');
                ++i;
            }
            continue;
        }
        masque += c;
    }
    return masque + QLatin1Char(']');
}

void TDLG_masque::RGA_masqueClick(int item) {
    if (auto* b = RGA_masque->button(item))
        EDT_masque->setText(Masque_item(b->text()));
    switch (item) {
    case 0:
        LBL_info->setText(message("RSC_masque_information_remplacez_prefixe",
                                  "Remplacez le mot PRÉFIXE par votre critère"));
        break;
    case 1:
        LBL_info->setText(message("RSC_masque_information_remplace_remplacement",
                                  "Substituez le mot REMPLACÉ par la chaîne à remplacer, "
                                  "REMPLACEMENT par celle de remplacement"));
        break;
    case 2:
        LBL_info->setText(message("RSC_masque_information_prefixe_suffixe",
                                  "Remplacez les mots PRÉFIXE et SUFFIXE par vos critères. Chaîne "
                                  "vide possible. Laissez le caractère \"*\""));
        break;
    default:
        LBL_info->clear();
        break;
    }
}

void TDLG_masque::BT_okClick() {
    const QString masque = EDT_masque->text();
    const int item = RGA_masque->itemIndex();
    // The mask is checked as typed; the main window's field only takes it once valid.
    if (item == 0 && masque.size() >= 2 && masque[1] == QLatin1Char('*')) {
        messages_.warning(message("RSC_masque_information_remplacement_etoile",
                                  "Vous devez saisir un préfixe en remplacement du caractère "
                                  "\"*\""),
                          this);
        return;
    }
    PartiesMasque parties;
    if (item == 1 && !Est_masque_chercher_remplacer(masque.toStdString(), parties)) {
        messages_.warning(message("RSC_masque_erreur_recherche_remplacement",
                                  "Erreur dans votre masque recherche-remplacement : \r\n"
                                  "effacement d'une accolade \r\nou chaîne à remplacer vide"),
                          this);
        return;
    }
    if (item == 1 || item == 2)
        copie_.compteurInactif = true;
    copie_.prefixe = masque.toStdString();
    // Choosing a mask switches the date prefix off.
    copie_.datePrefixe = false;
    copie_.dateFichier = false;
    accept();
}

void TDLG_masque::BT_annulerClick() {
    RGA_masque->setItemIndex(-1);
    reject();
}

void TDLG_masque::BT_aideClick() {
    if (ouvrirAide)
        ouvrirAide();
}

} // namespace varlime
