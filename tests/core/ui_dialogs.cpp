// SPDX-License-Identifier: GPL-3.0-or-later
// The option dialogs of the renaming core driven offscreen, with the main window
// replaced by a recorder of what they ask of it.
#include "platform/ui/MessageService.h"
#include "platform/ui/RadioGroup.h"
#include "window/IHM_masque.h"
#include "window/IHM_option_date.h"
#include "window/IHM_option_heure.h"
#include "window/IHM_option_prefixe.h"
#include "window/IHM_rapport.h"
#include "window/MD_masque.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace varlime;

namespace {

// Runs `action` once the dialog's modal loop has started; a dialog still open
// afterwards is closed, and `resteOuvert` tells whether it was.
void quandOuvert(QDialog& d, std::function<void()> action, bool* resteOuvert = nullptr) {
    QTimer::singleShot(0, &d, [&d, action, resteOuvert] {
        action();
        if (resteOuvert)
            *resteOuvert = d.isVisible();
        if (d.isVisible())
            d.reject();
    });
}

// The options a dialog is opened with: a prefix text, a file-date prefix, a counter.
OptionsNommage optionsDeDepart() {
    OptionsNommage o;
    o.prefixe = "IMG";
    o.compteurInactif = false;
    o.formatHeure = 1;
    return o;
}

struct Dialogues {
    ScriptedMessageService messages;
    QStringList aides;
    TDLG_option_date date{defaultMessages()};
    TDLG_masque masque{defaultMessages(), messages};
    Dialogues() {
        masque.ouvrirAide = [this] { aides << QStringLiteral("RSC_lien_aide_masque"); };
    }
};

// Opens the mask dialog over `depart`, chooses an item, types a mask and presses OK.
std::optional<OptionsNommage> saisirMasque(Dialogues& d, int item, const char* masque,
                                           bool* resteOuvert,
                                           const OptionsNommage& depart = optionsDeDepart()) {
    quandOuvert(
        d.masque,
        [&d, item, masque] {
            d.masque.RGA_masque->button(item)->click();
            d.masque.EDT_masque->setText(QString::fromUtf8(masque));
            d.masque.BT_ok->click();
        },
        resteOuvert);
    return d.masque.Gerer(depart);
}

TEST(MaskDialog, ItemsGiveTheirMasksAndHints) {
    Dialogues d;
    const struct {
        int item;
        const char* masque;
        const char* info;
    } cases[] = {
        {0, "[PRÉFIXE&N]", "Remplacez le mot PRÉFIXE par votre critère"},
        {1, "[{REMPLACÉ} {REMPLACEMENT}]",
         "Substituez le mot REMPLACÉ par la chaîne à remplacer, REMPLACEMENT par celle de "
         "remplacement"},
        {2, "[PRÉFIXE*SUFFIXE]",
         "Remplacez les mots PRÉFIXE et SUFFIXE par vos critères. Chaîne vide possible. Laissez le "
         "caractère \"*\""},
        {3, "[-N]", ""},
    };
    for (const auto& c : cases) {
        d.masque.RGA_masque->button(c.item)->click();
        EXPECT_EQ(d.masque.EDT_masque->text().toStdString(), c.masque) << c.item;
        EXPECT_EQ(d.masque.LBL_info->text().toStdString(), c.info) << c.item;
    }
    EXPECT_EQ(TDLG_masque::Masque_item(QStringLiteral("[A&B&&C] x")).toStdString(), "[AB&C]");
    EXPECT_EQ(TDLG_masque::Masque_item(QStringLiteral("sans crochet")).toStdString(),
              "sans crochet]");
}

struct RefusCase {
    const char* nom;
    int item;
    const char* masque;
    const char* avertissement;
};

TEST(MaskDialog, RefusalsKeepTheDialogOpen) {
    const RefusCase cases[] = {
        {"star_instead_of_prefix", 0, "[*&N]",
         "Vous devez saisir un préfixe en remplacement du caractère \"*\""},
        {"empty_search", 1, "[{}{PIC}]",
         "Erreur dans votre masque recherche-remplacement : \neffacement d'une accolade \nou "
         "chaîne à remplacer vide"},
        {"brace_erased", 1, "[{IMG}{PIC]",
         "Erreur dans votre masque recherche-remplacement : \neffacement d'une accolade \nou "
         "chaîne à remplacer vide"},
    };
    for (const auto& c : cases) {
        Dialogues d;
        bool resteOuvert = false;
        const auto rendu = saisirMasque(d, c.item, c.masque, &resteOuvert);
        EXPECT_TRUE(resteOuvert) << c.nom;
        ASSERT_EQ(d.messages.shown.size(), 1u) << c.nom;
        EXPECT_EQ(d.messages.shown[0].kind, MessageKind::Warning) << c.nom;
        EXPECT_EQ(d.messages.shown[0].text.toStdString(), c.avertissement) << c.nom;
        // Closed afterwards without OK: nothing is handed back.
        EXPECT_FALSE(rendu.has_value()) << c.nom;
    }
}

struct OkCase {
    const char* nom;
    int item;
    const char* masque;
    bool compteurInactif;
};

TEST(MaskDialog, OkPutsTheMaskIntoThePrefixField) {
    const OkCase cases[] = {
        {"keep_digits", 0, "[VAC&N]", false},
        {"replace", 1, "[{IMG}{PIC}]", true},
        {"affixes", 2, "[2024_*_Paris]", true},
        {"removal", 3, "[-N]", false},
        // The star refusal is for the keep-digits item only.
        {"star_prefix_for_affixes", 2, "[*_old]", true},
    };
    for (const auto& c : cases) {
        Dialogues d;
        OptionsNommage depart = optionsDeDepart();
        depart.datePrefixe = true;
        depart.dateFichier = true;
        bool resteOuvert = true;
        const auto rendu = saisirMasque(d, c.item, c.masque, &resteOuvert, depart);
        EXPECT_FALSE(resteOuvert) << c.nom;
        EXPECT_EQ(d.masque.result(), QDialog::Accepted) << c.nom;
        EXPECT_TRUE(d.messages.shown.empty()) << c.nom;
        ASSERT_TRUE(rendu.has_value()) << c.nom;
        // The copy comes back with the mask as prefix, the date prefix off (choosing a
        // mask switches it off), the counter off for the masks that offer it, and every
        // other option as it was given.
        OptionsNommage attendu = depart;
        attendu.prefixe = c.masque;
        attendu.datePrefixe = false;
        attendu.dateFichier = false;
        attendu.compteurInactif = c.compteurInactif;
        EXPECT_TRUE(*rendu == attendu) << c.nom << " " << rendu->prefixe;
    }
}

TEST(MaskDialog, HelpOpensItsPage) {
    Dialogues d;
    d.masque.BT_aide->click();
    EXPECT_EQ(d.aides, QStringList{"RSC_lien_aide_masque"});
}

TEST(MaskDialog, CancelClearsTheChoice) {
    Dialogues d;
    quandOuvert(d.masque, [&] {
        d.masque.RGA_masque->button(2)->click();
        d.masque.BT_annuler->click();
    });
    EXPECT_FALSE(d.masque.Gerer(optionsDeDepart()).has_value());
    EXPECT_EQ(d.masque.RGA_masque->itemIndex(), -1);
}

TEST(MaskModule, ShowsTheInactiveCounterBoxForKindsTwoToFour) {
    QString champ;
    bool visible = false;
    bool exif = false;
    TDB_masque module;
    module.masque = [&] { return champ; };
    module.compteurInactifVisible = [&](bool v) { visible = v; };
    module.modeExif = [&] { return exif; };
    const struct {
        const char* champ;
        const char* ancien;
        bool exif;
        const char* nom;
        bool visible;
    } cases[] = {
        {"[VAC&N]", "DSC01234.JPG", false, "VAC01234", false},
        {"[*&N]", "DSC01234.JPG", true, "01234", false},
        {"[{IMG}{PIC}]", "IMG_0001.jpg", false, "PIC_0001", true},
        {"[x*]", "a.jpg", false, "xa", true},
        {"[-N]", "0042.jpg", false, "", true},
        {"[abc", "a.jpg", false, "", false},
        {"IMG", "a.jpg", false, "", false},
    };
    for (const auto& c : cases) {
        champ = QString::fromUtf8(c.champ);
        exif = c.exif;
        visible = !c.visible;
        EXPECT_EQ(module.Exploiter_masque(QString::fromUtf8(c.ancien)).toStdString(), c.nom)
            << c.champ;
        EXPECT_EQ(visible, c.visible) << c.champ;
    }
}

struct DateOkCase {
    const char* nom;
    bool coche;
    int source;
    int format;
    bool separateur;
    const char* texteSeparateur;
    bool droite;
    const char* prefixe;
    bool dateFichier;
};

TEST(DateDialog, OkSetsThePrefix) {
    const DateOkCase cases[] = {
        {"fixed_right", true, 0, 1, true, "_", true, "2024-03-05_", false},
        {"fixed_left", true, 0, 1, true, "_", false, "_2024-03-05", false},
        {"fixed_no_separator", true, 0, 0, false, "_", true, "20240305", false},
        {"fixed_free_separator", true, 0, 7, true, "~", true, "05-03-24~", false},
        {"from_file", true, 1, 1, true, "_", true, "", true},
        {"date_off", false, 0, 1, true, "_", true, "IMG", false},
    };
    for (const auto& c : cases) {
        Dialogues d;
        OptionsNommage depart = optionsDeDepart();
        depart.compteurADroite = c.droite;
        quandOuvert(d.date, [&] {
            d.date.CKB_date->setChecked(c.coche);
            d.date.RGA_select_source_date->setItemIndex(c.source);
            d.date.EDT_date->setDate(QDate(2024, 3, 5));
            d.date.RGA_type_date->setItemIndex(c.format);
            d.date.CKB_separateur->setChecked(c.separateur);
            d.date.CBB_separateur_final->setEditText(QString::fromUtf8(c.texteSeparateur));
            d.date.BT_ok->click();
        });
        const auto rendu = d.date.Gerer(true, depart);
        ASSERT_TRUE(rendu.has_value()) << c.nom;
        OptionsNommage attendu = depart;
        attendu.prefixe = c.prefixe;
        attendu.datePrefixe = c.coche;
        attendu.dateFichier = c.dateFichier;
        attendu.formatDate = c.format;
        attendu.separateur = {c.separateur, c.texteSeparateur};
        EXPECT_TRUE(*rendu == attendu) << c.nom << " " << rendu->prefixe;
    }
}

// The dialog opens showing the options it is given, whatever it showed when last closed.
TEST(DateDialog, OpensOnTheOptionsGiven) {
    Dialogues d;
    OptionsNommage o = optionsDeDepart();
    o.datePrefixe = true;
    o.dateFichier = true;
    o.formatDate = 6;
    o.separateur = {false, "-"};
    struct Vu {
        bool coche = false, separateur = true, typeActif = false;
        int source = -1, format = -1;
        QString texte;
    } vu;
    auto relever = [&] {
        vu = {d.date.CKB_date->isChecked(),      d.date.CKB_separateur->isChecked(),
              d.date.RGA_type_date->isEnabled(), d.date.RGA_select_source_date->itemIndex(),
              d.date.RGA_type_date->itemIndex(), d.date.CBB_separateur_final->currentText()};
        d.date.BT_annuler->click();
    };
    quandOuvert(d.date, relever);
    EXPECT_FALSE(d.date.Gerer(true, o).has_value());
    EXPECT_TRUE(vu.coche);
    EXPECT_EQ(vu.source, 1);
    EXPECT_EQ(vu.format, 6);
    EXPECT_FALSE(vu.separateur);
    EXPECT_EQ(vu.texte, QStringLiteral("-"));
    EXPECT_TRUE(vu.typeActif);
    quandOuvert(d.date, relever);
    EXPECT_FALSE(d.date.Gerer(true, optionsDeDepart()).has_value());
    EXPECT_FALSE(vu.coche);
    EXPECT_EQ(vu.source, 0);
    EXPECT_EQ(vu.format, 0);
    EXPECT_TRUE(vu.separateur);
    EXPECT_EQ(vu.texte, QStringLiteral("_"));
    EXPECT_FALSE(vu.typeActif);
}

TEST(DateDialog, StartStateAndEnabling) {
    qputenv("VARLIME_TODAY", "2023-12-31");
    TDLG_option_date date(defaultMessages());
    qunsetenv("VARLIME_TODAY");
    EXPECT_EQ(date.EDT_date->date(), QDate(2023, 12, 31));
    EXPECT_FALSE(date.CKB_date->isChecked());
    EXPECT_EQ(date.RGA_select_source_date->itemIndex(), 0);
    EXPECT_EQ(date.RGA_type_date->itemIndex(), 0);
    EXPECT_TRUE(date.CKB_separateur->isChecked());
    EXPECT_EQ(date.CBB_separateur_final->currentText(), QStringLiteral("_"));
    EXPECT_EQ(date.RGA_type_date->count(), 8);
    QWidget* lies[] = {date.EDT_date, date.RGA_type_date, date.RGA_select_source_date,
                       date.CKB_separateur, date.CBB_separateur_final};
    for (QWidget* w : lies)
        EXPECT_FALSE(w->isEnabled()) << w->objectName().toStdString();
    date.CKB_date->click();
    for (QWidget* w : lies)
        EXPECT_TRUE(w->isEnabled()) << w->objectName().toStdString();
    date.CKB_date->click();
    for (QWidget* w : lies)
        EXPECT_FALSE(w->isEnabled()) << w->objectName().toStdString();
}

TEST(DateDialog, FormatOnlyHidesThePrefixControls) {
    Dialogues d;
    bool typeActif = false, dateVisible = true;
    quandOuvert(d.date, [&] {
        typeActif = d.date.RGA_type_date->isEnabled();
        dateVisible = d.date.CKB_date->isVisible();
        d.date.RGA_type_date->setItemIndex(5);
        d.date.BT_annuler->click();
    });
    // Annuler hands nothing back: the format ticked meanwhile is dropped.
    EXPECT_FALSE(d.date.Gerer(false, optionsDeDepart()).has_value());
    EXPECT_TRUE(typeActif);
    EXPECT_FALSE(dateVisible);

    // OK there, with a fixed date or a file date given, or none, changes the format only:
    // the prefix and the mode stay as they were, whatever the hidden controls show.
    for (const bool coche : {true, false}) {
        OptionsNommage depart = optionsDeDepart();
        depart.datePrefixe = coche;
        depart.dateFichier = coche;
        quandOuvert(d.date, [&] {
            d.date.CKB_date->setChecked(!coche);
            d.date.RGA_type_date->setItemIndex(5);
            d.date.BT_ok->click();
        });
        const auto rendu = d.date.Gerer(false, depart);
        ASSERT_TRUE(rendu.has_value()) << coche;
        OptionsNommage attendu = depart;
        attendu.formatDate = 5;
        EXPECT_TRUE(*rendu == attendu) << coche;
    }
}

// Typing a date: each digit goes into the part the cursor stands in, wherever in that
// part it is, and the field moves on to the next part once one is full.
TEST(DateDialog, TypingReplacesThePartWhereverTheCursorIs) {
    TDLG_option_date date(defaultMessages());
    date.CKB_date->setChecked(true);
    date.EDT_date->setDate(QDate(2024, 3, 5));
    date.show();
    auto* champ = date.EDT_date->findChild<QLineEdit*>();
    ASSERT_TRUE(champ);
    const struct {
        int curseur; // where the cursor stands in "05/03/2024"
        const char* frappe;
        QDate attendu;
    } cas[] = {
        {1, "17", QDate(2024, 3, 17)},         // inside the day, nothing selected
        {0, "17", QDate(2024, 3, 17)},         // before the day
        {4, "11", QDate(2024, 11, 5)},         // inside the month
        {8, "2019", QDate(2019, 3, 5)},        // inside the year
        {1, "17062020", QDate(2020, 6, 17)},   // on through day, month and year
        {0, "17/06/2021", QDate(2021, 6, 17)}, // with its separators typed
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.frappe);
        date.EDT_date->setDate(QDate(2024, 3, 5));
        date.EDT_date->setFocus();
        champ->deselect();
        champ->setCursorPosition(c.curseur);
        QTest::keyClicks(date.EDT_date, QString::fromLatin1(c.frappe));
        EXPECT_EQ(date.EDT_date->date(), c.attendu) << champ->text().toStdString();
    }
}

// The format dialogs: each opens on the choice it is given (the first one when that
// names none), Annuler hands nothing back, OK the options given with the choice ticked.
TEST(FormatDialogs, OkHandsBackTheChoiceAndCancelNothing) {
    TDLG_option_heure heure;
    const struct { int donne, coche; } cas[] = {{1, 1}, {-1, 0}, {7, 0}, {2, 2}};
    for (const auto& c : cas) {
        for (const bool ok : {false, true}) {
            SCOPED_TRACE(c.donne);
            OptionsNommage o = optionsDeDepart();
            o.formatHeure = c.donne;
            int vu = -2;
            quandOuvert(heure, [&] {
                vu = heure.RGA_type_heure->itemIndex();
                heure.RGA_type_heure->button(2 - c.coche)->click();
                (ok ? heure.BT_ok : heure.BT_annuler)->click();
            });
            const auto rendu = heure.Gerer(o);
            EXPECT_EQ(vu, c.coche);
            EXPECT_EQ(rendu.has_value(), ok);
            if (!rendu)
                continue;
            OptionsNommage attendu = o;
            attendu.formatHeure = 2 - c.coche;
            EXPECT_TRUE(*rendu == attendu);
        }
    }
}

TEST(PrefixChooser, LeadsToTheDateOrMaskDialog) {
    const struct {
        const char* nom;
        const char* bouton;
        int dates, masques, resultat;
    } cases[] = {
        {"date", "BT_date", 1, 0, QDialog::Accepted},
        {"mask", "BT_masque", 0, 1, QDialog::Accepted},
        {"ok", "BT_ok", 0, 0, QDialog::Accepted},
        {"cancel", "BT_annuler", 0, 0, QDialog::Rejected},
    };
    for (const auto& c : cases) {
        TDLG_option_prefixe choix;
        int dates = 0, masques = 0;
        choix.ouvrirDate = [&] { ++dates; };
        choix.ouvrirMasque = [&] { ++masques; };
        bool resteOuvert = true;
        quandOuvert(
            choix, [&] { choix.findChild<QPushButton*>(c.bouton)->click(); }, &resteOuvert);
        choix.Gerer();
        EXPECT_FALSE(resteOuvert) << c.nom;
        EXPECT_EQ(choix.result(), c.resultat) << c.nom;
        EXPECT_EQ(dates, c.dates) << c.nom;
        EXPECT_EQ(masques, c.masques) << c.nom;
    }
}

TEST(ReportWindow, ShowsTheLines) {
    TDLG_rapport rapport;
    EXPECT_EQ(rapport.windowTitle(), QStringLiteral("Rapport des erreurs possibles"));
    rapport.Remplir({"Vous varlimez a.jpg avec son propre nom", ""});
    EXPECT_EQ(rapport.Lignes(), (QStringList{"Vous varlimez a.jpg avec son propre nom", ""}));
    rapport.Remplir({"*** Aucune erreur à signaler ***"});
    EXPECT_EQ(rapport.Lignes(), QStringList{"*** Aucune erreur à signaler ***"});
    bool resteOuvert = true;
    quandOuvert(
        rapport, [&] { rapport.BT_ok->click(); }, &resteOuvert);
    rapport.Gerer();
    EXPECT_FALSE(resteOuvert);
}

} // namespace
