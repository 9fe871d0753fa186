// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/fileSystem.h"
#include "support/test_support.h"

#include <algorithm>
#include <climits>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace varlime;
using varlime::test::TempDir;

namespace {

struct MaskCase {
    const char* mask;
    const char* name;
    bool match;
};

TEST(Wildcards, WindowsStyleMasks) {
    const MaskCase cases[] = {
        {"*.*", "photo.jpg", true},
        {"*.*", "README", true},
        {"*.*", ".hidden", true},
        {"*", "anything", true},
        {"*.jpg", "a.JPG", true},
        {"*.jpg", "a.jpeg", false},
        {"*.jp?", "a.jpe", true},
        {"*.jp?", "a.jp", false},
        {"IMG_*.JPG", "img_0042.jpg", true},
        {"IMG_*.JPG", "DSC_0042.JPG", false},
        {"?", "a", true},
        {"?", "ab", false},
        {"a*b*c", "aXXbYYc", true},
        {"a*b*c", "aXXbYY", false},
        {"ÉTÉ*", "été 2024.jpg", true},
        {"README.*", "README", true},
        {"*.txt", "notes", false},
        {"**", "", true},
        {"*a", "banana", true},
        {"*.tar.gz", "x.TAR.GZ", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(correspondMasque(c.mask, c.name), c.match) << c.mask << " ~ " << c.name;
}

std::vector<std::string> names(const std::vector<EntreeRepertoire>& entries) {
    std::vector<std::string> out;
    for (const auto& e : entries)
        out.push_back(e.nom);
    std::sort(out.begin(), out.end());
    return out;
}

class Listing : public ::testing::Test {
protected:
    void SetUp() override {
        dir.write("photo.jpg");
        dir.write("notes.txt");
        dir.write(".cache");
        dir.write("sub/inner.jpg");
        ASSERT_EQ(::symlink("sub", (dir.path() + "lien").c_str()), 0);
        ASSERT_EQ(::symlink("nowhere", (dir.path() + "casse").c_str()), 0);
        ASSERT_EQ(::mkfifo((dir.path() + "tube").c_str(), 0600), 0);
    }
    TempDir dir;
};

TEST_F(Listing, AttributeSetsDecideWhatIsListed) {
    struct {
        int set;
        std::vector<std::string> expected;
    } cases[] = {
        {63, {".cache", "casse", "lien", "notes.txt", "photo.jpg", "sub", "tube"}},
        {47, {".cache", "casse", "notes.txt", "photo.jpg", "tube"}},
        {32, {"notes.txt", "photo.jpg"}},
        {0, {"notes.txt", "photo.jpg"}},
        {16 | 32, {"lien", "notes.txt", "photo.jpg", "sub"}},
        {2 | 32, {".cache", "notes.txt", "photo.jpg"}},
        {4, {"casse", "notes.txt", "photo.jpg", "tube"}},
    };
    for (const auto& c : cases) {
        bool ok = false;
        EXPECT_EQ(names(chercherFichiers(dir.path(), "*.*", c.set, &ok)), c.expected) << c.set;
        EXPECT_TRUE(ok);
    }
}

TEST_F(Listing, AttributesOfEntries) {
    for (const auto& e : chercherFichiers(dir.path(), "*", 63)) {
        int expected = 0;
        if (e.nom == "photo.jpg" || e.nom == "notes.txt")
            expected = attrArchive;
        else if (e.nom == ".cache")
            expected = attrArchive | attrCache;
        else if (e.nom == "sub" || e.nom == "lien")
            expected = attrRepertoire;
        else
            expected = attrSysteme;
        EXPECT_EQ(e.attributs & ~attrLectureSeule, expected) << e.nom;
    }
}

TEST_F(Listing, MaskAndMissingFolder) {
    EXPECT_EQ(names(chercherFichiers(dir.path(), "*.JPG", 47)),
              std::vector<std::string>{"photo.jpg"});
    EXPECT_TRUE(chercherFichiers(dir.path(), "sub/*.jpg", 63).empty());
    bool ok = true;
    EXPECT_TRUE(chercherFichiers(dir.path() + "absent/", "*.*", 63, &ok).empty());
    EXPECT_FALSE(ok);
}

TEST(Rename, NeverReplacesAndCountsEveryFailure) {
    TempDir dir;
    dir.write("a.jpg", "A");
    dir.write("b.jpg", "B");
    dir.write("sub/keep.txt", "K");
    const std::string tooLong(NAME_MAX + 1, 'x');
    struct {
        const char* from;
        const char* to;
        ResultatRenommage expected;
    } cases[] = {
        {"a.jpg", "b.jpg", ResultatRenommage::CibleExiste},
        {"a.jpg", "sub", ResultatRenommage::CibleExiste},
        {"a.jpg", "", ResultatRenommage::NomInvalide},
        {"a.jpg", ".", ResultatRenommage::NomInvalide},
        {"a.jpg", "..", ResultatRenommage::NomInvalide},
        {"a.jpg", "sub/a.jpg", ResultatRenommage::NomInvalide},
        {"a.jpg", "../evade.jpg", ResultatRenommage::NomInvalide},
        {"missing.jpg", "c.jpg", ResultatRenommage::SourceAbsente},
        {"a.jpg", tooLong.c_str(), ResultatRenommage::NomTropLong},
    };
    for (const auto& c : cases)
        EXPECT_EQ(renommerSansEcraser(dir.path(), c.from, c.to), c.expected)
            << c.from << " -> " << c.to;
    EXPECT_EQ(dir.read("a.jpg"), "A");
    EXPECT_EQ(dir.read("b.jpg"), "B");
    EXPECT_EQ(dir.names(), (std::vector<std::string>{"a.jpg", "b.jpg", "sub"}));
    EXPECT_EQ(renommerSansEcraser(dir.path(), "a.jpg", "c.jpg"), ResultatRenommage::Renomme);
    EXPECT_EQ(dir.read("c.jpg"), "A");
}

TEST(Rename, CaseOnlyRename) {
    TempDir dir;
    dir.write("img.jpg", "I");
    EXPECT_EQ(renommerSansEcraser(dir.path(), "img.jpg", "IMG.JPG"), ResultatRenommage::Renomme);
    EXPECT_EQ(dir.names(), std::vector<std::string>{"IMG.JPG"});
}

TEST(Rename, HardLinkedCaseVariantIsNotMistakenForItself) {
    // On a case-sensitive file system two spellings linked to one file are two
    // names: the no-replace rule must hold for them.
    TempDir dir;
    dir.write("img.jpg", "I");
    ASSERT_EQ(::link((dir.path() + "img.jpg").c_str(), (dir.path() + "IMG.JPG").c_str()), 0);
    EXPECT_EQ(renommerSansEcraser(dir.path(), "img.jpg", "IMG.JPG"),
              ResultatRenommage::CibleExiste);
    EXPECT_EQ(dir.names(), (std::vector<std::string>{"IMG.JPG", "img.jpg"}));
}

TEST(Rename, NamesThatAreNotUtf8AreRenamedByTheirBytes) {
    TempDir dir;
    const std::string latin1 = "\xE9t\xE9.jpg"; // "été" in Latin-1
    const std::string other = "\xE8t\xE9.jpg";  // differs by one byte the display cannot show
    dir.write(latin1, "1");
    dir.write(other, "2");
    EXPECT_EQ(renommerSansEcraser(dir.path(), latin1, "ete.jpg"), ResultatRenommage::Renomme);
    EXPECT_EQ(dir.read("ete.jpg"), "1");
    EXPECT_EQ(dir.read(other), "2");
}

TEST(Folders, ValidityModificationTimeAndCurrentDirectory) {
    TempDir dir;
    const std::string file = dir.write("f.txt");
    EXPECT_TRUE(Chemin_valide(dir.path()));
    EXPECT_FALSE(Chemin_valide(file));
    EXPECT_FALSE(Chemin_valide(dir.path() + "none"));
    EXPECT_FALSE(Chemin_valide(""));
    EXPECT_TRUE(dateModification(file).has_value());
    EXPECT_FALSE(dateModification(dir.path() + "none").has_value());
    const std::string before = repertoireCourant();
    ASSERT_TRUE(changerRepertoireCourant(dir.path()));
    char real[PATH_MAX];
    ASSERT_NE(::realpath(dir.path().c_str(), real), nullptr);
    EXPECT_EQ(repertoireCourant(), std::string(real) + "/");
    EXPECT_TRUE(entreeExiste(dir.path(), "f.txt"));
    EXPECT_FALSE(entreeExiste(dir.path(), "F.TXT"));
    EXPECT_FALSE(changerRepertoireCourant(dir.path() + "none"));
    changerRepertoireCourant(before);
}

} // namespace

// Qt shows a path whose bytes are not UTF-8 with replacement characters: the folder is
// found again by its bytes, also below an ordinary part and with a name that is UTF-8.
TEST(FileSystem, PathShownByQtLeadsBackToItsBytes) {
    TempDir root;
    root.write("caf\xE9/sub/\xC3\xA9t\xE9/a.jpg");
    const std::string real = root.path() + "caf\xE9/sub/\xC3\xA9t\xE9/";
    const QString shown = QString::fromUtf8(real.data(), qsizetype(real.size()));
    EXPECT_EQ(cheminSurDisque(shown), real);
    EXPECT_EQ(cheminSurDisque(shown.chopped(1)), real.substr(0, real.size() - 1));
    EXPECT_EQ(cheminSurDisque(QString::fromStdString(root.path())), root.path());
}
