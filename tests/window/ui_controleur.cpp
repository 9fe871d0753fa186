// SPDX-License-Identifier: GPL-3.0-or-later
// The rename run and its undo without the main window: a pipeline over a temporary
// folder, scripted message boxes, and the window's hooks as the test makes them.
#include "naming/chaineNommage.h"
#include "platform/ui/MessageService.h"
#include "support/test_support.h"
#include "window/ControleurRenommage.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <utility>
#include <vector>

using namespace varlime;
using namespace varlime::test;

namespace {

using Vu = std::vector<std::pair<MessageKind, std::string>>;

// One folder `d/` of a temporary folder, listed with the prefix "P", its runs journaled
// in a folder of their own.
struct Banc {
    TempDir racine, etat;
    const std::string dossier = racine.path() + "d/";
    ChaineNommage chaine;
    ScriptedMessageService messages;
    int nommages = 0;
    int relistes = 0;
    std::vector<int> largeurs;
    std::optional<RapportTest> montre;
    ControleurRenommage controleur{chaine, defaultMessages(), messages, fenetre()};

    Banc(const std::vector<std::string>& fichiers, int largeur = 3) {
        std::filesystem::create_directories(dossier);
        for (const std::string& f : fichiers)
            racine.write("d/" + f);
        chaine.journaux() = etat.path();
        chaine.options().prefixe = "P";
        chaine.options().largeur = largeur;
        chaine.lister(dossier);
    }
    // The window's side: the names come when asked, the folder is listed again after a
    // run, and an accepted width renames.
    ControleurRenommage::Fenetre fenetre() {
        ControleurRenommage::Fenetre f;
        f.nommerTout = [this] {
            ++nommages;
            chaine.calculer();
        };
        f.relister = [this] {
            ++relistes;
            chaine.lister(dossier);
            chaine.calculer();
        };
        f.largeurCompteur = [this](int l) {
            largeurs.push_back(l);
            chaine.options().largeur = l;
            chaine.calculer();
        };
        f.montrerRapport = [this](const RapportTest& r) { montre = r; };
        return f;
    }
    Vu vu() const {
        Vu v;
        for (const auto& e : messages.shown)
            v.emplace_back(e.kind, e.text.toStdString());
        return v;
    }
    void repondre(const std::vector<bool>& reponses) {
        messages.shown.clear();
        for (bool r : reponses)
            messages.answer(r);
    }
};

std::vector<std::string> dix(const char* prefixe, bool deuxChiffres) {
    std::vector<std::string> noms;
    for (int i = 1; i <= 10; ++i)
        noms.push_back(prefixe + std::string(deuxChiffres && i < 10 ? "0" : "") +
                       std::to_string(i) + ".jpg");
    return noms;
}

// The names in a folder, sorted bytewise.
std::vector<std::string> noms(const std::string& dossier) {
    std::vector<std::string> n;
    for (const auto& e : std::filesystem::directory_iterator(dossier))
        n.push_back(e.path().filename().string());
    std::sort(n.begin(), n.end());
    return n;
}

constexpr auto Q = MessageKind::Confirmation;
constexpr auto I = MessageKind::Information;
constexpr auto E = MessageKind::Error;
const std::string kVarlimer = "Voulez-vous varlimer la liste ?";

// Each way a run goes: the questions asked in order, what is said at the end and how,
// the files afterwards, and whether the window lists the folder again.
TEST(ControleurRenommage, ARunAsksTellsAndRenames) {
    const struct {
        const char* nom;
        std::vector<std::string> fichiers;
        int largeur;
        bool deplacer; // the folder moves between listing and run
        std::vector<bool> reponses;
        Vu vu;
        std::vector<std::string> apres;
        int renommes, relistes;
        std::vector<int> largeurs;
    } cas[] = {
        {"nothing to rename",
         {},
         3,
         false,
         {},
         {{I, "Aucun fichier à varlimer dans la liste."}},
         {},
         0,
         0,
         {}},
        {"declined",
         {"a.jpg", "b.jpg"},
         3,
         false,
         {false},
         {{Q, kVarlimer}},
         {"a.jpg", "b.jpg"},
         0,
         0,
         {}},
        {"run",
         {"a.jpg", "b.jpg"},
         3,
         false,
         {true},
         {{Q, kVarlimer}, {I, "2 fichiers varlimés\r\n0 erreurs"}},
         {"P001.jpg", "P002.jpg"},
         2,
         1,
         {}},
        {"counter widened",
         dix("f", true),
         1,
         false,
         {true, true},
         {{Q, "Le compteur sur 1 chiffres va jusqu'à 10 : les noms ne se suivraient plus dans "
              "l'ordre.\r\nVoulez-vous passer à 2 chiffres ?"},
          {Q, kVarlimer},
          {I, "10 fichiers varlimés\r\n0 erreurs"}},
         dix("P", true),
         10,
         1,
         {2}},
        {"counter kept",
         dix("f", true),
         1,
         false,
         {false, true},
         {{Q, "Le compteur sur 1 chiffres va jusqu'à 10 : les noms ne se suivraient plus dans "
              "l'ordre.\r\nVoulez-vous passer à 2 chiffres ?"},
          {Q, kVarlimer},
          {I, "10 fichiers varlimés\r\n0 erreurs"}},
         {"P1.jpg", "P10.jpg", "P2.jpg", "P3.jpg", "P4.jpg", "P5.jpg", "P6.jpg", "P7.jpg", "P8.jpg",
          "P9.jpg"},
         10,
         1,
         {}},
        {"folder moved", {"a.jpg"}, 3, true, {true}, {}, {"a.jpg"}, 0, 0, {}},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.nom);
        Banc b(c.fichiers, c.largeur);
        std::string ici = b.dossier;
        if (c.deplacer) {
            ici = b.racine.path() + "e/";
            ASSERT_EQ(std::rename(b.dossier.c_str(), ici.c_str()), 0);
        }
        b.repondre(c.reponses);
        b.controleur.varlimer();
        Vu attendu = c.vu;
        if (c.deplacer)
            attendu = {{Q, kVarlimer},
                       {E, "Le répertoire " + b.dossier +
                               " a été déplacé, renommé ou supprimé depuis sa lecture : aucun "
                               "fichier n'a été varlimé."}};
        EXPECT_EQ(b.vu(), attendu);
        EXPECT_EQ(noms(ici), c.apres);
        EXPECT_EQ(b.controleur.dernierBilan().renommes, c.renommes);
        EXPECT_EQ(b.relistes, c.relistes);
        EXPECT_EQ(b.largeurs, c.largeurs);
        EXPECT_EQ(b.nommages, 1);
    }
}

// The undo of the last run in the folder listed: refused with the reason when there is
// none, asked first, refused when the folder moved, and told once made.
TEST(ControleurRenommage, AnUndoIsRefusedOrAskedThenTold) {
    const std::string annuler = "Voulez-vous remettre 2 fichiers sous leur ancien nom ?";
    const struct {
        const char* nom;
        bool varlimer;
        bool deplacer; // the folder moves after the run
        std::vector<bool> reponses;
        Vu vu;
        std::vector<std::string> apres;
        int relistes;
    } cas[] = {
        {"nothing journaled",
         false,
         false,
         {},
         {{I, "Aucun varlimage à annuler dans ce répertoire."}},
         {"a.jpg", "b.jpg"},
         0},
        {"declined", true, false, {false}, {{Q, annuler}}, {"P001.jpg", "P002.jpg"}, 0},
        {"undone",
         true,
         false,
         {true},
         {{Q, annuler}, {I, "2 fichiers ont repris leur ancien nom\r\n0 n'ont pas pu"}},
         {"a.jpg", "b.jpg"},
         1},
        {"folder moved", true, true, {true}, {}, {"P001.jpg", "P002.jpg"}, 0},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.nom);
        Banc b({"a.jpg", "b.jpg"});
        if (c.varlimer) {
            b.repondre({true});
            b.controleur.varlimer();
            ASSERT_EQ(noms(b.dossier), (std::vector<std::string>{"P001.jpg", "P002.jpg"}));
        }
        b.relistes = 0;
        std::string ici = b.dossier;
        if (c.deplacer) {
            ici = b.racine.path() + "e/";
            ASSERT_EQ(std::rename(b.dossier.c_str(), ici.c_str()), 0);
        }
        b.repondre(c.reponses);
        b.controleur.annulerDernier();
        Vu attendu = c.vu;
        if (c.deplacer)
            attendu = {{Q, annuler},
                       {E, "Le répertoire " + b.dossier +
                               " a été déplacé, renommé ou supprimé depuis sa lecture : aucun "
                               "fichier n'a été varlimé."}};
        EXPECT_EQ(b.vu(), attendu);
        EXPECT_EQ(noms(ici), c.apres);
        EXPECT_EQ(b.relistes, c.relistes);
    }
}

// The test before renaming reports the rows once the window has named them all, and
// shows that report; nothing is asked and nothing changes on disk.
TEST(ControleurRenommage, TheTestReportsTheRowsTheWindowNamed) {
    Banc b({"a.jpg", "P001.jpg"});
    b.repondre({});
    b.controleur.tester();
    ASSERT_TRUE(b.montre);
    EXPECT_EQ(b.nommages, 1);
    EXPECT_TRUE(b.vu().empty());
    EXPECT_EQ(b.montre->lignes, b.chaine.tester(defaultMessages()).lignes);
    EXPECT_TRUE(b.montre->erreur);
    EXPECT_EQ(noms(b.dossier), (std::vector<std::string>{"P001.jpg", "a.jpg"}));
}

} // namespace
