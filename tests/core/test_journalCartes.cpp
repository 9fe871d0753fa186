// SPDX-License-Identifier: GPL-3.0-or-later
// Rename runs undone on camera cards, FAT32 and exFAT images mounted through FUSE: such
// cards renumber their inodes at each mount and keep no birth time, so a run is known by
// the card's serial and the folder's place on it, and each file by its content.
#include "core/renameEngine.h"
#include "support/test_imageCarte.h"
#include "support/test_support.h"

#include <algorithm>
#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace varlime;
using namespace varlime::test;

namespace {

constexpr std::uint32_t kSerie = 0x1234ABCD;

enum class Cas { EjecteeRemise, AutreCarte, MemeSerieAutresPhotos, CasseSeule };

void ecrire(const std::string& chemin, const std::string& contenu) {
    std::FILE* f = std::fopen(chemin.c_str(), "wb");
    ASSERT_TRUE(f) << chemin;
    std::fwrite(contenu.data(), 1, contenu.size(), f);
    std::fclose(f);
}

std::vector<std::string> noms(const std::string& dossier) {
    std::vector<std::string> out;
    if (DIR* d = ::opendir(dossier.c_str())) {
        while (dirent* e = ::readdir(d))
            if (e->d_name[0] != '.')
                out.emplace_back(e->d_name);
        ::closedir(d);
    }
    std::sort(out.begin(), out.end());
    return out;
}

// A photo's bytes: its number, and enough to pass the hashed head.
std::string photo(const std::string& qui, int n) {
    return qui + std::to_string(n) + std::string(70000, char('a' + n));
}

class JournalCarte : public ::testing::TestWithParam<SystemeCarte> {};

TEST_P(JournalCarte, RunUndoneOnlyOnItsCard) {
    const struct {
        const char* nom;
        Cas cas;
    } cases[] = {
        {"ejected and inserted again", Cas::EjecteeRemise},
        {"another card, same folder", Cas::AutreCarte},
        {"a card with the same serial, other photos", Cas::MemeSerieAutresPhotos},
        {"case-only renames", Cas::CasseSeule},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.nom);
        TempDir state;
        ImageCarte carte(GetParam(), 64, kSerie);
        if (!carte.ok())
            GTEST_SKIP() << "skipped: " << carte.reason();
        const std::string dossier = carte.racine() + "DCIM/";
        ASSERT_EQ(::mkdir(dossier.c_str(), 0755), 0);
        const bool casse = c.cas == Cas::CasseSeule;
        std::vector<std::string> avant, apres;
        std::vector<FileRow> rows;
        for (int n = 1; n <= 3; ++n) {
            FileRow r;
            r.ancien =
                (casse ? "img_000" : "IMG_000") + std::to_string(n) + (casse ? ".jpg" : ".JPG");
            r.nouveau = (casse ? "IMG_000" : "X_00") + std::to_string(n) + ".JPG";
            ecrire(dossier + r.ancien, photo("card ", n));
            avant.push_back(r.ancien);
            apres.push_back(r.nouveau);
            rows.push_back(r);
        }
        {
            DossierListe d;
            ASSERT_TRUE(d.ouvrir(dossier));
            const BilanRenommage b = renommerLignes(d, rows, state.path());
            if (casse)
                EXPECT_EQ(journaux(state.path()).front().lignes.size(), 6u);
            EXPECT_EQ(b.renommes, 3);
            EXPECT_EQ(b.erreurs, 0);
            EXPECT_EQ(noms(dossier), apres);
        }
        std::unique_ptr<ImageCarte> autre;
        std::string ici = dossier;
        std::vector<std::string> attendus = avant;
        int retours = 3;
        switch (c.cas) {
        case Cas::EjecteeRemise:
        case Cas::CasseSeule:
            ASSERT_TRUE(carte.remonter()) << carte.reason();
            break;
        case Cas::AutreCarte:
        case Cas::MemeSerieAutresPhotos: {
            ASSERT_TRUE(carte.demonter()) << carte.reason();
            autre = std::make_unique<ImageCarte>(GetParam(), 64,
                                                 c.cas == Cas::AutreCarte ? 0x5678CDEFu : kSerie);
            ASSERT_TRUE(autre->ok()) << autre->reason();
            ici = autre->racine() + "DCIM/";
            ASSERT_EQ(::mkdir(ici.c_str(), 0755), 0);
            for (int n = 1; n <= 3; ++n)
                ecrire(ici + apres[std::size_t(n - 1)], photo("other ", n));
            attendus = apres;
            retours = 0;
            break;
        }
        }
        DossierListe d;
        ASSERT_TRUE(d.ouvrir(ici));
        const auto historique = journauxDuDossier(state.path(), identiteDossier(d.fd()));
        EXPECT_EQ(historique.size(), c.cas == Cas::AutreCarte ? 0u : 1u);
        const auto plan = planAnnulation(d, state.path());
        if (c.cas == Cas::AutreCarte) {
            EXPECT_FALSE(plan);
        } else {
            ASSERT_TRUE(plan);
            // A change of case goes back in two steps, through a temporary name.
            EXPECT_EQ(int(plan->retours.size()), casse ? 2 * retours : retours);
            const BilanRenommage b = annuler(d, *plan, state.path());
            EXPECT_EQ(b.renommes, retours);
            EXPECT_EQ(b.erreurs, 3 - retours);
        }
        EXPECT_EQ(noms(ici), attendus);
        if (c.cas == Cas::EjecteeRemise || c.cas == Cas::CasseSeule)
            EXPECT_EQ(readFile(ici + avant[0]), photo("card ", 1));
    }
}

INSTANTIATE_TEST_SUITE_P(Cartes, JournalCarte,
                         ::testing::Values(SystemeCarte::Fat32, SystemeCarte::ExFat),
                         [](const auto& i) { return std::string(nomSysteme(i.param)); });

} // namespace
