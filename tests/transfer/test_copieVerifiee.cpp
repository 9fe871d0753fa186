// SPDX-License-Identifier: GPL-3.0-or-later
// The verified copy on a local disk and on FAT32 and exFAT cards: what it proves, what it
// refuses, and that a refused copy leaves nothing behind.
#include "platform/fileSystem.h"
#include "support/fichiersCarte.h"
#include "support/test_imageCarte.h"
#include "support/test_support.h"
#include "transfer/copieVerifiee.h"

#include <algorithm>
#include <atomic>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <xxhash.h>

using namespace varlime;
using namespace varlime::test;

namespace {

struct Crochet {
    explicit Crochet(CrochetCopie c) { definirCrochetCopie(std::move(c)); }
    ~Crochet() { definirCrochetCopie({}); }
};

class CopieVerifieeTest : public ::testing::TestWithParam<Lieu> {};

// A stop asked by a test's hook, as a window's Interrupt or Ctrl+C asks it.
std::atomic<bool> arretDemande{false};

} // namespace

// The source is on the card (or the disk) under test; the copies go to a local folder and
// to a second folder on the same card, so both directions meet that file system.
TEST_P(CopieVerifieeTest, ProvesEachCopyOrRemovesIt) {
    struct Cas {
        const char* nom;
        std::size_t taille;
        EtapeCopie etape;
        // What the hook does; nothing for a copy left alone.
        void (*action)(const std::string& source, int fd);
        CauseCopie attendue;
    };
    const std::vector<Cas> cas = {
        {"untouched", 3 << 20, EtapeCopie::SourceEntamee, nullptr, CauseCopie::Aucune},
        {"empty", 0, EtapeCopie::SourceEntamee, nullptr, CauseCopie::Aucune},
        // Rewritten with its dates put back after the first block was read: the copy
        // would be a mix of both versions.
        {"source-rewritten-during-copy", 3 << 20, EtapeCopie::SourceEntamee,
         [](const std::string& source, int) { reecrireEnPlace(source); },
         CauseCopie::SourceModifiee},
        // One byte of the copy changed between its write and its reading back.
        {"copy-differs-on-disk", 100000, EtapeCopie::CopieEcrite,
         [](const std::string&, int fd) {
             char c;
             ASSERT_EQ(::pread(fd, &c, 1, 5000), 1);
             c = char(c ^ 0x20);
             ASSERT_EQ(::pwrite(fd, &c, 1, 5000), 1);
         },
         CauseCopie::Differente},
        // A stop asked after the first block of a large file, or while the copies are
        // read back: nothing is left under any name.
        {"stopped-while-writing", 3 << 20, EtapeCopie::SourceEntamee,
         [](const std::string&, int) { arretDemande = true; }, CauseCopie::Interrompue},
        {"stopped-while-reading-back", 3 << 20, EtapeCopie::CopieEcrite,
         [](const std::string&, int) { arretDemande = true; }, CauseCopie::Interrompue},
    };
    DossierCarte carte(GetParam());
    if (!carte.ok())
        GTEST_SKIP() << "skipped: " << carte.raison();
    for (const Cas& c : cas) {
        SCOPED_TRACE(c.nom);
        TempDir local;
        const std::string src = carte.racine() + "DCIM/", autre = carte.racine() + "COPIE/";
        std::filesystem::create_directories(src);
        std::filesystem::create_directories(autre);
        const std::string contenu = octets(c.taille, 'a');
        ecrire(src + "IMG_0001.JPG", contenu);
        const struct timespec t[2] = {{1500000000, 0}, {1500000000, 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, (src + "IMG_0001.JPG").c_str(), t, 0), 0);
        const std::string source = src + "IMG_0001.JPG";
        Crochet crochet([&](EtapeCopie e, int fd) {
            if (c.action && e == c.etape)
                c.action(source, fd);
        });
        DossierOuvert de(src), vers1(local.path()), vers2(autre);
        std::vector<char> tampon;
        arretDemande = false;
        OptionsCopie options;
        options.arret = &arretDemande;
        // Progress comes block by block, never backwards, within the work announced.
        std::vector<std::int64_t> avances;
        std::int64_t annonce = 0;
        options.avancement = [&](std::size_t entree, std::int64_t fait, std::int64_t total) {
            EXPECT_EQ(entree, 0u);
            EXPECT_TRUE(avances.empty() || fait >= avances.back());
            avances.push_back(fait);
            annonce = total;
        };
        const ResultatCopie r =
            copierVerifie(de.fd(), "IMG_0001.JPG",
                          {{vers1.fd(), "IMG_0001.JPG"}, {vers2.fd(), "X.JPG"}}, tampon, options);
        ASSERT_EQ(r.destinations.size(), 2u);
        if (c.attendue == CauseCopie::Aucune && c.taille > 0) {
            // 3 MiB: three blocks read and written, then three read back from each copy.
            EXPECT_EQ(annonce, std::int64_t(c.taille) * 3);
            EXPECT_EQ(avances.size(), 9u);
            EXPECT_EQ(avances.back(), annonce);
        }
        for (const std::string& copie : {local.path() + "IMG_0001.JPG", autre + "X.JPG"}) {
            SCOPED_TRACE(copie);
            // Whatever happened, no temporary file is left in the folder.
            const std::string dossier = copie.substr(0, copie.rfind('/') + 1);
            EXPECT_EQ(noms(dossier).size(), c.attendue == CauseCopie::Aucune ? 1u : 0u);
            if (c.attendue != CauseCopie::Aucune)
                continue;
            EXPECT_EQ(readFile(copie), contenu);
            struct stat st;
            ASSERT_EQ(::stat(copie.c_str(), &st), 0);
            EXPECT_EQ(st.st_mtim.tv_sec, 1500000000);
        }
        const CauseCopie obtenue =
            c.attendue == CauseCopie::SourceModifiee || c.attendue == CauseCopie::Interrompue
                ? r.causeSource
                : (r.destinations[0].cause == r.destinations[1].cause
                       ? r.destinations[0].cause
                       : CauseCopie::EcritureEchouee);
        EXPECT_EQ(int(obtenue), int(c.attendue));
        EXPECT_EQ(r.toutesCopiees(), c.attendue == CauseCopie::Aucune);
        if (c.attendue == CauseCopie::Aucune) {
            const XXH128_hash_t h = XXH3_128bits(contenu.data(), contenu.size());
            EXPECT_EQ(r.empreinte, (Empreinte{h.high64, h.low64}));
            // Just before a delete: the same content passes, one rewritten with its dates
            // put back does not.
            EXPECT_TRUE(contenuInchange(de.fd(), "IMG_0001.JPG", r.taille, r.empreinte, tampon));
            if (c.taille > 0) {
                reecrireEnPlace(source);
                EXPECT_FALSE(
                    contenuInchange(de.fd(), "IMG_0001.JPG", r.taille, r.empreinte, tampon));
            }
        }
        std::filesystem::remove_all(src);
        std::filesystem::remove_all(autre);
    }
}

// What it refuses before any byte is written: an existing name is left as it is, and a
// pipe named like a photo is told as such at once, without waiting for a writer.
TEST_P(CopieVerifieeTest, RefusesExistingNamesAndPipes) {
    DossierCarte carte(GetParam());
    if (!carte.ok())
        GTEST_SKIP() << "skipped: " << carte.raison();
    TempDir local;
    const std::string racine = carte.racine();
    ecrire(racine + "A.JPG", "new");
    ecrire(local.path() + "A.JPG", "old");
    ASSERT_EQ(::mkfifo((local.path() + "TUBE.JPG").c_str(), 0600), 0);
    DossierOuvert sur(racine), loc(local.path());
    std::vector<char> tampon;
    ResultatCopie r = copierVerifie(sur.fd(), "A.JPG", {{loc.fd(), "A.JPG"}}, tampon);
    EXPECT_EQ(int(r.destinations[0].cause), int(CauseCopie::CibleExiste));
    EXPECT_EQ(readFile(local.path() + "A.JPG"), "old");
    r = copierVerifie(loc.fd(), "TUBE.JPG", {{sur.fd(), "TUBE.JPG"}}, tampon);
    EXPECT_EQ(int(r.causeSource), int(CauseCopie::PasUnFichier));
    EXPECT_EQ(noms(racine), std::vector<std::string>{"A.JPG"});
}

INSTANTIATE_TEST_SUITE_P(Lieux, CopieVerifieeTest,
                         ::testing::Values(Lieu::Local, Lieu::Fat32, Lieu::ExFat),
                         [](const auto& i) { return nomLieu(i.param); });
