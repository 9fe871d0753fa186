// SPDX-License-Identifier: GPL-3.0-or-later
// Sidecars in a rename run: listed with their photo only, renamed, checked by the test
// before renaming, journaled and undone with it.
#include "core/renameEngine.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

using namespace varlime;
using varlime::test::TempDir;

namespace {

struct CasAnnexes {
    const char* nom;
    std::vector<std::string> fichiers;                       // each holds its own name
    std::vector<std::pair<std::string, std::string>> autres; // name, bytes
    const char* masque;
    std::vector<std::string> apercu; // "old > new", then " + old > new" for each sidecar
    std::vector<std::string> rapport;
    int renommes, erreurs;
    std::vector<std::string> apres; // "name=bytes" after the run, by name
};

std::vector<std::string> contenu(const TempDir& dir) {
    std::vector<std::string> out;
    for (const std::string& n : dir.names())
        out.push_back(n + "=" + dir.read(n));
    return out;
}

TEST(AnnexesRenommage, SidecarsGoWithTheirPhotoAndComeBackWithIt) {
    const std::vector<std::string> tout = {"IMG_0001.CR3", "IMG_0001.CR3.xmp", "IMG_0001.xmp",
                                           "IMG_0002.JPG", "IMG_0002.JPG.pp3", "lone.xmp"};
    const std::string sansErreur = "*** Aucune erreur à signaler ***";
    const CasAnnexes cas[] = {
        {"sidecars/renamed with their photo",
         tout,
         {},
         "*.*",
         {"IMG_0001.CR3 > X_001.CR3 + IMG_0001.CR3.xmp > X_001.CR3.xmp + IMG_0001.xmp > X_001.xmp",
          "IMG_0002.JPG > X_002.JPG + IMG_0002.JPG.pp3 > X_002.JPG.pp3", "lone.xmp > X_003.xmp"},
         {sansErreur},
         6,
         0,
         {"X_001.CR3=IMG_0001.CR3", "X_001.CR3.xmp=IMG_0001.CR3.xmp", "X_001.xmp=IMG_0001.xmp",
          "X_002.JPG=IMG_0002.JPG", "X_002.JPG.pp3=IMG_0002.JPG.pp3", "X_003.xmp=lone.xmp"}},
        {"sidecars/follow when the mask leaves them out",
         tout,
         {},
         "*.cr3",
         {"IMG_0001.CR3 > X_001.CR3 + IMG_0001.CR3.xmp > X_001.CR3.xmp + IMG_0001.xmp > X_001.xmp"},
         {sansErreur},
         3,
         0,
         {"IMG_0002.JPG=IMG_0002.JPG", "IMG_0002.JPG.pp3=IMG_0002.JPG.pp3",
          "X_001.CR3=IMG_0001.CR3", "X_001.CR3.xmp=IMG_0001.CR3.xmp", "X_001.xmp=IMG_0001.xmp",
          "lone.xmp=lone.xmp"}},
        {"sidecars/never listed apart from a photo in the folder",
         tout,
         {},
         "*.xmp",
         {"lone.xmp > X_001.xmp"},
         {sansErreur},
         1,
         0,
         {"IMG_0001.CR3=IMG_0001.CR3", "IMG_0001.CR3.xmp=IMG_0001.CR3.xmp",
          "IMG_0001.xmp=IMG_0001.xmp", "IMG_0002.JPG=IMG_0002.JPG",
          "IMG_0002.JPG.pp3=IMG_0002.JPG.pp3", "X_001.xmp=lone.xmp"}},
        {"sidecars/a taken sidecar name is reported and keeps the photo as it is",
         {"IMG_0001.CR3", "IMG_0001.xmp"},
         {{"X_001.xmp", "other"}},
         "*.CR3",
         {"IMG_0001.CR3 > X_001.CR3 + IMG_0001.xmp > X_001.xmp"},
         {"Le fichier IMG_0001.xmp doit être varlimé en X_001.xmp", "ce fichier existe déjà,",
          "modifiez la cible (X_001.xmp) pour IMG_0001.xmp",
          "le fichier IMG_0001.CR3, qu'il accompagne, ne sera donc pas varlimé non plus", ""},
         0,
         1,
         {"IMG_0001.CR3=IMG_0001.CR3", "IMG_0001.xmp=IMG_0001.xmp", "X_001.xmp=other"}},
        {"sidecars/stay with a photo whose rename fails",
         {"IMG_0001.CR3", "IMG_0001.xmp"},
         {{"X_001.CR3", "other"}},
         "IMG*",
         {"IMG_0001.CR3 > X_001.CR3 + IMG_0001.xmp > X_001.xmp"},
         {"Le fichier IMG_0001.CR3 doit être varlimé en X_001.CR3", "ce fichier existe déjà,",
          "modifiez la cible (X_001.CR3) pour IMG_0001.CR3", ""},
         0,
         1,
         {"IMG_0001.CR3=IMG_0001.CR3", "IMG_0001.xmp=IMG_0001.xmp", "X_001.CR3=other"}},
    };
    for (const auto& c : cas) {
        TempDir dir, etat;
        for (const std::string& n : c.fichiers)
            dir.write(n, n);
        for (const auto& [n, octets] : c.autres)
            dir.write(n, octets);
        const std::vector<std::string> avant = contenu(dir);
        MoteurNommage moteur;
        moteur.journaux = etat.path();
        moteur.options.prefixe = "X_";
        moteur.options.masqueRecherche = c.masque;
        ASSERT_TRUE(moteur.lister(dir.path())) << c.nom;
        moteur.calculer();
        std::vector<std::string> apercu;
        for (const FileRow& r : moteur.lignes()) {
            std::string l = r.ancien + " > " + r.nouveau;
            for (const auto& [ancien, nouveau] : annexesARenommer(r))
                l += " + " + ancien + " > " + nouveau;
            apercu.push_back(l);
        }
        EXPECT_EQ(apercu, c.apercu) << c.nom;
        EXPECT_EQ(moteur.tester(defaultMessages()).lignes, c.rapport) << c.nom;

        const BilanRenommage b = moteur.renommer();
        EXPECT_EQ(b.renommes, c.renommes) << c.nom;
        EXPECT_EQ(b.erreurs, c.erreurs) << c.nom;
        EXPECT_EQ(contenu(dir), c.apres) << c.nom;

        // The undo gives every file its old name back, sidecars included.
        const auto plan = planAnnulation(moteur.dossier(), etat.path());
        ASSERT_TRUE(plan) << c.nom;
        const BilanRenommage u = annuler(moteur.dossier(), *plan, etat.path());
        EXPECT_EQ(u.renommes, c.renommes) << c.nom;
        EXPECT_EQ(contenu(dir), avant) << c.nom;
    }
}

} // namespace
