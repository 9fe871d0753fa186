// SPDX-License-Identifier: GPL-3.0-or-later
// A photo's sidecars are copied and moved with it, right after it, even from a camera
// folder that takes only pictures and films.
#include "support/test_support.h"
#include "transfer/transfert.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>

using namespace varlime;
using namespace varlime::test;

namespace {

std::vector<std::string> nomsDans(const std::string& dossier) {
    std::vector<std::string> out;
    for (const auto& e : std::filesystem::directory_iterator(dossier))
        out.push_back(e.path().filename().string());
    std::sort(out.begin(), out.end());
    return out;
}

struct CasAnnexes {
    const char* nom;
    std::string dossierSource; // under the temporary folder
    std::vector<std::string> fichiers;
    bool deplacement;
    int interrompreA; // stop asked after this many copies (-1: never)
    int copies;
    std::vector<std::string> cible;
    std::vector<std::string> resteSource;
};

TEST(AnnexesTransfert, SidecarsTravelWithTheirPhoto) {
    const std::vector<std::string> carte = {"IMG_0001.CR2",     "IMG_0001.xmp", "IMG_0001.CR2.dop",
                                            "IMG_0002.JPG",     "notes.txt",    "lone.xmp",
                                            "IMG_0003.CR2.xmp", "IMG_0003.CR2"};
    const CasAnnexes cas[] = {
        {"camera folder/move",
         "DCIM/100CANON",
         carte,
         true,
         -1,
         6,
         {"IMG_0001.CR2", "IMG_0001.CR2.dop", "IMG_0001.xmp", "IMG_0002.JPG", "IMG_0003.CR2",
          "IMG_0003.CR2.xmp"},
         {"lone.xmp", "notes.txt"}},
        {"camera folder/a stop after the photo still takes its sidecars",
         "DCIM/100CANON",
         {"IMG_0001.CR2", "IMG_0001.xmp", "IMG_0001.CR2.dop"},
         false,
         1,
         3,
         {"IMG_0001.CR2", "IMG_0001.CR2.dop", "IMG_0001.xmp"},
         {"IMG_0001.CR2", "IMG_0001.CR2.dop", "IMG_0001.xmp"}},
        {"plain folder/each file once",
         "photos",
         {"IMG_0001.CR2", "IMG_0001.xmp", "lone.xmp", "notes.txt"},
         true,
         -1,
         4,
         {"IMG_0001.CR2", "IMG_0001.xmp", "lone.xmp", "notes.txt"},
         {}},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.nom);
        TempDir d;
        for (const std::string& f : c.fichiers)
            d.write(c.dossierSource + "/" + f, f);
        d.write("dst/.keep");
        const std::string source = d.path() + c.dossierSource;
        const bool carteApn = c.dossierSource.starts_with("DCIM");
        TransfertPhotos run(d.path() + (carteApn ? "DCIM" : "photos"), d.path() + "dst",
                            c.deplacement);
        int copies = 0;
        EXPECT_EQ(run.copierFichiers([&](int n) {
            copies = n;
            if (n == c.interrompreA)
                run.interrompre();
        }),
                  0);
        EXPECT_EQ(copies, c.copies);
        if (c.deplacement) {
            EXPECT_EQ(run.effacerFichiers(nullptr), 0);
        }
        std::vector<std::string> cible = nomsDans(d.path() + "dst");
        cible.erase(std::find(cible.begin(), cible.end(), ".keep"));
        EXPECT_EQ(cible, c.cible);
        for (const std::string& n : cible)
            EXPECT_EQ(readFile(d.path() + "dst/" + n), n);
        std::vector<std::string> reste = c.resteSource;
        std::sort(reste.begin(), reste.end());
        EXPECT_EQ(nomsDans(source), reste);
    }
}

} // namespace
