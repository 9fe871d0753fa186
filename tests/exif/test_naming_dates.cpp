// SPDX-License-Identifier: GPL-3.0-or-later
// Files are named by their own capture date wherever they keep it, and never by another
// day's: each row is a kind of file found in a public corpus of camera, phone and editor
// files, made here from the sample photos with exiftool writing the tags.
#include "container_builder.h"
#include "exif/dEXIF.h"
#include "exif/exifDates.h"
#include "exif/exifDump.h"
#include "exif_builder.h"
#include "exif_naming/composeurExif.h"
#include "exif_naming/faitsExif.h"
#include "support/fuseauUtc.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>

using namespace varlime;
using varlime::test::TempDir;

namespace {

std::string photo(const std::string& name) {
    return test::photosDir() + name;
}
std::string raw(const std::string& name) {
    return test::photosDir() + "../raw/" + name;
}

// Runs exiftool on `path` with the given arguments, rewriting the file in place.
void exiftool(const std::string& path, const std::string& args) {
    const std::string cmd = "exiftool -q -q -m -overwrite_original " + args + " '" + path + "'";
    ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
}

std::uint32_t u32(const std::string& b, std::size_t at, bool be) {
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i)
        v |= std::uint32_t(static_cast<unsigned char>(b[at + std::size_t(i)]))
             << (be ? 8 * (3 - i) : 8 * i);
    return v;
}
unsigned u16(const std::string& b, std::size_t at, bool be) {
    const unsigned a = static_cast<unsigned char>(b[at]), c = static_cast<unsigned char>(b[at + 1]);
    return be ? (a << 8) | c : (c << 8) | a;
}
void put32(std::string& b, std::size_t at, std::uint32_t v, bool be) {
    for (int i = 0; i < 4; ++i)
        b[at + std::size_t(i)] = static_cast<char>((v >> (be ? 8 * (3 - i) : 8 * i)) & 0xFF);
}

// The TIFF file at `path` rewritten as an editor writing its metadata at the end does:
// its EXIF directory and values copied past `gap` bytes of picture data, the main
// directory pointing there.
void exifAtEnd(const std::string& path, std::size_t gap) {
    std::string b = test::readFile(path);
    const bool be = b.compare(0, 2, "MM") == 0;
    const std::size_t ifd0 = u32(b, 4, be);
    std::size_t pointer = 0, exif = 0;
    for (unsigned i = 0, n = u16(b, ifd0, be); i < n; ++i)
        if (u16(b, ifd0 + 2 + 12 * i, be) == 0x8769) {
            pointer = ifd0 + 2 + 12 * i + 8;
            exif = u32(b, pointer, be);
        }
    ASSERT_NE(exif, 0u) << path;
    static const int sizes[] = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8};
    const unsigned n = u16(b, exif, be);
    std::size_t end = exif + 2 + 12 * n + 4;
    for (unsigned i = 0; i < n; ++i) {
        const std::size_t e = exif + 2 + 12 * i;
        const unsigned type = u16(b, e + 2, be);
        const std::size_t bytes = (type < 13 ? sizes[type] : 1) * std::size_t(u32(b, e + 4, be));
        if (bytes > 4)
            end = std::max<std::size_t>(end, u32(b, e + 8, be) + bytes);
    }
    std::string block = b.substr(exif, end - exif);
    const std::size_t moved = b.size() + gap;
    const std::uint32_t delta = std::uint32_t(moved - exif);
    for (unsigned i = 0; i < n; ++i) {
        const std::size_t e = 2 + 12 * i;
        const unsigned type = u16(block, e + 2, be);
        const std::size_t bytes =
            (type < 13 ? sizes[type] : 1) * std::size_t(u32(block, e + 4, be));
        if (bytes > 4)
            put32(block, e + 8, u32(block, e + 8, be) + delta, be);
    }
    // The old copy is wiped, so that only the one at the end holds the dates.
    std::fill(b.begin() + std::ptrdiff_t(exif), b.begin() + std::ptrdiff_t(end), '\0');
    put32(b, pointer, std::uint32_t(moved), be);
    b += std::string(gap, '\x55') + block;
    std::unique_ptr<FILE, int (*)(FILE*)> f(std::fopen(path.c_str(), "wb"), std::fclose);
    ASSERT_TRUE(f && std::fwrite(b.data(), 1, b.size(), f.get()) == b.size());
}

// A film without any make: a file type box and a movie header of 2005-08-11 14:03:54 UTC.
std::string filmSansMarque() {
    return test::box("ftyp", "isom" + test::be32(0) + "isom") +
           test::box("moov", test::movieHeader(3206613834u));
}

OptionsNommage options(std::vector<ItemExif> ordre) {
    OptionsNommage o;
    o.exif.actif = true;
    o.exif.sansCompteur = true;
    o.exif.ordre = std::move(ordre);
    return o;
}

struct Ligne {
    const char* quoi;
    // Makes the file in the folder and gives its path.
    std::function<std::string(const TempDir&)> fichier;
    const char* nom; // make, date and time items
    const char* date;
    DateSource source;
};

class NamingDates : public FuseauUtc {};

TEST_F(NamingDates, EachKindOfFileIsNamedByItsOwnDate) {
    const auto copie = [](const std::string& from, const std::string& to, const std::string& args) {
        return [=](const TempDir& d) {
            const std::string p = d.write(to, test::readFile(from));
            if (!args.empty())
                exiftool(p, args);
            return p;
        };
    };
    const std::string dto = "'-DateTimeOriginal=2010:05:06 07:08:09' ";
    const std::vector<Ligne> lignes = {
        {"a JPEG with DateTimeOriginal and no make",
         copie(photo("Canon_40D.jpg"), "a.jpg", "-Make="), "_20080530_155601",
         "2008:05:30 15:56:01", DateSource::DateTimeOriginal},
        {"a film without a make",
         [](const TempDir& d) { return d.write("f.mp4", filmSansMarque()); }, "_20050811_140354",
         "2005:08:11 14:03:54", DateSource::FilmHeader},
        {"a TIFF with its EXIF directory past 256,000 bytes and an IFD0 DateTime",
         [&](const TempDir& d) {
             const std::string p = d.write("t.tif", test::readFile(photo("tiff/Jobagent.tiff")));
             exiftool(p, dto + "'-ModifyDate=2013:01:02 03:04:05'");
             exifAtEnd(p, 300000);
             return p;
         },
         "_20100506_070809", "2010:05:06 07:08:09", DateSource::DateTimeOriginal},
        {"the same TIFF without an IFD0 DateTime",
         [&](const TempDir& d) {
             const std::string p = d.write("t.tif", test::readFile(photo("tiff/Jobagent.tiff")));
             exiftool(p, dto + "-ModifyDate=");
             exifAtEnd(p, 300000);
             return p;
         },
         "_20100506_070809", "2010:05:06 07:08:09", DateSource::DateTimeOriginal},
        {"a JPEG saved with a RAW extension", copie(photo("Canon_40D.jpg"), "j.nef", ""),
         "Canon_20080530_155601", "2008:05:30 15:56:01", DateSource::DateTimeOriginal},
        {"a date in the file's XMP alone",
         copie(photo("Canon_40D.jpg"), "x.jpg",
               "-EXIF:all= '-XMP-exif:DateTimeOriginal=2011:02:03 04:05:06'"),
         "_20110203_040506", "2011:02:03 04:05:06", DateSource::Xmp},
        {"a date in the XMP file beside",
         [](const TempDir& d) {
             const std::string p = d.write("s.jpg", test::readFile(photo("PaintTool_sample.jpg")));
             const std::string cmd =
                 "exiftool -q -q '-XMP-xmp:CreateDate=2012:03:04 05:06:07' '" + d.path() + "s.xmp'";
             EXPECT_EQ(std::system(cmd.c_str()), 0);
             return p;
         },
         "_20120304_050607", "2012:03:04 05:06:07", DateSource::XmpSidecar},
        {"a date in a PNG's XMP",
         [](const TempDir& d) {
             const test::Tiff t{false};
             const std::string p =
                 d.write("p.png", test::pngWithExif(t.build({{t.ascii(0x0110, "Scan")}})));
             exiftool(p, "'-XMP-photoshop:DateCreated=2014:05:06 07:08:09'");
             return p;
         },
         "_20140506_070809", "2014:05:06 07:08:09", DateSource::Xmp},
        {"a date in IPTC alone",
         copie(photo("PaintTool_sample.jpg"), "i.jpg",
               "-IPTC:DateCreated=2009:08:07 -IPTC:TimeCreated=10:11:12+02:00"),
         "_20090807_101112", "2009:08:07 10:11:12", DateSource::Iptc},
        {"a photo with EXIF and no date", copie(photo("Canon_40D.jpg"), "n.jpg", "-AllDates="),
         "NON VARLIMÉ (Pas de date)", "", DateSource::None},
        {"a film's date atom with its time zone",
         copie(raw("QuickTime.mov"), "m.mov",
               "'-UserData:DateTimeOriginal=2020:11:20 15:04:02+01:00'"),
         "PENTAX DIGITAL CAMERA_20201120_150402", "2020:11:20 15:04:02", DateSource::FilmZoned},
    };
    const OptionsNommage o = options({ItemExif::Fabricant, ItemExif::Date, ItemExif::Heure});
    for (const Ligne& l : lignes) {
        SCOPED_TRACE(l.quoi);
        TempDir d;
        const std::string chemin = l.fichier(d);
        const FaitsExif f = lireFaitsExif(chemin);
        EXPECT_EQ(f.dateHeure, l.date);
        EXPECT_EQ(f.sourceDate, l.source);
        EXPECT_EQ(Retourne_nom_exif(f, o, "x.jpg", QDate(2026, 1, 1)), l.nom);
    }
}

// The dump of a TIFF whose EXIF directory lies past its first 256,000 bytes lists that
// directory; the naming read takes the bytes of the directory, not the whole file.
TEST(NamingDatesTiff, FarExifDirectoryIsDumpedAndReadAlone) {
    TempDir d;
    const std::string p = d.write("t.tif", test::readFile(photo("tiff/Jobagent.tiff")));
    exiftool(p, "'-DateTimeOriginal=2010:05:06 07:08:09' '-ModifyDate=2013:01:02 03:04:05'");
    exifAtEnd(p, 2000000);
    TimgData dump;
    const std::vector<std::string> lignes = DumpExifFile(dump, p);
    EXPECT_NE(std::find_if(lignes.begin(), lignes.end(),
                           [](const std::string& l) {
                               return l.find("2010:05:06 07:08:09") != std::string::npos;
                           }),
              lignes.end());
    TimgData nommage;
    nommage.NamingFactsOnly = true;
    nommage.ReadImageFile(p);
    EXPECT_EQ(nommage.DateForNaming.text, "2010:05:06 07:08:09");
    EXPECT_LT(nommage.TotalBytesRead, 400000u);
}

// An undated file keeps its name whenever the date or the time is part of it, and is named
// from its other items otherwise; a file whose chosen items all come out empty keeps its
// name too.
TEST(NamingDatesMarkers, TheMarkerSaysWhatIsMissing) {
    FaitsExif sansDate;
    sansDate.exif = true;
    sansDate.fabricant = "Canon";
    FaitsExif sansMarque = sansDate;
    sansMarque.fabricant.clear();
    struct Cas {
        const FaitsExif* faits;
        std::vector<ItemExif> ordre;
        const char* nom;
    };
    for (const Cas& c : std::vector<Cas>{
             {&sansDate, {ItemExif::Fabricant, ItemExif::Date}, "NON VARLIMÉ (Pas de date)"},
             {&sansDate, {ItemExif::Heure}, "NON VARLIMÉ (Pas de date)"},
             {&sansDate, {ItemExif::Fabricant, ItemExif::Modele}, "Canon_"},
             {&sansMarque,
              {ItemExif::Fabricant, ItemExif::Modele},
              "NON VARLIMÉ (Pas d'en-tête Exif)"},
             {&sansMarque, {ItemExif::ZoneLibre}, ""},
         }) {
        EXPECT_EQ(Retourne_nom_exif(*c.faits, options(c.ordre), "x.jpg", QDate(2026, 1, 1)), c.nom);
    }
}

// The 35 mm equivalent focal length agrees with exiftool's within 2 % on every sample where
// exiftool gives one, resized copies included, and is never given off by a factor. (An
// RW2 keeps its own in the JPEG it embeds, which is not read: its item stays empty.)
TEST(NamingDatesFocal, Focal35AgreesWithExiftool) {
    int compares = 0;
    for (const std::string& p :
         {photo("Canon_40D.jpg"), photo("Canon_DIGITAL_IXUS_400.jpg"), photo("DSCN0010.jpg"),
          photo("Konica_Minolta_DiMAGE_Z3.jpg"), photo("Nikon_D70.jpg"), photo("sanyo-vpcg250.jpg"),
          photo("Fujifilm_FinePix_E500.jpg"), photo("Olympus_C8080WZ.jpg"), raw("CanonRaw.cr2"),
          raw("DNG.dng"), raw("FujiFilm.raf"), raw("CanonRaw.cr3")}) {
        SCOPED_TRACE(p);
        const std::string cmd = "exiftool -n -s3 -FocalLength35efl '" + p + "' 2>/dev/null";
        std::unique_ptr<FILE, int (*)(FILE*)> out(::popen(cmd.c_str(), "r"), ::pclose);
        ASSERT_TRUE(out);
        char line[256] = {};
        const bool lu = std::fgets(line, sizeof line, out.get()) != nullptr;
        const FaitsExif f = lireFaitsExif(p);
        const double exiftool = lu ? std::atof(line) : 0;
        // exiftool gives the focal length itself when it knows no sensor size.
        if (!lu || !f.focale || std::abs(exiftool - *f.focale) < 0.05) {
            if (f.focale35 && f.focale) {
                EXPECT_LT(*f.focale35 / *f.focale, 8) << "a factor no camera has";
            }
            continue;
        }
        ++compares;
        ASSERT_TRUE(f.focale35);
        EXPECT_NEAR(*f.focale35, exiftool, exiftool * 0.02);
    }
    EXPECT_GE(compares, 6);
}

} // namespace

// The quick scan of XMP packets gives the XML parser's answer on every packet, the plain
// ones it reads itself and the unusual ones it leaves to the parser.
TEST(NamingDatesXmp, QuickScanAgreesWithTheParser) {
    const std::string x = "xmlns:x='adobe:ns:meta/'",
                      rdf = "xmlns:rdf='http://www.w3.org/1999/02/22-rdf-syntax-ns#'",
                      xmp = "xmlns:xmp='http://ns.adobe.com/xap/1.0/'",
                      ex = "xmlns:exif='http://ns.adobe.com/exif/1.0/'";
    auto packet = [&](const std::string& description) {
        return "<?xpacket begin='' id='W5M0MpCehiHzreSzNTczkc9d'?><x:xmpmeta " + x + "><rdf:RDF " +
               rdf + ">" + description + "</rdf:RDF></x:xmpmeta><?xpacket end='w'?>";
    };
    struct Cas {
        const char* quoi;
        std::string packet;
        const char* date; // "" for none
    };
    const std::vector<Cas> cas = {
        {"attribute",
         packet("<rdf:Description " + xmp + " xmp:CreateDate='2013-09-23T10:09:46+02:00'/>"),
         "2013:09:23 10:09:46"},
        {"element",
         packet("<rdf:Description " + xmp +
                ">\n <xmp:CreateDate> 2005-12-17T22:03:32Z\n "
                "</xmp:CreateDate></rdf:Description>"),
         "2005:12:17 22:03:32"},
        {"default namespace",
         packet("<rdf:Description><CreateDate xmlns='http://ns.adobe.com/xap/1.0/'>"
                "2001-02-03</CreateDate></rdf:Description>"),
         "2001:02:03 00:00:00"},
        {"the best name wins over an earlier one",
         packet("<rdf:Description " + xmp + " " + ex +
                " xmp:CreateDate='2001-01-01' exif:DateTimeOriginal='2002-02-02T02:02'/>"),
         "2002:02:02 02:02:00"},
        {"a prefix bound elsewhere",
         packet("<rdf:Description xmlns:xmp='urn:other' "
                "xmp:CreateDate='2001-01-01'/>"),
         ""},
        {"a prefix bound in a closed sibling only",
         packet("<rdf:Description " + xmp + "/><rdf:Description xmp:CreateDate='2001-01-01'/>"),
         ""},
        {"a prefix bound again inside",
         packet("<rdf:Description " + xmp +
                "><rdf:Bag xmlns:xmp='urn:other'><xmp:CreateDate>2001-"
                "01-01</xmp:CreateDate></rdf:Bag><xmp:CreateDate>2003-"
                "03-03</xmp:CreateDate></rdf:Description>"),
         "2003:03:03 00:00:00"},
        {"a comment holding the name",
         packet("<!-- xmp:CreateDate='2001-01-01' --><rdf:Description " + xmp +
                " xmp:CreateDate='2004-04-04'/>"),
         "2004:04:04 00:00:00"},
        {"a text holding the name",
         packet("<rdf:Description " + xmp +
                "><xmp:Label>xmp:CreateDate='2001-01-01'</xmp:Label>"
                "<xmp:CreateDate>2004-05-06</xmp:CreateDate></rdf:Description>"),
         "2004:05:06 00:00:00"},
        {"an attribute value holding the name",
         packet("<rdf:Description " + xmp + " xmp:Label=\" xmp:CreateDate='2001-01-01'\"/>"), ""},
        {"a structure where the date is",
         packet("<rdf:Description " + xmp +
                "><xmp:CreateDate><rdf:Seq><rdf:li>2001-01-01</rdf:li>"
                "</rdf:Seq></xmp:CreateDate></rdf:Description>"),
         ""},
        {"a first value that is no date",
         packet("<rdf:Description " + xmp + " xmp:CreateDate='soon'/><rdf:Description " + xmp +
                " xmp:CreateDate='2007-07-07'/>"),
         "2007:07:07 00:00:00"},
        {"an entity in the value",
         packet("<rdf:Description " + xmp +
                "><xmp:CreateDate>&#50;008-08-08</xmp:CreateDate>"
                "</rdf:Description>"),
         "2008:08:08 00:00:00"},
        {"CDATA",
         packet("<rdf:Description " + xmp +
                "><xmp:CreateDate><![CDATA[2009-09-09]]></xmp:CreateDate></rdf:Description>"),
         "2009:09:09 00:00:00"},
        {"an undeclared prefix before the date",
         packet("<rdf:Description " + xmp +
                "><foo:bar/><xmp:CreateDate>2001-01-01</xmp:CreateDate>"
                "</rdf:Description>"),
         ""},
        {"a wrong end tag after the date",
         packet("<rdf:Description " + xmp +
                "><xmp:CreateDate>2001-01-01</xmp:Other>"
                "</rdf:Description>"),
         "2001:01:01 00:00:00"},
        {"a second root", packet("") + "<rdf:Description " + xmp + " xmp:CreateDate='2001-01-01'/>",
         ""},
        {"a cut packet",
         packet("<rdf:Description " + xmp + " xmp:CreateDate='2001-01-01").substr(0, 170), ""},
    };
    for (const Cas& c : cas) {
        SCOPED_TRACE(c.quoi);
        EXPECT_EQ(xmpDate(c.packet).value_or(""), c.date);
        EXPECT_EQ(xmpDate(c.packet), xmpDateByParser(c.packet));
    }
    // The packets of the sample photos.
    for (const char* name : {"no_exif.jpg", "long_description.jpg", "PaintTool_sample.jpg"}) {
        SCOPED_TRACE(name);
        const std::string b = test::readFile(photo(name));
        const auto begin = b.find("<x:xmpmeta"), end = b.find("</x:xmpmeta>");
        if (begin == std::string::npos)
            continue;
        const std::string p = b.substr(begin, end + 12 - begin);
        EXPECT_TRUE(xmpDateByParser(p).has_value());
        EXPECT_EQ(xmpDate(p), xmpDateByParser(p));
    }
}
