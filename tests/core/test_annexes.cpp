// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/annexes.h"

#include <gtest/gtest.h>

#include <map>

using namespace varlime;

namespace {

TEST(Annexes, TableRowsAsListed) {
    std::string rows;
    for (const GenreAnnexe& g : kGenresAnnexes)
        rows += std::string(g.suffixe) + (g.forme == FormeAnnexe::Base ? ":base " : ":nom ");
    EXPECT_EQ(rows, "xmp:base xmp:nom pp3:nom pp2:nom dop:nom dxo:base dxo:nom arp:base arp:nom "
                    "on1:base on1:nom ");
}

// Each sidecar of a folder and the photo it goes with; files that are no sidecar of a
// photo there are left out.
struct CasRattachement {
    const char* nom;
    std::vector<std::string> fichiers;
    std::map<std::string, std::string> attendu;
};

TEST(Annexes, EachSidecarFindsItsPhoto) {
    const CasRattachement cas[] = {
        {"base and whole-name forms",
         {"IMG_0001.CR3", "IMG_0001.xmp", "IMG_0001.CR3.xmp", "IMG_0002.jpg"},
         {{"IMG_0001.xmp", "IMG_0001.CR3"}, {"IMG_0001.CR3.xmp", "IMG_0001.CR3"}}},
        {"letter case of names and suffixes ignored",
         {"img_0001.cr2", "IMG_0001.XMP", "IMG_0001.CR2.PP3"},
         {{"IMG_0001.XMP", "img_0001.cr2"}, {"IMG_0001.CR2.PP3", "img_0001.cr2"}}},
        {"a lone base sidecar goes with the RAW, not the JPEG",
         {"IMG_1.JPG", "IMG_1.CR2", "IMG_1.xmp", "IMG_1.JPG.xmp"},
         {{"IMG_1.xmp", "IMG_1.CR2"}, {"IMG_1.JPG.xmp", "IMG_1.JPG"}}},
        {"the name fitting letter case wins over the RAW",
         {"IMG_1.jpg", "img_1.nef", "IMG_1.xmp"},
         {{"IMG_1.xmp", "IMG_1.jpg"}}},
        {"whole-name kinds never take the base form",
         {"IMG_1.CR2", "IMG_1.pp3", "IMG_1.dop", "IMG_1.on1", "IMG_1.CR2.dop"},
         {{"IMG_1.on1", "IMG_1.CR2"}, {"IMG_1.CR2.dop", "IMG_1.CR2"}}},
        {"a sidecar without its photo, or of a sidecar, or a bare suffix",
         {"lone.xmp", "a.xmp", "a.xmp.xmp", ".xmp", "notes.txt", "IMG_2.CR2.xmp"},
         {}},
        {"a dotted base", {"trip.day1.RAF", "trip.day1.xmp"}, {{"trip.day1.xmp", "trip.day1.RAF"}}},
        {"a photo without extension", {"scan", "scan.xmp"}, {{"scan.xmp", "scan"}}},
        {"names that are not UTF-8",
         {"\xe9t\xe9.CR2", "\xe9t\xe9.xmp"},
         {{"\xe9t\xe9.xmp", "\xe9t\xe9.CR2"}}},
    };
    for (const auto& c : cas) {
        const auto r = rattacherAnnexes(c.fichiers);
        ASSERT_EQ(r.size(), c.fichiers.size()) << c.nom;
        std::map<std::string, std::string> trouve;
        for (std::size_t i = 0; i < r.size(); ++i)
            if (r[i].photo != kSansPhoto)
                trouve[c.fichiers[i]] = c.fichiers[r[i].photo];
        EXPECT_EQ(trouve, c.attendu) << c.nom;
    }
}

} // namespace
