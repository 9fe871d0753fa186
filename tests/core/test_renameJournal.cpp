// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/renameEngine.h"
#include "support/test_support.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <gtest/gtest.h>
#include <memory>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace varlime;
using varlime::test::readFile;
using varlime::test::TempDir;

namespace {

// What happens to the folder between a run and its undo.
enum class Entre { Rien, RenommeALaMain, AncienNomPris, Remplace };

struct UndoCase {
    const char* name;
    Entre entre;
    int retours;
    int impossibles;
    std::vector<std::string> apres;
};

// A run of three renames, then its undo: every file goes back unless it was renamed or
// replaced since, or its old name was taken; those are left alone and counted.
TEST(Journal, RunUndone) {
    const UndoCase cases[] = {
        {"undo/plain", Entre::Rien, 3, 0, {"a.jpg", "b.jpg", "c.jpg"}},
        {"undo/renamed by hand", Entre::RenommeALaMain, 2, 1, {"a.jpg", "c.jpg", "hand.jpg"}},
        {"undo/old name taken",
         Entre::AncienNomPris,
         2,
         1,
         {"P002.jpg", "a.jpg", "b.jpg", "c.jpg"}},
        {"undo/replaced", Entre::Remplace, 2, 1, {"P002.jpg", "a.jpg", "c.jpg"}},
    };
    for (const auto& c : cases) {
        TempDir dir, state;
        for (const char* n : {"a.jpg", "b.jpg", "c.jpg"})
            dir.write(n, n);
        MoteurNommage engine;
        engine.journaux = state.path();
        engine.options.prefixe = "P";
        ASSERT_TRUE(engine.lister(dir.path()));
        engine.calculer();
        ASSERT_EQ(engine.renommer().renommes, 3) << c.name;
        switch (c.entre) {
        case Entre::Rien:
            break;
        case Entre::RenommeALaMain:
            ::rename((dir.path() + "P002.jpg").c_str(), (dir.path() + "hand.jpg").c_str());
            break;
        case Entre::AncienNomPris:
            dir.write("b.jpg", "new");
            break;
        case Entre::Remplace:
            ::unlink((dir.path() + "P002.jpg").c_str());
            dir.write("P002.jpg", "other");
            break;
        }
        const auto plan = planAnnulation(engine.dossier(), state.path());
        ASSERT_TRUE(plan) << c.name;
        EXPECT_EQ(int(plan->retours.size()), c.retours) << c.name;
        const BilanRenommage b = annuler(engine.dossier(), *plan, state.path());
        EXPECT_EQ(b.renommes, c.retours) << c.name;
        EXPECT_EQ(b.erreurs, c.impossibles) << c.name;
        EXPECT_EQ(dir.names(), c.apres) << c.name;
        EXPECT_EQ(readFile(dir.path() + "a.jpg"), "a.jpg") << c.name;
    }
}

// An undo is journaled too: undoing it renames the files again; and a journal is tied
// to its folder, not to the path, so another folder at the same path has nothing to undo.
TEST(Journal, UndoOfAnUndoAndAFolderReplaced) {
    TempDir root, state;
    root.write("photos/a.jpg");
    MoteurNommage engine;
    engine.journaux = state.path();
    engine.options.prefixe = "P";
    ASSERT_TRUE(engine.lister(root.path() + "photos"));
    engine.calculer();
    ASSERT_EQ(engine.renommer().renommes, 1);
    ASSERT_EQ(
        annuler(engine.dossier(), *planAnnulation(engine.dossier(), state.path()), state.path())
            .renommes,
        1);
    EXPECT_TRUE(root.exists("photos/a.jpg"));
    const auto again = planAnnulation(engine.dossier(), state.path());
    ASSERT_TRUE(again);
    EXPECT_TRUE(again->journal.annulation);
    EXPECT_EQ(annuler(engine.dossier(), *again, state.path()).renommes, 1);
    EXPECT_TRUE(root.exists("photos/P001.jpg"));
    EXPECT_EQ(journaux(state.path()).size(), 3u);

    ASSERT_EQ(::rename((root.path() + "photos").c_str(), (root.path() + "old").c_str()), 0);
    root.write("photos/P001.jpg");
    DossierListe other;
    ASSERT_TRUE(other.ouvrir(root.path() + "photos"));
    EXPECT_FALSE(planAnnulation(other, state.path()));
}

// Names are bytes in the journal too: a newline, a space, '%' and bytes that are not
// UTF-8 come back as they were; only the newest journals are kept.
TEST(Journal, NamesAsBytesAndOnlyTheNewestKept) {
    TempDir dir, state;
    const std::string odd = "a b%\n\xE9.jpg";
    dir.write(odd, "x");
    for (std::size_t i = 0; i < kJournauxGardes + 3; ++i) {
        MoteurNommage engine;
        engine.journaux = state.path();
        engine.options.prefixe = i % 2 ? "[{Q}{a b%\n\xE9}]" : "[{a b%\n\xE9}{Q}]";
        ASSERT_TRUE(engine.lister(dir.path()));
        engine.calculer();
        ASSERT_EQ(engine.renommer().renommes, 1) << i;
    }
    const auto kept = journaux(state.path());
    ASSERT_EQ(kept.size(), kJournauxGardes);
    ASSERT_EQ(kept.front().lignes.size(), 1u);
    EXPECT_EQ(kept.front().lignes[0].ancien, odd);
    EXPECT_EQ(kept.front().lignes[0].nouveau, "Q.jpg");
    EXPECT_TRUE(kept.front().termine);
}

} // namespace

namespace {

// Every file holds its own name: a folder is back when each file's contents match its name.
int horsDeSonNom(const TempDir& dir) {
    int n = 0;
    for (const std::string& nom : dir.names())
        n += dir.read(nom) != nom;
    return n;
}

std::vector<FileRow> lignes(std::initializer_list<std::pair<const char*, const char*>> l) {
    std::vector<FileRow> rows;
    for (const auto& [a, n] : l) {
        FileRow r;
        r.ancien = a;
        r.nouveau = n;
        rows.push_back(r);
    }
    return rows;
}

// Renames where a new name is another row's old name go back whole: the undo follows
// the names each of its steps frees, not the folder as it stood before it began.
TEST(Journal, ChainedRenamesUndoneWhole) {
    const struct {
        const char* name;
        std::vector<std::string> fichiers;
        std::vector<FileRow> rows;
        int renommes;
    } cases[] = {
        {"renumbered from 0",
         {"IMG001.jpg", "IMG002.jpg", "IMG003.jpg"},
         lignes({{"IMG001.jpg", "IMG000.jpg"},
                 {"IMG002.jpg", "IMG001.jpg"},
                 {"IMG003.jpg", "IMG002.jpg"}}),
         3},
        {"swap through a free name",
         {"a.jpg", "b.jpg"},
         lignes({{"a.jpg", "t.jpg"}, {"b.jpg", "a.jpg"}, {"t.jpg", "b.jpg"}}),
         3},
        {"each into the name just freed",
         {"a", "b", "c"},
         lignes({{"c", "d"}, {"b", "c"}, {"a", "b"}}),
         3},
    };
    for (const auto& c : cases) {
        TempDir dir, state;
        for (const std::string& f : c.fichiers)
            dir.write(f, f);
        DossierListe d;
        ASSERT_TRUE(d.ouvrir(dir.path()));
        ASSERT_EQ(renommerLignes(d, c.rows, state.path()).renommes, c.renommes) << c.name;
        ASSERT_GT(horsDeSonNom(dir), 0) << c.name;
        const auto plan = planAnnulation(d, state.path());
        ASSERT_TRUE(plan) << c.name;
        const BilanRenommage b = annuler(d, *plan, state.path());
        EXPECT_EQ(b.renommes, c.renommes) << c.name;
        EXPECT_EQ(b.erreurs, 0) << c.name;
        EXPECT_EQ(dir.names(), c.fichiers) << c.name;
        EXPECT_EQ(horsDeSonNom(dir), 0) << c.name;
    }
}

// An undo that stopped short (a name still taken, the program killed with only some of
// its marks written) is finished by the next undo: files already back stay back, the
// others come back, and only then would another undo make the run again.
TEST(Journal, UndoLeftUnfinishedIsFinished) {
    enum class Arret { NomPris, Tue };
    const struct {
        const char* name;
        Arret arret;
        int faitsPuisTue; // renames made by the killed undo / marks it wrote
        int marques;
    } cases[] = {
        {"old name taken, then freed", Arret::NomPris, 0, 0},
        {"killed after 3 of 6, every mark written", Arret::Tue, 3, 3},
        {"killed after 5 of 6, 2 marks written", Arret::Tue, 5, 2},
    };
    const std::vector<std::string> noms = {"a.jpg", "b.jpg", "c.jpg", "d.jpg", "e.jpg", "f.jpg"};
    for (const auto& c : cases) {
        TempDir dir, state;
        for (const std::string& n : noms)
            dir.write(n, n);
        MoteurNommage engine;
        engine.journaux = state.path();
        engine.options.prefixe = "P";
        ASSERT_TRUE(engine.lister(dir.path()));
        engine.calculer();
        ASSERT_EQ(engine.renommer().renommes, 6) << c.name;
        const DossierListe& d = engine.dossier();
        auto plan = planAnnulation(d, state.path());
        ASSERT_TRUE(plan) << c.name;
        ASSERT_EQ(plan->retours.size(), 6u) << c.name;
        if (c.arret == Arret::NomPris) {
            dir.write("b.jpg", "someone else");
            const BilanRenommage b = annuler(d, *plan, state.path());
            EXPECT_EQ(b.renommes, 5) << c.name;
            EXPECT_EQ(b.erreurs, 1) << c.name;
            ::unlink((dir.path() + "b.jpg").c_str());
        } else {
            JournalEcrit j;
            ASSERT_TRUE(
                j.ouvrir(state.path(), d.chemin(), identiteDossier(d.fd()), plan->lignes, true));
            for (int k = 0; k < c.faitsPuisTue; ++k) {
                const FileRow& r = plan->retours[std::size_t(k)];
                ASSERT_EQ(::renameat(d.fd(), r.ancien.c_str(), d.fd(), r.nouveau.c_str()), 0);
                if (k < c.marques)
                    j.fait(plan->indices[std::size_t(k)]);
            }
            // The program dies here: no end mark.
        }
        const auto suite = planAnnulation(d, state.path());
        ASSERT_TRUE(suite) << c.name;
        EXPECT_EQ(suite->sens, PlanAnnulation::Sens::Terminer) << c.name;
        const int reste = c.arret == Arret::NomPris ? 1 : 6 - c.faitsPuisTue;
        EXPECT_EQ(int(suite->retours.size()), reste) << c.name;
        const BilanRenommage b = annuler(d, *suite, state.path());
        EXPECT_EQ(b.renommes, reste) << c.name;
        EXPECT_EQ(b.erreurs, 0) << c.name;
        EXPECT_EQ(dir.names(), noms) << c.name;
        EXPECT_EQ(horsDeSonNom(dir), 0) << c.name;
        // Nothing is left to finish: the next step would make the run again.
        const auto encore = planAnnulation(d, state.path());
        ASSERT_TRUE(encore) << c.name;
        EXPECT_EQ(encore->sens, PlanAnnulation::Sens::Refaire) << c.name;
        EXPECT_EQ(encore->retours.size(), 6u) << c.name;
    }
}

// A run holds its journal locked until its end mark: while it goes on, no undo of the
// folder starts, whether it was planned before the run began or after; once the run is
// over its journal is an ordinary one again.
TEST(Journal, RunGoingOnIsNotUndone) {
    for (const bool planAvant : {false, true}) {
        TempDir dir, state;
        dir.write("a.jpg", "a.jpg");
        dir.write("b.jpg", "b.jpg");
        DossierListe d;
        ASSERT_TRUE(d.ouvrir(dir.path()));
        ASSERT_EQ(renommerLignes(d, lignes({{"a.jpg", "P1.jpg"}}), state.path()).renommes, 1);
        const auto avant = planAnnulation(d, state.path());
        ASSERT_TRUE(avant && !avant->enCours);
        auto run = std::make_unique<JournalEcrit>();
        ASSERT_TRUE(run->ouvrir(state.path(), d.chemin(), identiteDossier(d.fd()),
                                {{"b.jpg", "P2.jpg", 0, 0, false}}, false));
        ASSERT_EQ(::renameat(d.fd(), "b.jpg", d.fd(), "P2.jpg"), 0);
        run->fait(0);
        EXPECT_TRUE(journalVerrouille(run->chemin())) << planAvant;
        BilanRenommage b;
        if (planAvant) {
            b = annuler(d, *avant, state.path());
        } else {
            const auto plan = planAnnulation(d, state.path());
            ASSERT_TRUE(plan);
            EXPECT_TRUE(plan->enCours);
            EXPECT_TRUE(plan->retours.empty());
            b = annuler(d, *plan, state.path());
        }
        EXPECT_TRUE(b.enCours) << planAvant;
        EXPECT_EQ(b.renommes, 0) << planAvant;
        EXPECT_EQ(dir.names(), (std::vector<std::string>{"P1.jpg", "P2.jpg"})) << planAvant;
        // The refused undo left no journal of its own.
        EXPECT_EQ(journaux(state.path()).size(), 2u) << planAvant;
        run->fermer();
        const auto apres = planAnnulation(d, state.path());
        ASSERT_TRUE(apres);
        EXPECT_FALSE(apres->enCours);
        EXPECT_EQ(annuler(d, *apres, state.path()).renommes, 1) << planAvant;
        EXPECT_TRUE(dir.exists("b.jpg")) << planAvant;
    }
}

} // namespace

namespace {

// A journal is read within a bound: one of 100,000 rows is read whole; one past the bound
// is known by its head alone, and an undo refuses it, naming it, without reading it all.
TEST(Journal, ReadWithinABound) {
    const struct {
        const char* name;
        std::size_t lignesEcrites;
        bool agrandi; // grown past the bound (a sparse file: no disk used)
    } cases[] = {{"100,000 rows", 100000, false}, {"past the bound", 1, true}};
    for (const auto& c : cases) {
        TempDir dir, state;
        dir.write("a.jpg", "a");
        DossierListe d;
        ASSERT_TRUE(d.ouvrir(dir.path()));
        std::vector<JournalLu::Ligne> rows;
        for (std::size_t i = 0; i < c.lignesEcrites; ++i)
            rows.push_back({"IMG_" + std::to_string(i) + ".JPG", "P" + std::to_string(i) + ".JPG"});
        rows[0].ancien = "a.jpg";
        const std::string chemin = state.path() + "run-20260101-000000-000000000-1-1.journal";
        {
            std::FILE* f = std::fopen(chemin.c_str(), "wb");
            ASSERT_TRUE(f);
            const std::string t = texteEnteteJournal(d.chemin(), identiteDossier(d.fd()),
                                                     "2026-01-01 00:00:00", rows, false) +
                                  "fin\n";
            std::fwrite(t.data(), 1, t.size(), f);
            std::fclose(f);
        }
        if (c.agrandi)
            ASSERT_EQ(::truncate(chemin.c_str(), off_t(kTailleMaxJournal) + 1), 0);
        const auto j = lireJournal(chemin);
        ASSERT_TRUE(j) << c.name;
        EXPECT_EQ(j->tropGrand, c.agrandi) << c.name;
        EXPECT_EQ(j->lignes.size(), c.agrandi ? 0u : c.lignesEcrites) << c.name;
        const auto plan = planAnnulation(d, state.path());
        ASSERT_TRUE(plan) << c.name;
        EXPECT_EQ(plan->journalTropGrand, c.agrandi ? chemin : std::string()) << c.name;
        const std::string message =
            messageRefus(defaultMessages(), {}, d.chemin(), plan->journalTropGrand);
        EXPECT_EQ(message.find(chemin) != std::string::npos, c.agrandi) << message;
    }
}

// No journal, no rename: when the journal cannot be made and flushed, nothing is renamed,
// and the message names the journals' folder and the reason.
TEST(Journal, NoJournalNoRename) {
    enum class Cause { SansDossierEtat, DossierSousUnFichier, EcritureRefusee };
    const struct {
        const char* name;
        Cause cause;
        const char* raison;
    } cases[] = {
        {"neither XDG_STATE_HOME nor HOME", Cause::SansDossierEtat, "XDG_STATE_HOME"},
        {"state folder under a file", Cause::DossierSousUnFichier, "ce n'est pas un dossier"},
        {"journal cannot be written", Cause::EcritureRefusee, "fichier trop grand pour ce disque"},
    };
    for (const auto& c : cases) {
        TempDir dir, state;
        for (int i = 0; i < 50; ++i)
            dir.write("IMG_" + std::to_string(1000 + i) + ".jpg", "x");
        MoteurNommage engine;
        engine.options.prefixe = "P";
        ASSERT_TRUE(engine.lister(dir.path()));
        engine.calculer();
        const auto avant = dir.names();
        BilanRenommage b;
        switch (c.cause) {
        case Cause::SansDossierEtat:
            b = engine.renommer();
            break;
        case Cause::DossierSousUnFichier:
            state.write("fichier");
            engine.journaux = state.path() + "fichier/varlime/";
            b = engine.renommer();
            break;
        case Cause::EcritureRefusee: {
            // A full disk, as far as the journal sees it: its head cannot be written whole.
            engine.journaux = state.path();
            struct rlimit ancienne;
            ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &ancienne), 0);
            const auto signal = std::signal(SIGXFSZ, SIG_IGN);
            struct rlimit petite = ancienne;
            petite.rlim_cur = 200;
            ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &petite), 0);
            b = engine.renommer();
            ::setrlimit(RLIMIT_FSIZE, &ancienne);
            std::signal(SIGXFSZ, signal);
            break;
        }
        }
        EXPECT_TRUE(b.sansJournal) << c.name;
        EXPECT_EQ(b.renommes, 0) << c.name;
        EXPECT_EQ(dir.names(), avant) << c.name;
        const std::string message = messageRefus(defaultMessages(), b, dir.path());
        EXPECT_NE(message.find(c.raison), std::string::npos) << message;
        if (!engine.journaux.empty())
            EXPECT_NE(message.find(engine.journaux), std::string::npos) << message;
        EXPECT_TRUE(journaux(state.path()).empty()) << c.name;
    }
}

// One run per folder: while a run holds the folder, a rename or an undo of it, by any
// path, is refused with nothing renamed; once it ends both go ahead.
TEST(Journal, OneRunPerFolder) {
    TempDir root, state;
    root.write("photos/a.jpg", "a");
    ASSERT_EQ(::symlink((root.path() + "photos").c_str(), (root.path() + "lien").c_str()), 0);
    DossierListe d, parLien;
    ASSERT_TRUE(d.ouvrir(root.path() + "photos"));
    ASSERT_TRUE(parLien.ouvrir(root.path() + "lien"));
    auto autreRun = std::make_unique<VerrouDossier>();
    ASSERT_TRUE(autreRun->prendre(state.path(), identiteDossier(d.fd())));
    BilanRenommage b = renommerLignes(parLien, lignes({{"a.jpg", "P1.jpg"}}), state.path());
    EXPECT_TRUE(b.enCours);
    EXPECT_EQ(b.renommes, 0);
    EXPECT_TRUE(root.exists("photos/a.jpg"));
    EXPECT_NE(messageRefus(defaultMessages(), b, d.chemin()).find("en cours"), std::string::npos);
    autreRun.reset();
    ASSERT_EQ(renommerLignes(parLien, lignes({{"a.jpg", "P1.jpg"}}), state.path()).renommes, 1);
    const auto plan = planAnnulation(d, state.path());
    ASSERT_TRUE(plan);
    autreRun = std::make_unique<VerrouDossier>();
    ASSERT_TRUE(autreRun->prendre(state.path(), identiteDossier(parLien.fd())));
    b = annuler(d, *plan, state.path());
    EXPECT_TRUE(b.enCours);
    EXPECT_TRUE(root.exists("photos/P1.jpg"));
    autreRun.reset();
    EXPECT_EQ(annuler(d, *plan, state.path()).renommes, 1);
    EXPECT_TRUE(root.exists("photos/a.jpg"));
}

// A new folder given a removed folder's inode number is another folder: it has no
// history and nothing to undo.
TEST(Journal, FolderReusingAnInodeIsAnotherFolder) {
    TempDir root, state;
    root.write("a/x.jpg", "x");
    std::uint64_t ino = 0;
    {
        DossierListe d;
        ASSERT_TRUE(d.ouvrir(root.path() + "a"));
        if (identiteDossier(d.fd()).naissance == 0)
            GTEST_SKIP() << "skipped: this file system keeps no birth time";
        ino = identiteDossier(d.fd()).inode;
        ASSERT_EQ(renommerLignes(d, lignes({{"x.jpg", "P1.jpg"}}), state.path()).renommes, 1);
    }
    ASSERT_EQ(::unlink((root.path() + "a/P1.jpg").c_str()), 0);
    ASSERT_EQ(::rmdir((root.path() + "a").c_str()), 0);
    std::string nouveau;
    for (int i = 0; i < 200 && nouveau.empty(); ++i) {
        const std::string p = root.path() + "b" + std::to_string(i);
        struct stat st;
        if (::mkdir(p.c_str(), 0700) == 0 && ::stat(p.c_str(), &st) == 0 && st.st_ino == ino)
            nouveau = p;
    }
    if (nouveau.empty())
        GTEST_SKIP() << "skipped: no new folder was given the removed folder's inode";
    root.write(nouveau.substr(root.path().size()) + "/P1.jpg", "y");
    DossierListe d;
    ASSERT_TRUE(d.ouvrir(nouveau));
    EXPECT_TRUE(journauxDuDossier(state.path(), identiteDossier(d.fd())).empty());
    EXPECT_FALSE(planAnnulation(d, state.path()));
}

// Journals written before the folder's volume and birth time were kept are still read
// and undone, where inode numbers last.
TEST(Journal, FirstFormatStillUndone) {
    TempDir dir, state;
    dir.write("P1.jpg", "a");
    DossierListe d;
    ASSERT_TRUE(d.ouvrir(dir.path()));
    struct stat sd, sf;
    ASSERT_EQ(::fstat(d.fd(), &sd), 0);
    ASSERT_EQ(::stat((dir.path() + "P1.jpg").c_str(), &sf), 0);
    const std::string texte = "varlime-journal 1\ndossier " + d.chemin() + "\ndevice " +
                              std::to_string(sd.st_dev) + "\ninode " + std::to_string(sd.st_ino) +
                              "\ndebut 2025-01-01 00:00:00\nannulation 0\nligne " +
                              std::to_string(sf.st_ino) + " 0 a.jpg P1.jpg\ndepart\nfait 0\nfin\n";
    std::FILE* f = std::fopen((state.path() + "run-20250101-000000-1-1.journal").c_str(), "wb");
    ASSERT_TRUE(f);
    std::fwrite(texte.data(), 1, texte.size(), f);
    std::fclose(f);
    EXPECT_EQ(journauxDuDossier(state.path(), identiteDossier(d.fd())).size(), 1u);
    const auto plan = planAnnulation(d, state.path());
    ASSERT_TRUE(plan);
    EXPECT_EQ(annuler(d, *plan, state.path()).renommes, 1);
    EXPECT_TRUE(dir.exists("a.jpg"));
}

} // namespace
