// SPDX-License-Identifier: GPL-3.0-or-later
// Photos and films of every container name themselves from their make, model and date,
// and those values agree with exiftool's for the same files; damaged containers get the
// marker and a dump that says what was wrong.
#include "container_builder.h"
#include "exif/dEXIF.h"
#include "exif/exifDump.h"
#include "exif_builder.h"
#include "exif_naming/composeurExif.h"
#include "support/test_support.h"

#include "support/fuseauUtc.h"
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <map>
#include <memory>
#include <unistd.h>

using namespace varlime;
using varlime::test::TempDir;

namespace {

std::string rawDir() {
    return test::photosDir() + "../raw/";
}

// A little-endian TIFF with make, model, orientation 6 and an EXIF directory holding
// the date, an f-number and an exposure time.
std::string cameraTiff(const std::string& make, const std::string& model, const std::string& date) {
    const test::Tiff t{false};
    return t.build(
        {{t.ascii(0x010F, make), t.ascii(0x0110, model), t.shortE(0x0112, {6}), t.sub(0x8769, 1)},
         {t.ratE(0x829A, 1, 250), t.ratE(0x829D, 28, 10), t.ascii(0x9003, date)}});
}

// exiftool's value of each tag asked for, by tag name (missing tags are absent).
std::map<std::string, std::string> exiftool(const std::string& path,
                                            const std::vector<std::string>& tags) {
    std::string cmd = "exiftool -s -m";
    for (const auto& t : tags)
        cmd += " -" + t;
    cmd += " '" + path + "' 2>/dev/null";
    std::map<std::string, std::string> out;
    std::unique_ptr<FILE, int (*)(FILE*)> p(::popen(cmd.c_str(), "r"), ::pclose);
    if (!p)
        return out;
    char line[1024];
    while (std::fgets(line, sizeof line, p.get())) {
        std::string l(line);
        while (!l.empty() && (l.back() == '\n' || l.back() == '\r'))
            l.pop_back();
        const auto colon = l.find(" : ");
        if (colon == std::string::npos)
            continue;
        std::string name = l.substr(0, colon);
        while (!name.empty() && name.back() == ' ')
            name.pop_back();
        out[name] = l.substr(colon + 3);
    }
    return out;
}

FaitsExif faitsDe(TimgData& reader, const std::string& path) {
    const bool lu = reader.ReadImageFile(path);
    return faitsDepuisLecteur(lu && reader.HasExifBlock(), reader.ExifInfo.get());
}

OptionsNommage optionsNom() {
    OptionsNommage o;
    o.exif.actif = true;
    o.exif.sansCompteur = true;
    o.exif.ordre = {ItemExif::Fabricant, ItemExif::Modele, ItemExif::Date};
    return o;
}

// The movie header time of 2005-08-11 14:03:54 UTC, in seconds since 1904.
constexpr std::uint32_t kMovieTime = 3206613834u;

struct Echantillon {
    const char* nom;     // as the file is named in the test folder
    std::string contenu; // its bytes
    const char *fabricant, *modele, *date;
    const char* nomExif; // the name EXIF naming gives it (make_model_date)
    // exiftool's tag for that date; null where Debian's exiftool cannot read the file
    // (it unpacks Brotli only with a Perl module Debian does not ship).
    const char* tagDate;
};

std::vector<Echantillon> echantillons() {
    const std::string raw = rawDir(), photos = test::photosDir();
    const std::string tiff = cameraTiff("Maker", "Model 1", "2024:05:01 18:20:33");
    const std::string orf = [&] {
        std::string s = cameraTiff("OLYMPUS", "E-M5", "2013:01:02 03:04:05");
        s.replace(0, 4, "IIRO");
        return s;
    }();
    const std::string mp4 =
        test::box("ftyp", std::string("isom\0\0\x02\0isommp41", 16)) +
        test::box("moov", test::movieHeader(kMovieTime) +
                              test::keyedMeta({{"com.apple.quicktime.make", "Apple"},
                                               {"com.apple.quicktime.model", "iPhone 15"},
                                               {"com.apple.quicktime.creationdate",
                                                "2024-05-01T18:20:33+0200"}})) +
        test::box("mdat", std::string(16, '\0'));
    auto lire = [](const std::string& p) { return test::readFile(p); };
    return {
        {"a.cr2", lire(raw + "CanonRaw.cr2"), "Canon", "Canon EOS 350D DIGITAL",
         "2005:08:03 18:59:18", "Canon_Canon EOS 350D DIGITAL_20050803", "DateTimeOriginal"},
        {"a.cr3", lire(raw + "CanonRaw.cr3"), "Canon", "Canon EOS M50", "2018:02:21 12:08:56",
         "Canon_Canon EOS M50_20180221", "DateTimeOriginal"},
        {"a.crw", lire(raw + "CanonRaw.crw"), "Canon", "Canon EOS DIGITAL REBEL",
         "2003:11:10 17:39:26", "Canon_Canon EOS DIGITAL REBEL_20031110", "DateTimeOriginal"},
        {"a.dng", lire(raw + "DNG.dng"), "Canon", "Canon EOS 350D DIGITAL", "2005:08:03 18:59:18",
         "Canon_Canon EOS 350D DIGITAL_20050803", "DateTimeOriginal"},
        {"a.raf", lire(raw + "FujiFilm.raf"), "FUJIFILM", "FinePix S5Pro", "2007:05:22 13:58:30",
         "FUJIFILM_FinePix S5Pro_20070522", "DateTimeOriginal"},
        {"a.nef", lire(raw + "Nikon.nef"), "NIKON CORPORATION", "NIKON D70", "2004:06:09 16:02:35",
         "NIKON CORPORATION_NIKON D70_20040609", "DateTimeOriginal"},
        {"a.rw2", lire(raw + "Panasonic.rw2"), "Panasonic", "DMC-LX3", "2008:08:06 15:21:56",
         "Panasonic_DMC-LX3_20080806", "DateTimeOriginal"},
        {"a.mrw", lire(raw + "Minolta.mrw"), "Konica Minolta Camera, Inc.", "DiMAGE A2",
         "2004:11:18 23:14:58", "Konica Minolta Camera, Inc._DiMAGE A2_20041118",
         "DateTimeOriginal"},
        {"a.iiq", lire(raw + "PhaseOne.iiq"), "Leaf", "Credo 40", "2013:06:19 15:44:21",
         "Leaf_Credo 40_20130619", "DateTimeOriginal"},
        {"a.heic", lire(raw + "Phone.heic"), "Apple", "iPhone 13", "2023:07:14 09:30:05",
         "Apple_iPhone 13_20230714", "DateTimeOriginal"},
        // No model in this film; its date is the movie header's, shown in local time
        // (UTC in this test).
        {"a.mov", lire(raw + "QuickTime.mov"), "PENTAX DIGITAL CAMERA", "", "2005:08:11 14:03:54",
         "PENTAX DIGITAL CAMERA__20050811", "CreateDate"},
        // The camera's date with its time zone wins over the movie header's.
        {"b.mp4", mp4, "Apple", "iPhone 15", "2024:05:01 18:20:33", "Apple_iPhone 15_20240501",
         "CreationDate"},
        {"a.png", test::pngWithExif(tiff), "Maker", "Model 1", "2024:05:01 18:20:33",
         "Maker_Model 1_20240501", "DateTimeOriginal"},
        {"a.webp", test::webpWithExif(tiff), "Maker", "Model 1", "2024:05:01 18:20:33",
         "Maker_Model 1_20240501", "DateTimeOriginal"},
        {"a.jxl", test::jxlWithExif(tiff), "Maker", "Model 1", "2024:05:01 18:20:33",
         "Maker_Model 1_20240501", "DateTimeOriginal"},
        // The same block compressed, as JPEG XL writers may keep it.
        {"b.jxl", test::jxlWithCompressedBox("Exif", test::be32(0) + tiff), "Maker", "Model 1",
         "2024:05:01 18:20:33", "Maker_Model 1_20240501", nullptr},
        {"a.orf", orf, "OLYMPUS", "E-M5", "2013:01:02 03:04:05", "OLYMPUS_E-M5_20130102",
         "DateTimeOriginal"},
        {"a.jfif", lire(photos + "Nikon_D70.jpg"), "NIKON CORPORATION", "NIKON D70",
         "2008:03:15 09:52:01", "NIKON CORPORATION_NIKON D70_20080315", "DateTimeOriginal"},
        {"noextension", lire(photos + "Canon_40D.jpg"), "Canon", "Canon EOS 40D",
         "2008:05:30 15:56:01", "Canon_Canon EOS 40D_20080530", "DateTimeOriginal"},
    };
}

class Containers : public FuseauUtc {};

TEST_F(Containers, EachNamesItselfAsExiftoolReadsIt) {
    TempDir d;
    TimgData reader;
    reader.NamingFactsOnly = true;
    const QDate today(2026, 12, 7);
    for (const Echantillon& e : echantillons()) {
        const std::string path = d.write(e.nom, e.contenu);
        const FaitsExif f = faitsDe(reader, path);
        EXPECT_TRUE(f.exif) << e.nom << ": " << reader.ErrorText;
        EXPECT_EQ(f.fabricant, e.fabricant) << e.nom;
        EXPECT_EQ(f.modele, e.modele) << e.nom;
        EXPECT_EQ(f.dateHeure, e.date) << e.nom;
        EXPECT_EQ(Retourne_nom_exif(f, optionsNom(), e.nom, today), e.nomExif) << e.nom;

        // exiftool reads the same values from the same bytes.
        if (!e.tagDate)
            continue;
        const auto tool = exiftool(path, {"Make", "Model", e.tagDate});
        ASSERT_FALSE(tool.empty()) << "exiftool gave nothing for " << e.nom;
        EXPECT_EQ(tool.count("Make") ? tool.at("Make") : "", e.fabricant) << e.nom;
        EXPECT_EQ(tool.count("Model") ? tool.at("Model") : "", e.modele) << e.nom;
        ASSERT_TRUE(tool.count(e.tagDate)) << e.nom;
        EXPECT_EQ(tool.at(e.tagDate).substr(0, 19), e.date) << e.nom;
    }
}

// A CR3 keeps its maker notes in a block of their own: they give the owner's name and
// the camera's own fields as a CR2's do, both as exiftool reads them.
TEST_F(Containers, CanonMakerNotesAsExiftoolReadsThem) {
    for (const char* file : {"CanonRaw.cr2", "CanonRaw.cr3"}) {
        const std::string path = rawDir() + file;
        const auto tool =
            exiftool(path, {"Canon:OwnerName", "CanonImageType", "CanonFirmwareVersion"});
        ASSERT_EQ(tool.size(), 3u) << "exiftool gave too little for " << file;
        TimgData reader;
        ASSERT_TRUE(reader.ReadImageFile(path)) << file << ": " << reader.ErrorText;
        const TImageInfo& info = *reader.ExifInfo;
        const struct {
            std::uint16_t tag;
            const char* exiftoolName;
        } fields[] = {
            {0x0009, "OwnerName"}, {0x0006, "CanonImageType"}, {0x0007, "CanonFirmwareVersion"}};
        for (const auto& field : fields) {
            const TTagEntry* e = info.EntryByTag(field.tag, kMakerGroup);
            ASSERT_NE(e, nullptr) << file << ": " << field.exiftoolName;
            EXPECT_EQ(e->ValueText, '"' + tool.at(field.exiftoolName) + '"')
                << file << ": " << field.exiftoolName;
        }
        // Naming reads the same owner's name.
        TimgData naming;
        naming.NamingFactsOnly = true;
        EXPECT_EQ(faitsDe(naming, path).proprietaire, tool.at("OwnerName")) << file;
        EXPECT_NE(naming.ExifInfo->MakerText.find("OwnerName = "), std::string::npos) << file;
    }
}

// The whole reader, as the dump window and --dump use it: the same listing as a JPEG's.
TEST_F(Containers, DumpListsTheirEntries) {
    TempDir d;
    TimgData reader;
    struct Cas {
        const char* fichier;
        std::vector<std::string> lignes; // lines the dump holds, in this order
    };
    const std::vector<Cas> cas = {
        {"CanonRaw.cr3",
         {"ErrStr = <none>", "Intel Byte Order", "Make = Canon", "Model = Canon EOS M50",
          "Date Time Original = 2018:02:21 12:08:56"}},
        {"Phone.heic",
         {"ErrStr = <none>", "Motorola Byte Order", "Make = Apple", "Model = iPhone 13",
          "Date Time Original = 2023:07:14 09:30:05"}},
        {"CanonRaw.crw",
         {"ErrStr = <none>", "Intel Byte Order", "Make = Canon", "Model = Canon EOS DIGITAL REBEL",
          "Date Time Original = 2003:11:10 17:39:26"}},
        {"QuickTime.heic", {"ErrStr = Not an EXIF file"}},
        {"Pentax.avi", {"ErrStr = Not an EXIF file"}},
    };
    for (const Cas& c : cas) {
        const auto lines = DumpExifFile(reader, rawDir() + c.fichier);
        auto at = lines.begin();
        for (const std::string& want : c.lignes) {
            at = std::find(at, lines.end(), want);
            EXPECT_NE(at, lines.end()) << c.fichier << ": " << want;
            if (at == lines.end())
                break;
        }
    }
}

// Every walker stops at what the file holds and says why; the photo gets the marker.
TEST_F(Containers, DamagedFilesSayWhatWasWrong) {
    const std::string tiff = cameraTiff("Maker", "Model", "2024:05:01 18:20:33");
    const std::string ftyp = test::box("ftyp", std::string("heic\0\0\0\0mif1heic", 16));
    // A meta box whose Exif item lies at `offset` for `length` bytes.
    auto heif = [&](std::uint32_t offset, std::uint32_t length) {
        const std::string infe = test::fullBox("infe", 2, test::be16(1) + test::be16(0) + "Exif");
        const std::string iinf = test::fullBox("iinf", 0, test::be16(1) + infe);
        const std::string iloc = test::fullBox("iloc", 0,
                                               std::string("\x44\x00", 2) + test::be16(1) +
                                                   test::be16(1) + test::be16(0) + test::be16(1) +
                                                   test::be32(offset) + test::be32(length));
        return ftyp + test::fullBox("meta", 0, iinf + iloc);
    };
    std::string crw = std::string("II", 2) + test::le32(26) + "HEAPCCDR" + std::string(12, '\0');
    crw += test::le32(0xFFFF) + test::le32(0); // the heap's table offset lies past its end
    std::string raf = "FUJIFILMCCD-RAW 0201FF383501" + std::string(56, '\0');
    raf += test::be32(0x7FFFFFF0) + test::be32(100); // JPEG offset past the file
    struct Cas {
        const char* nom;
        std::string octets;
        const char* erreur;
    };
    const std::vector<Cas> cas = {
        // 1,000,000 bytes announced for a moov box in a 30-byte file.
        {"size.mp4", ftyp + test::be32(1000000) + "moov", "Box size past the end of its container"},
        // A 64-bit size of 2^62: checked as the 32-bit ones are.
        {"large.mp4", ftyp + test::be32(1) + "moov" + test::be32(0x40000000) + test::be32(0),
         "Box size past the end of its container"},
        // A size of 4 cannot even hold its own header: no walk may loop on it.
        {"small.mov", ftyp + test::be32(4) + "moov", "Box size smaller than its header"},
        {"item.heic", heif(5000000, 64), "Exif item past the end of the file"},
        {"item2.heic", heif(0, 0xFFFFFFF0u), "Exif item past the end of the file"},
        {"chunk.png", std::string("\x89PNG\r\n\x1A\n", 8) + test::be32(0x7FFFFFFF) + "eXIf" + tiff,
         "Chunk past the end of the file"},
        {"chunk.webp", "RIFF" + test::le32(100) + "WEBPEXIF" + test::le32(5000) + tiff,
         "Chunk past the end of the file"},
        {"heap.crw", crw, "Heap table past the end of its heap"},
        {"jpeg.raf", raf, "Embedded JPEG past the end of the file"},
        {"block.mrw",
         std::string("\0MRM", 4) + test::be32(100) + std::string("\0TTW", 4) + test::be32(5000) +
             tiff,
         "Block past the end of the file"},
        {"box.jxl", test::box("JXL ", "\r\n\x87\n") + test::be32(9000) + "Exif" + tiff,
         "Box size past the end of its container"},
        // 8 MiB of zeros pack into a few bytes: unpacking stops at the EXIF limit (4 MiB).
        {"bomb.jxl", test::jxlWithCompressedBox("Exif", std::string(8u << 20, '\0')),
         "Compressed Exif box too large to be read"},
        // A compressed box cut in its middle.
        {"cut.jxl",
         test::box("JXL ", "\r\n\x87\n") +
             test::box("brob", "Exif" + test::brotli(test::be32(0) + tiff).substr(0, 20)),
         "Damaged compressed Exif box"},
    };
    TempDir d;
    TimgData reader;
    for (const Cas& c : cas) {
        const auto lines = DumpExifFile(reader, d.write(c.nom, c.octets));
        ASSERT_EQ(lines.size(), 3u) << c.nom;
        EXPECT_EQ(lines[2], std::string("ErrStr = ") + c.erreur) << c.nom;
        EXPECT_FALSE(faitsDe(reader, d.path() + c.nom).exif) << c.nom;
    }
}

// A film whose movie box sits after 2 GB of media data is dated with a few small reads.
TEST_F(Containers, FilmDatedWithoutReadingItsMedia) {
    TempDir d;
    const std::string path = d.path() + "long.mp4";
    const std::string head = test::box("ftyp", std::string("isom\0\0\x02\0isommp41", 16));
    const std::uint64_t mdatSize = (std::uint64_t{1} << 31) + 16;
    std::string mdat = test::be32(1) + "mdat" +
                       test::be32(static_cast<std::uint32_t>(mdatSize >> 32)) +
                       test::be32(static_cast<std::uint32_t>(mdatSize));
    const std::string moov = test::box(
        "moov",
        test::movieHeader(kMovieTime) +
            test::box("udta", test::box("\xA9mak", test::be16(5) + test::be16(0) + "Sony!")));
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::pwrite(fd, head.data(), head.size(), 0), static_cast<ssize_t>(head.size()));
    ASSERT_EQ(::pwrite(fd, mdat.data(), mdat.size(), static_cast<off_t>(head.size())),
              static_cast<ssize_t>(mdat.size()));
    const off_t moovAt = static_cast<off_t>(head.size() + mdatSize);
    ASSERT_EQ(::pwrite(fd, moov.data(), moov.size(), moovAt), static_cast<ssize_t>(moov.size()));
    ::close(fd);

    TimgData reader;
    reader.NamingFactsOnly = true;
    const FaitsExif f = faitsDe(reader, path);
    EXPECT_TRUE(f.exif) << reader.ErrorText;
    EXPECT_EQ(f.fabricant, "Sony!");
    EXPECT_EQ(f.dateHeure, "2005:08:11 14:03:54");
    // The first block read from any file (64 KiB, as a bare read loop takes) and the movie
    // box: nowhere near 2 GB.
    EXPECT_LT(reader.TotalBytesRead, 70000u);
}

// Everything typed is what the listing shows: the facts read by tag number equal the
// values read back from the text listing, for every sample.
TEST(TypedFacts, AgreeWithTheListingForEverySample) {
    std::vector<std::string> files;
    for (const char* f : {"Canon_40D.jpg", "Canon_DIGITAL_IXUS_400.jpg", "DSCN0010.jpg",
                          "Fujifilm_FinePix_E500.jpg", "Konica_Minolta_DiMAGE_Z3.jpg",
                          "Nikon_D70.jpg", "Olympus_C8080WZ.jpg", "sanyo-vpcg250.jpg",
                          "orientation/landscape_6.jpg", "orientation/landscape_8.jpg"})
        files.push_back(test::photosDir() + f);
    for (const char* f : {"CanonRaw.cr2", "CanonRaw.cr3", "DNG.dng", "FujiFilm.raf", "Nikon.nef",
                          "Panasonic.rw2", "PhaseOne.iiq", "Phone.heic"})
        files.push_back(rawDir() + f);
    TimgData reader;
    int avecOuverture = 0, avecFocale35 = 0, tournees = 0;
    for (const std::string& path : files) {
        const FaitsExif f = faitsDe(reader, path);
        ASSERT_TRUE(reader.ExifInfo) << path;
        const std::string& listing = reader.ExifInfo->ExifText;
        EXPECT_EQ(f.ouverture, Retourne_ouverture(listing)) << path;
        EXPECT_EQ(f.exposition, Retourne_exposition(listing)) << path;
        EXPECT_EQ(f.focale, Retourne_focale(listing, false)) << path;
        // The 35 mm focal length the camera recorded is the listing's; one worked out from
        // the sensor may not be, as the listing keeps its own line (test_naming_dates.cpp
        // checks those against exiftool).
        if (const TTagEntry* e = reader.ExifInfo->EntryByTag(0xA405); e && e->ValueType == 3) {
            EXPECT_EQ(f.focale35, Retourne_focale(listing, true)) << path;
        }
        EXPECT_EQ(f.orientation, Retourne_orientation(listing)) << path;
        avecOuverture += f.ouverture.has_value();
        avecFocale35 += f.focale35.has_value();
        tournees += f.orientation != 0;
    }
    // The comparison met real values, not only absent ones.
    EXPECT_GE(avecOuverture, 10);
    EXPECT_GE(avecFocale35, 5);
    EXPECT_EQ(tournees, 2);
}

// Each component of a value is read by its type, in the entry's byte order.
TEST(TypedFacts, EntriesKeepTheirTypedValues) {
    for (bool be : {false, true}) {
        const test::Tiff t{be};
        const std::string tiff =
            t.build({{t.shortE(0x0112, {8}), t.sub(0x8769, 1)},
                     {t.rats(0x829A, {{1, 250}, {1, 0}}), t.ratE(0x9201, -3, 2, 10),
                      t.ratE(0x920A, 1845, 100), t.longE(0xA002, 4000)}});
        TempDir d;
        TimgData reader;
        reader.ReadImageFile(d.write("t.tif", tiff));
        ASSERT_TRUE(reader.ExifInfo);
        const TImageInfo& info = *reader.ExifInfo;
        struct Cas {
            std::uint16_t tag;
            std::size_t composantes;
            TTagEntry::Rational premier;
            double nombre;
        };
        for (const Cas& c : std::vector<Cas>{{0x0112, 1, {8, 1}, 8},
                                             {0x829A, 2, {1, 250}, 0.004},
                                             {0x9201, 1, {-3, 2}, -1.5},
                                             {0x920A, 1, {1845, 100}, 18.45},
                                             {0xA002, 1, {4000, 1}, 4000}}) {
            const TTagEntry* e = info.EntryByTag(c.tag);
            ASSERT_NE(e, nullptr) << c.tag;
            EXPECT_EQ(e->ComponentCount(), c.composantes) << c.tag << " be=" << be;
            EXPECT_EQ(e->RationalAt().num, c.premier.num) << c.tag << " be=" << be;
            EXPECT_EQ(e->RationalAt().den, c.premier.den) << c.tag << " be=" << be;
            EXPECT_DOUBLE_EQ(e->Number(), c.nombre) << c.tag << " be=" << be;
        }
        // A zero denominator is no number, and a component past the value none at all.
        EXPECT_EQ(info.EntryByTag(0x829A)->Number(1), 0);
        EXPECT_EQ(info.EntryByTag(0x829A)->Number(2), 0);
        const FaitsExif f = faitsDepuisLecteur(true, &info);
        EXPECT_EQ(f.orientation, 270);
        EXPECT_EQ(f.largeur, 4000);
        // Two exposure values make none; the shutter speed is not the fallback then.
        EXPECT_EQ(f.exposition, std::nullopt);
    }
}

// A make of blanks, or no make at all, leaves the make item empty: the photo is named
// from its other items.
TEST(TypedFacts, MakeOfBlanksStillNames) {
    const test::Tiff t{false};
    struct Cas {
        std::string make;
        bool exif;
        const char* nom;
    };
    for (const Cas& c : std::vector<Cas>{{"   ", true, "_X1_20240501"},
                                         {" Nikon ", true, "Nikon_X1_20240501"},
                                         {"", true, "_X1_20240501"}}) {
        std::vector<test::Tiff::Entry> ifd0;
        if (!c.make.empty())
            ifd0.push_back(t.ascii(0x010F, c.make));
        ifd0.push_back(t.ascii(0x0110, "X1"));
        ifd0.push_back(t.sub(0x8769, 1));
        const std::string tiff = t.build({ifd0, {t.ascii(0x9003, "2024:05:01 18:20:33")}});
        TempDir d;
        TimgData reader;
        const FaitsExif f = faitsDe(reader, d.write("p.jpg", test::jpeg({test::exifApp1(tiff)})));
        EXPECT_EQ(f.exif, c.exif) << '"' << c.make << '"';
        EXPECT_EQ(Retourne_nom_exif(f, optionsNom(), "p.jpg", QDate(2026, 12, 7)), c.nom)
            << '"' << c.make << '"';
    }
}

} // namespace
