// SPDX-License-Identifier: GPL-3.0-or-later
// The naming pipeline shared by the window and the command line: the prefix each mode
// leaves, the listing with its filters, the EXIF facts read on the side, the test report.
#include "exif_naming/faitsExif.h"
#include "naming/chaineNommage.h"
#include "support/test_support.h"

#include <QDate>
#include <atomic>
#include <gtest/gtest.h>
#include <string>
#include <sys/fsuid.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using namespace varlime;
using varlime::test::photosDir;
using varlime::test::readFile;
using varlime::test::TempDir;

namespace {

std::vector<std::string> anciens(const ChaineNommage& c) {
    std::vector<std::string> out;
    for (const FileRow& r : c.lignes())
        if (!r.ancien.empty())
            out.push_back(r.ancien);
    return out;
}

TEST(ChaineNommage, EachModeRewritesThePrefixAsItsDialogDoes) {
    enum class Mode { DateFixe, DateFichier, Exif };
    const struct {
        Mode mode;
        int format;         // the date's form
        SeparateurDate sep; // after the date
        bool droite;        // counter on the right
        bool exif, garder;  // EXIF naming on, its keep-counter box
        std::string prefixe;
        bool dateFichier;
    } cas[] = {
        {Mode::DateFixe, 1, {true, "_"}, true, false, false, "2024-03-05_", false},
        {Mode::DateFixe, 1, {true, "_"}, false, false, false, "_2024-03-05", false},
        {Mode::DateFixe, 2, {false, "_"}, true, false, false, "05032024", false},
        {Mode::DateFixe, 7, {true, "-"}, true, false, false, "05-03-24-", false},
        {Mode::DateFichier, 1, {true, "_"}, true, false, false, "", true},
        {Mode::Exif, 1, {true, "_"}, true, true, true, "[*&N]", false},
        {Mode::Exif, 1, {true, "_"}, true, true, false, "", false},
        {Mode::Exif, 1, {true, "_"}, true, false, true, "typed", true}, // EXIF off: untouched
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.prefixe);
        OptionsNommage o;
        o.prefixe = "typed";
        o.dateFichier = true;
        o.formatDate = c.format;
        o.separateur = c.sep;
        o.compteurADroite = c.droite;
        o.exif.actif = c.exif;
        o.exif.garderCompteur = c.garder;
        if (c.mode == Mode::DateFixe)
            appliquerDateFixe(o, QDate(2024, 3, 5));
        else if (c.mode == Mode::DateFichier)
            appliquerDateFichier(o);
        else
            appliquerModeExif(o);
        EXPECT_EQ(o.prefixe, c.prefixe);
        EXPECT_EQ(o.dateFichier, c.dateFichier);
    }
}

// One pipeline lists folder after folder, as the window does: the Canon filter keeps
// the JPG files only when this very listing holds a CR2.
TEST(ChaineNommage, ListingFiltersBelongToEachListing) {
    TempDir avecCr2, sansCr2, video, types;
    for (const char* n : {"IMG_1.CR2", "IMG_1.JPG", "IMG_2.CRW", "IMG_2.THM", "notes.txt"})
        avecCr2.write(n);
    for (const char* n : {"IMG_3.JPG", "IMG_4.CRW", "IMG_4.THM"})
        sansCr2.write(n);
    for (const char* n : {"movie.AVI", "movie.THM", "pic.jpg"})
        video.write(n);
    types.write("a.jpg");
    types.write("sub/b.jpg");
    const OptionsCompagnons canon{true, false, "", ""};
    const OptionsCompagnons avi{false, true, "avi", "thm"};
    const struct {
        const char* nom;
        std::string dossier;
        OptionsCompagnons compagnons;
        std::string masque;
        int attributs;
        bool ouvert;
        std::vector<std::string> listes;
    } etapes[] = {
        {"canon with a CR2",
         avecCr2.path(),
         canon,
         "*.*",
         attrTous & ~attrRepertoire,
         true,
         {"IMG_1.CR2", "IMG_1.JPG", "IMG_2.CRW", "IMG_2.THM"}},
        {"canon without a CR2",
         sansCr2.path(),
         canon,
         "*.*",
         attrTous & ~attrRepertoire,
         true,
         {"IMG_4.CRW", "IMG_4.THM"}},
        {"canon, missing folder", avecCr2.path() + "missing/", canon, "*.*", attrTous, false, {}},
        {"canon after a missing folder",
         sansCr2.path(),
         canon,
         "*.*",
         attrTous,
         true,
         {"IMG_4.CRW", "IMG_4.THM"}},
        {"association",
         video.path(),
         avi,
         "*.*",
         attrTous & ~attrRepertoire,
         true,
         {"movie.AVI", "movie.THM"}},
        {"no companion mode, mask",
         video.path(),
         {},
         "*.jpg",
         attrTous & ~attrRepertoire,
         true,
         {"pic.jpg"}},
        {"folders listed", types.path(), {}, "*.*", attrTous, true, {"a.jpg", "sub"}},
        {"folders left out", types.path(), {}, "*.*", attrTous & ~attrRepertoire, true, {"a.jpg"}},
    };
    ChaineNommage chaine;
    for (const auto& e : etapes) {
        SCOPED_TRACE(e.nom);
        chaine.options().compagnons = e.compagnons;
        chaine.options().masqueRecherche = e.masque;
        chaine.options().attributs = e.attributs;
        EXPECT_EQ(chaine.lister(e.dossier), e.ouvert);
        EXPECT_EQ(anciens(chaine), e.listes);
        EXPECT_GE(chaine.lignes().size(), 1u);
    }
}

// The facts are read once per listing; a stopped reading is not taken for a whole one.
TEST(ChaineNommage, PreloadCountsAndStops) {
    TempDir dossier;
    const std::string photo = readFile(photosDir() + "Canon_40D.jpg");
    for (int i = 0; i < 20; ++i)
        dossier.write("p" + std::to_string(100 + i) + ".jpg", photo);
    dossier.write("z.jpg", readFile(photosDir() + "no_exif.jpg"));
    ChaineNommage chaine;
    chaine.options().exif.actif = true;
    chaine.options().exif.ordre = {ItemExif::Modele};
    ASSERT_TRUE(chaine.lister(dossier.path()));
    EXPECT_EQ(chaine.aPrecharger(), 21u);
    std::atomic<bool> arret{true};
    EXPECT_FALSE(chaine.precharger({}, &arret));
    EXPECT_GT(chaine.aPrecharger(), 0u);
    std::size_t dernier = 0, total = 0;
    arret = false;
    EXPECT_TRUE(chaine.precharger(
        [&](std::size_t f, std::size_t t) {
            dernier = f;
            total = t;
        },
        &arret));
    // Only the files the stopped reading left are read.
    EXPECT_EQ(dernier, total);
    EXPECT_LT(total, 21u);
    EXPECT_EQ(chaine.aPrecharger(), 0u);
    chaine.nouvelleGeneration();
    EXPECT_EQ(chaine.aPrecharger(), 21u);
    chaine.calculer();
    EXPECT_EQ(chaine.lignes().front().nouveau, "Canon EOS 40D_001.jpg");
    EXPECT_EQ(chaine.lignes().back().nouveau, "NON VARLIMÉ (Pas d'en-tête Exif)");
    // z.jpg holds EXIF without a make: the marker, but no file without any metadata.
    EXPECT_EQ(chaine.verifierListeExif().sansExif, 0);
}

// Files in a read-only folder look fine one by one: the report says first that the
// folder refuses every rename, and then never "no error".
TEST(ChaineNommage, TestReportTellsAFolderThatRefusesRenaming) {
    const std::string aucuneErreur = "*** Aucune erreur à signaler ***";
    const struct {
        const char* nom;
        mode_t droits;
        bool fichier;
        bool erreur;
        bool refus; // the first line tells the folder refuses renaming
    } cas[] = {
        {"read-only", 0555, true, true, true},
        {"read-only, nothing to rename", 0555, false, false, false},
        {"writable", 0777, true, false, false},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.nom);
        TempDir dossier;
        if (c.fichier)
            dossier.write("a.jpg");
        ChaineNommage chaine;
        chaine.options().prefixe = "X";
        ASSERT_TRUE(chaine.lister(dossier.path()));
        chaine.calculer();
        ::chmod(dossier.path().c_str(), c.droits);
        // Root may write anywhere: the check is made with an ordinary user's rights.
        const int ancien = ::setfsuid(::geteuid() == 0 ? 65534 : ::geteuid());
        const RapportTest rapport = chaine.tester(defaultMessages());
        ::setfsuid(ancien);
        ::chmod(dossier.path().c_str(), 0755);
        ASSERT_FALSE(rapport.lignes.empty());
        EXPECT_EQ(rapport.erreur, c.erreur);
        const std::string refus = "Le répertoire " + dossier.path() +
                                  " n'autorise pas le renommage (lecture seule) : aucun "
                                  "fichier ne pourra être varlimé.";
        EXPECT_EQ(rapport.lignes.front() == refus, c.refus) << rapport.lignes.front();
        bool dit = false;
        for (const std::string& l : rapport.lignes)
            dit = dit || l == aucuneErreur;
        EXPECT_EQ(dit, !c.erreur);
    }
}

// What a run or an undo comes to: a refusal is never told as a summary of zero files,
// and a journal too big to read stays a refusal after the undo too.
TEST(ChaineNommage, CompteRenduDesRunsEtDesAnnulations) {
    const TextLookup texte = [](std::string_view, std::string_view d) { return std::string(d); };
    BilanRenommage fait;
    fait.renommes = 2;
    fait.erreurs = 1;
    BilanRenommage deplace;
    deplace.dossierDeplace = true;
    BilanRenommage enCours;
    enCours.enCours = true;
    PlanAnnulation plan;
    PlanAnnulation tropGrand;
    tropGrand.journalTropGrand = "/j/run.journal";
    PlanAnnulation planEnCours;
    planEnCours.enCours = true;
    struct Cas {
        const char* nom;
        CompteRendu compte;
        bool fait, erreur;
        const char* contient;
    };
    const Cas cas[] = {
        {"run", compteRenduRenommage(texte, fait, "/d"), true, false,
         "2 fichiers varlimés\r\n1 erreurs"},
        {"run, folder moved", compteRenduRenommage(texte, deplace, "/d"), false, true, "/d"},
        {"run, another going", compteRenduRenommage(texte, enCours, "/d"), false, true, "/d"},
        {"undo", compteRenduAnnulation(texte, plan, fait, "/d"), true, false,
         "2 fichiers ont repris leur ancien nom"},
        {"undo, folder moved", compteRenduAnnulation(texte, plan, deplace, "/d"), false, true,
         "/d"},
        {"undo, journal too big", compteRenduAnnulation(texte, tropGrand, {}, "/d"), false, true,
         "run.journal"},
        {"nothing to undo", *refusAnnulation(texte, std::nullopt, "/d"), false, false,
         "Aucun varlimage"},
        {"undo, journal too big before", *refusAnnulation(texte, tropGrand, "/d"), false, true,
         "run.journal"},
        {"undo, run going", *refusAnnulation(texte, planEnCours, "/d"), false, false, "/d"},
    };
    for (const Cas& c : cas) {
        EXPECT_EQ(c.compte.fait, c.fait) << c.nom;
        EXPECT_EQ(c.compte.erreur, c.erreur) << c.nom;
        EXPECT_NE(c.compte.message.find(c.contient), std::string::npos)
            << c.nom << ": " << c.compte.message;
    }
    EXPECT_FALSE(refusAnnulation(texte, plan, "/d"));
}

} // namespace
