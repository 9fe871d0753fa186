#include "core/renameEngine.h"
#include "support/test_support.h"

#include <cstdio>
#include <gtest/gtest.h>
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
