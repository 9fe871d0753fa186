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
#include <QTimer>
#include <gtest/gtest.h>

using namespace varlime;

namespace {

// What the dialogs did to the stand-in main window.
struct FauxPrincipal {
    QString prefixe = QStringLiteral("IMG");
    bool prefixeVisible = true;
    bool prefixeActif = false;
    bool compteurInactif = false;
    QString statut;
    bool droite = true;
    int listages = 0;
    bool reponseSortie = true;
    std::vector<Mode> questions;
    std::vector<QStringList> sauves;
    QStringList adresses;

    LiensPrincipal liens() {
        LiensPrincipal l;
        l.prefixe = [this] { return prefixe; };
        l.definirPrefixe = [this](const QString& t) { prefixe = t; };
        l.prefixeVisible = [this](bool v) { prefixeVisible = v; };
        l.prefixeActif = [this](bool v) { prefixeActif = v; };
        l.cocherCompteurInactif = [this] { compteurInactif = true; };
        l.afficherStatut = [this](const QString& t) { statut = t; };
        l.compteurADroite = [this] { return droite; };
        l.chercherFichier = [this] { ++listages; };
        l.sortirMode = [this](Mode m) {
            questions.push_back(m);
            return reponseSortie;
        };
        l.sauverParametre = [this](const QString& s, const QString& k, const QString& v) {
            sauves.push_back({s, k, v});
        };
        l.ouvrirAdresse = [this](const QString& a) { adresses << a; };
        l.ouvrirAide = [this](const char* cle) { adresses << QString::fromLatin1(cle); };
        return l;
    }
};

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

struct Dialogues {
    FauxPrincipal principal;
    ScriptedMessageService messages;
    TDLG_option_date date{defaultMessages()};
    TDLG_masque masque{defaultMessages(), messages, date};
    Dialogues() {
        date.liens = principal.liens();
        masque.liens = principal.liens();
    }
};

// Opens the mask dialog, chooses an item, types a mask and presses OK.
void saisirMasque(Dialogues& d, int item, const char* masque, bool* resteOuvert) {
    quandOuvert(
        d.masque,
        [&d, item, masque] {
            d.masque.RGA_masque->button(item)->click();
            d.masque.EDT_masque->setText(QString::fromUtf8(masque));
            d.masque.BT_ok->click();
        },
        resteOuvert);
    d.masque.Gerer();
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
        saisirMasque(d, c.item, c.masque, &resteOuvert);
        EXPECT_TRUE(resteOuvert) << c.nom;
        ASSERT_EQ(d.messages.shown.size(), 1u) << c.nom;
        EXPECT_EQ(d.messages.shown[0].kind, MessageKind::Warning) << c.nom;
        EXPECT_EQ(d.messages.shown[0].text.toStdString(), c.avertissement) << c.nom;
        EXPECT_EQ(d.principal.prefixe, QStringLiteral("IMG")) << c.nom;
        EXPECT_FALSE(d.principal.compteurInactif) << c.nom;
        EXPECT_EQ(d.principal.listages, 1) << c.nom;
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
        d.date.CKB_date->setChecked(true);
        d.date.RGA_select_source_date->setItemIndex(1);
        bool resteOuvert = true;
        saisirMasque(d, c.item, c.masque, &resteOuvert);
        EXPECT_FALSE(resteOuvert) << c.nom;
        EXPECT_EQ(d.masque.result(), QDialog::Accepted) << c.nom;
        EXPECT_TRUE(d.messages.shown.empty()) << c.nom;
        EXPECT_EQ(d.principal.prefixe.toStdString(), c.masque) << c.nom;
        EXPECT_TRUE(d.principal.prefixeActif) << c.nom;
        EXPECT_EQ(d.principal.compteurInactif, c.compteurInactif) << c.nom;
        EXPECT_EQ(d.principal.statut, QStringLiteral("Mode MASQUE")) << c.nom;
        // Choosing a mask switches the date prefix off.
        EXPECT_FALSE(d.date.CKB_date->isChecked()) << c.nom;
        EXPECT_EQ(d.date.RGA_select_source_date->itemIndex(), 0) << c.nom;
        EXPECT_EQ(d.principal.listages, 1) << c.nom;
        EXPECT_EQ(d.principal.questions, std::vector<Mode>{Mode::Masque}) << c.nom;
    }
}

TEST(MaskDialog, HelpOpensItsPage) {
    Dialogues d;
    d.masque.BT_aide->click();
    EXPECT_EQ(d.principal.adresses, QStringList{"RSC_lien_aide_masque"});
}

TEST(MaskDialog, CancelClearsTheChoice) {
    Dialogues d;
    quandOuvert(d.masque, [&] {
        d.masque.RGA_masque->button(2)->click();
        d.masque.BT_annuler->click();
    });
    d.masque.Gerer();
    EXPECT_EQ(d.masque.RGA_masque->itemIndex(), -1);
    EXPECT_EQ(d.principal.prefixe, QStringLiteral("IMG"));
    EXPECT_EQ(d.principal.statut, QString());
}

TEST(MaskDialog, NoToLeavingTheModeKeepsItClosed) {
    Dialogues d;
    d.principal.reponseSortie = false;
    bool ouvert = false;
    QTimer::singleShot(0, &d.masque, [&] {
        ouvert = d.masque.isVisible();
        if (ouvert)
            d.masque.reject();
    });
    d.masque.Gerer();
    QCoreApplication::processEvents();
    EXPECT_FALSE(ouvert);
    EXPECT_EQ(d.principal.listages, 0);
    EXPECT_EQ(d.principal.questions, std::vector<Mode>{Mode::Masque});
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
    bool visible;
    const char* statut;
};

TEST(DateDialog, OkSetsThePrefix) {
    const DateOkCase cases[] = {
        {"fixed_right", true, 0, 1, true, "_", true, "2024-03-05_", true, "Mode NORMAL"},
        {"fixed_left", true, 0, 1, true, "_", false, "_2024-03-05", true, "Mode NORMAL"},
        {"fixed_no_separator", true, 0, 0, false, "_", true, "20240305", true, "Mode NORMAL"},
        {"fixed_free_separator", true, 0, 7, true, "~", true, "05-03-24~", true, "Mode NORMAL"},
        {"from_file", true, 1, 1, true, "_", true, "", false, "Mode Date de création"},
        {"date_off", false, 0, 1, true, "_", true, "IMG", true, "Mode NORMAL"},
    };
    for (const auto& c : cases) {
        Dialogues d;
        d.principal.droite = c.droite;
        quandOuvert(d.date, [&] {
            d.date.CKB_date->setChecked(c.coche);
            d.date.RGA_select_source_date->setItemIndex(c.source);
            d.date.EDT_date->setDate(QDate(2024, 3, 5));
            d.date.RGA_type_date->setItemIndex(c.format);
            d.date.CKB_separateur->setChecked(c.separateur);
            d.date.CBB_separateur_final->setEditText(QString::fromUtf8(c.texteSeparateur));
            d.date.BT_ok->click();
        });
        d.date.Gerer(true);
        EXPECT_EQ(d.principal.prefixe.toStdString(), c.prefixe) << c.nom;
        EXPECT_EQ(d.principal.prefixeVisible, c.visible) << c.nom;
        EXPECT_EQ(d.principal.statut.toStdString(), c.statut) << c.nom;
        EXPECT_EQ(d.date.Utilise_date_fichier(), c.coche && c.source == 1) << c.nom;
        EXPECT_EQ(d.principal.listages, 1) << c.nom;
        ASSERT_EQ(d.principal.sauves.size(), 1u) << c.nom;
        EXPECT_EQ(d.principal.sauves[0],
                  (QStringList{"FORMATS", "DATE", QString::number(c.format)}))
            << c.nom;
    }
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
    d.principal.reponseSortie = false; // never asked when only the format is chosen
    bool typeActif = false, dateVisible = true;
    quandOuvert(d.date, [&] {
        typeActif = d.date.RGA_type_date->isEnabled();
        dateVisible = d.date.CKB_date->isVisible();
        d.date.RGA_type_date->setItemIndex(5);
        d.date.BT_annuler->click();
    });
    d.date.Gerer(false);
    EXPECT_TRUE(typeActif);
    EXPECT_FALSE(dateVisible);
    EXPECT_TRUE(d.principal.questions.empty());
    EXPECT_EQ(d.date.Formate_date(QDate(2024, 3, 5)), QStringLiteral("24-03-05"));
    ASSERT_EQ(d.principal.sauves.size(), 1u);
    EXPECT_EQ(d.principal.sauves[0], (QStringList{"FORMATS", "DATE", "5"}));

    // OK there, with a fixed date left checked from an earlier use, or unchecked, keeps
    // the prefix field, its visibility and the mode as they were.
    for (const bool coche : {true, false}) {
        d.date.CKB_date->setChecked(coche);
        d.principal.prefixeVisible = false;
        quandOuvert(d.date, [&] { d.date.BT_ok->click(); });
        d.date.Gerer(false);
        EXPECT_EQ(d.principal.prefixe, QStringLiteral("IMG")) << coche;
        EXPECT_FALSE(d.principal.prefixeVisible) << coche;
        EXPECT_TRUE(d.principal.statut.isEmpty()) << coche;
    }
}

TEST(DateDialog, NoToLeavingTheModeKeepsItClosed) {
    Dialogues d;
    d.principal.reponseSortie = false;
    bool ouvert = false;
    QTimer::singleShot(0, &d.date, [&] {
        ouvert = d.date.isVisible();
        if (ouvert)
            d.date.reject();
    });
    d.date.Gerer(true);
    QCoreApplication::processEvents();
    EXPECT_FALSE(ouvert);
    EXPECT_EQ(d.principal.questions, std::vector<Mode>{Mode::DateCreation});
    EXPECT_TRUE(d.principal.sauves.empty());
    EXPECT_EQ(d.principal.listages, 0);
}

TEST(FormatSettings, RoundTripOfBothIndexes) {
    FauxPrincipal principal;
    {
        TDLG_option_date date(defaultMessages());
        TDLG_option_heure heure;
        date.liens = principal.liens();
        heure.liens = principal.liens();
        quandOuvert(date, [&] {
            date.RGA_type_date->button(3)->click();
            date.BT_annuler->click();
        });
        date.Gerer(false);
        quandOuvert(heure, [&] {
            heure.RGA_type_heure->button(2)->click();
            heure.BT_ok->click();
        });
        heure.Gerer();
    }
    ASSERT_EQ(principal.sauves.size(), 2u);
    EXPECT_EQ(principal.sauves[0], (QStringList{"FORMATS", "DATE", "3"}));
    EXPECT_EQ(principal.sauves[1], (QStringList{"FORMATS", "HEURE", "2"}));

    // A fresh run reads them back.
    TDLG_option_date date(defaultMessages());
    TDLG_option_heure heure;
    EXPECT_EQ(heure.RGA_type_heure->itemIndex(), -1);
    EXPECT_EQ(heure.Retourne_heure_formatee(QTime(23, 59, 0)), QStringLiteral("235900"));
    EXPECT_TRUE(date.Positionne_option_date(principal.sauves[0][2]));
    EXPECT_TRUE(heure.Positionne_option_heure(principal.sauves[1][2]));
    EXPECT_EQ(date.RGA_type_date->itemIndex(), 3);
    EXPECT_EQ(date.Formate_date(QDate(2024, 3, 5)), QStringLiteral("05-03-2024"));
    EXPECT_EQ(heure.Retourne_heure_formatee(QTime(23, 59, 0)), QStringLiteral("23h59mn00s"));

    // The sentinel keeps the current value; a text that is no number is refused.
    EXPECT_TRUE(date.Positionne_option_date(QStringLiteral("ERREUR")));
    EXPECT_TRUE(heure.Positionne_option_heure(QStringLiteral("ERREUR")));
    EXPECT_EQ(date.RGA_type_date->itemIndex(), 3);
    EXPECT_EQ(heure.RGA_type_heure->itemIndex(), 2);
    EXPECT_FALSE(date.Positionne_option_date(QStringLiteral("abc")));
    EXPECT_FALSE(heure.Positionne_option_heure(QStringLiteral("1x")));
    EXPECT_EQ(date.RGA_type_date->itemIndex(), 3);
    // An index outside the table gives an empty date and the plain time.
    EXPECT_TRUE(date.Positionne_option_date(QStringLiteral("12")));
    EXPECT_TRUE(heure.Positionne_option_heure(QStringLiteral("-1")));
    EXPECT_EQ(date.Formate_date(QDate(2024, 3, 5)), QString());
    EXPECT_EQ(heure.Retourne_heure_formatee(QTime(9, 5, 7)), QStringLiteral("090507"));
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
