// SPDX-License-Identifier: GPL-3.0-or-later
// A move from a camera card: on FAT and exFAT (mounted through FUSE) and on the local disk,
// a photo edited during or after its copy is never deleted, and a copy onto a card works.
#include "support/fichiersCarte.h"
#include "support/test_imageCarte.h"
#include "support/test_support.h"
#include "transfer/transfert.h"

#include <algorithm>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

using namespace varlime;
using namespace varlime::test;

namespace {

class TransfertCarte : public ::testing::TestWithParam<Lieu> {};

} // namespace

TEST_P(TransfertCarte, MoveDeletesOnlyWhatItProvedIdentical) {
    struct Cas {
        const char* nom;
        bool pendant; // B.JPG rewritten after its first block was read
        bool apres;   // B.JPG rewritten between the copy and the delete
        int erreursCopie, erreursEffacement;
        std::vector<std::string> resteSource, copies;
    };
    const std::vector<Cas> cas = {
        {"untouched", false, false, 0, 0, {}, {"A.JPG", "B.JPG", "C.JPG"}},
        {"edited-after-copy", false, true, 0, 1, {"B.JPG"}, {"A.JPG", "B.JPG", "C.JPG"}},
        // A copy failure stops the move before any delete.
        {"rewritten-during-copy",
         true,
         false,
         1,
         0,
         {"A.JPG", "B.JPG", "C.JPG"},
         {"A.JPG", "C.JPG"}},
    };
    DossierCarte carte(GetParam());
    if (!carte.ok())
        GTEST_SKIP() << "skipped: " << carte.raison();
    for (const Cas& c : cas) {
        SCOPED_TRACE(c.nom);
        const std::string dcim = carte.racine() + "DCIM/100CANON/";
        ecrire(dcim + "A.JPG", octets(5000, 'a'));
        // Larger than one block of the copy, so that a rewrite lands in its middle.
        const std::string b = octets(3 << 20, 'b');
        ecrire(dcim + "B.JPG", b);
        ecrire(dcim + "C.JPG", octets(7000, 'c'));
        TempDir pc;
        int reecritures = 0;
        definirCrochetCopie([&](EtapeCopie e, int fd) {
            struct stat st;
            if (c.pendant && e == EtapeCopie::SourceEntamee && ::fstat(fd, &st) == 0 &&
                st.st_size == off_t(b.size()) && reecritures++ == 0)
                reecrireEnPlace(dcim + "B.JPG");
        });
        TransfertPhotos run(carte.racine() + "DCIM", pc.path(), true);
        EXPECT_EQ(run.copierFichiers(nullptr), c.erreursCopie);
        definirCrochetCopie({});
        EXPECT_EQ(run.echecs(CauseCopie::SourceModifiee), c.erreursCopie);
        EXPECT_EQ(noms(pc.path()), c.copies);
        if (c.apres)
            reecrireEnPlace(dcim + "B.JPG");
        if (c.erreursCopie == 0) {
            EXPECT_EQ(run.effacerFichiers(nullptr), c.erreursEffacement);
            EXPECT_EQ(run.modifiesDepuisCopie(), c.erreursEffacement);
        }
        EXPECT_EQ(noms(dcim), c.resteSource);
        // The copy holds the photo as it was copied, whole.
        if (std::count(c.copies.begin(), c.copies.end(), "B.JPG")) {
            EXPECT_TRUE(readFile(pc.path() + "B.JPG") == b);
        }
        // What stays on the card is the edited photo, never lost.
        if (c.pendant || c.apres) {
            EXPECT_FALSE(readFile(dcim + "B.JPG") == b);
        }
        std::filesystem::remove_all(carte.racine() + "DCIM");
    }
}

// A move proves its copies by batches: every photo of the batch is copied before the first
// copy is read back. A photo edited in that while, after its own copy, or a copy changed
// on the disk, fails that photo alone, its copy removed, and nothing is deleted.
TEST_P(TransfertCarte, ABatchProvesEachCopyAfterAllWereWritten) {
    struct Cas {
        const char* nom;
        bool sourceEditee; // else B's copy gets one byte flipped before it is read back
        CauseCopie attendue;
    };
    const std::vector<Cas> cas = {
        {"source-edited-before-read-back", true, CauseCopie::SourceModifiee},
        {"copy-flipped-before-read-back", false, CauseCopie::Differente},
    };
    DossierCarte carte(GetParam());
    if (!carte.ok())
        GTEST_SKIP() << "skipped: " << carte.raison();
    for (const Cas& c : cas) {
        SCOPED_TRACE(c.nom);
        const std::string dcim = carte.racine() + "DCIM/100CANON/";
        ecrire(dcim + "A.JPG", octets(5000, 'a'));
        const std::string b = octets(200000, 'b');
        ecrire(dcim + "B.JPG", b);
        ecrire(dcim + "C.JPG", octets(7000, 'c'));
        // More copies than are flushed one by one: the file system is flushed once.
        for (const char* n : {"D.JPG", "E.JPG", "F.JPG"})
            ecrire(dcim + n, octets(3000 + std::size_t(n[0] - 'D') * 1000, n[0]));
        TempDir pc;
        bool fait = false;
        definirCrochetCopie([&](EtapeCopie e, int fd) {
            struct stat st;
            if (e != EtapeCopie::CopieEcrite || fait || ::fstat(fd, &st) != 0)
                return;
            // A's copy is read back first, once B and C were copied.
            if (c.sourceEditee && st.st_size == 5000) {
                reecrireEnPlace(dcim + "B.JPG");
                fait = true;
            }
            if (!c.sourceEditee && st.st_size == off_t(b.size())) {
                char x = 0;
                ASSERT_EQ(::pread(fd, &x, 1, 100000), 1);
                x = char(x ^ 0x01);
                ASSERT_EQ(::pwrite(fd, &x, 1, 100000), 1);
                fait = true;
            }
        });
        TransfertPhotos run(carte.racine() + "DCIM", pc.path(), true);
        EXPECT_EQ(run.copierFichiers(nullptr), 1);
        definirCrochetCopie({});
        EXPECT_TRUE(fait);
        EXPECT_EQ(run.echecs(c.attendue), 1);
        // No copy of B under its name, nor any temporary file.
        EXPECT_EQ(noms(pc.path()),
                  (std::vector<std::string>{"A.JPG", "C.JPG", "D.JPG", "E.JPG", "F.JPG"}));
        EXPECT_EQ(noms(dcim).size(), 6u);
        EXPECT_EQ(readFile(dcim + "B.JPG") == b, !c.sourceEditee);
        std::filesystem::remove_all(carte.racine() + "DCIM");
    }
}

// Onto a card: FAT keeps no permissions and fusefat refuses to set them, which is no
// failure; times are kept to the card's two seconds.
TEST_P(TransfertCarte, MovesOntoTheCard) {
    DossierCarte carte(GetParam());
    if (!carte.ok())
        GTEST_SKIP() << "skipped: " << carte.raison();
    TempDir pc;
    for (const char* n : {"a.jpg", "b.jpg"})
        pc.write(std::string("src/") + n, octets(200000, n[0]));
    const struct timespec t[2] = {{1600000000, 0}, {1600000000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, (pc.path() + "src/a.jpg").c_str(), t, 0), 0);
    TransfertPhotos run(pc.path() + "src", carte.racine(), true);
    EXPECT_EQ(run.copierFichiers(nullptr), 0);
    EXPECT_EQ(run.effacerFichiers(nullptr), 0);
    EXPECT_EQ(noms(carte.racine()), (std::vector<std::string>{"a.jpg", "b.jpg"}));
    EXPECT_TRUE(readFile(carte.racine() + "b.jpg") == octets(200000, 'b'));
    EXPECT_TRUE(noms(pc.path() + "src").empty());
    struct stat st;
    ASSERT_EQ(::stat((carte.racine() + "a.jpg").c_str(), &st), 0);
    EXPECT_EQ(st.st_mtim.tv_sec, 1600000000);
}

INSTANTIATE_TEST_SUITE_P(Supports, TransfertCarte,
                         ::testing::Values(Lieu::Local, Lieu::Fat32, Lieu::ExFat),
                         [](const auto& i) { return nomLieu(i.param); });

namespace {
// The result lines of a run, as the command line prints them.
class Resultats : public SortieTransfert {
public:
    void basculerBoutons(bool) override {}
    void initialiserMessage(const std::string&) override {}
    void afficherAvancement(int, const std::string&) override {}
    void fermer() override {}
    void afficherMessage(const std::string& t) override { texte += t + "\n"; }
    void recompter() override {}
    std::string texte;
};
} // namespace

// A folder of the card that cannot be read is told as such, not as files of the same name.
TEST(TransfertMessages, AnUnreadableFolderIsToldAsSuch) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "skipped: root reads every folder";
    TempDir d;
    d.write("DCIM/100CANON/A.JPG", "a");
    d.write("DCIM/101CANON/B.JPG", "b");
    d.write("pc/.keep");
    ASSERT_EQ(::chmod((d.path() + "DCIM/101CANON").c_str(), 0), 0);
    TransfertPhotos run(d.path() + "DCIM", d.path() + "pc", true);
    Resultats r;
    const BilanTransfert b = run.executer("2", defaultMessages(), r);
    ::chmod((d.path() + "DCIM/101CANON").c_str(), 0755);
    EXPECT_FALSE(b.reussi(true));
    EXPECT_NE(r.texte.find("n'ont pu être lus"), std::string::npos) << r.texte;
    EXPECT_EQ(r.texte.find("nom identique"), std::string::npos) << r.texte;
    EXPECT_TRUE(d.exists("DCIM/100CANON/A.JPG"));
}
