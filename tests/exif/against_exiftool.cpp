// SPDX-License-Identifier: GPL-3.0-or-later
// The EXIF goldens and the facts names are made from, checked against exiftool: for
// every sample that has a golden dump, each value the dump shows that exiftool also
// reports (`exiftool -j -n`, numbers unformatted) must agree with it, within what the
// dump's rounding allows. The goldens were written by this program, so without this
// check a wrong value would stay right in its own eyes.
#include "exif/dEXIF.h"
#include "exif_naming/composeurExif.h"
#include "support/test_support.h"

#include "support/fuseauUtc.h"
#include <gtest/gtest.h>

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

using namespace varlime;
namespace fs = std::filesystem;

namespace {

// What a dump line holds, and how it is compared with exiftool's value.
enum class Sorte {
    Texte,       // the same text, blanks at the ends aside
    Date,        // the same "YYYY:MM:DD HH:MM:SS" (exiftool may add a zone)
    Nombre,      // the same number, to the decimals the dump shows
    Orientation, // the dump's words for exiftool's code
    Focale35,    // a recorded 35 mm focal length ("NN.NN mm"); a worked-out one is not
};

struct Controle {
    const char* legende;           // the dump's caption
    std::vector<const char*> cles; // exiftool's group:tag, the first present is taken
    Sorte sorte;
    bool indispensable = false; // a value exiftool has must be in the dump too
};

// Where the same value lies for exiftool: EXIF directories first, then the other
// containers' own blocks (a CRW's heap, a film's header or camera block).
const std::vector<Controle>& controles() {
    static const std::vector<Controle> table = {
        {"Make", {"IFD0:Make", "CanonRaw:Make", "Pentax:Make"}, Sorte::Texte, true},
        {"Model", {"IFD0:Model", "CanonRaw:Model"}, Sorte::Texte, true},
        {"Date Time", {"IFD0:ModifyDate"}, Sorte::Date},
        {"Date Time Original",
         {"ExifIFD:DateTimeOriginal", "IFD0:DateTimeOriginal", "CanonRaw:DateTimeOriginal",
          "QuickTime:CreateDate"},
         Sorte::Date,
         true},
        {"Date Time Digitized", {"ExifIFD:CreateDate"}, Sorte::Date},
        {"Software", {"IFD0:Software"}, Sorte::Texte},
        {"Artist", {"IFD0:Artist"}, Sorte::Texte},
        {"Copyright", {"IFD0:Copyright"}, Sorte::Texte},
        {"Image Description", {"IFD0:ImageDescription"}, Sorte::Texte},
        {"Exposure Time", {"ExifIFD:ExposureTime"}, Sorte::Nombre},
        {"FNumber", {"ExifIFD:FNumber"}, Sorte::Nombre},
        {"Focal Length", {"ExifIFD:FocalLength"}, Sorte::Nombre},
        {"Focal Length in 35mm Film", {"ExifIFD:FocalLengthIn35mmFormat"}, Sorte::Focale35},
        {"ISOSpeed Ratings", {"ExifIFD:ISO"}, Sorte::Nombre},
        {"Shutter Speed Value", {"ExifIFD:ShutterSpeedValue"}, Sorte::Nombre},
        {"Exif Image Width", {"ExifIFD:ExifImageWidth"}, Sorte::Nombre},
        {"Exif Image Length", {"ExifIFD:ExifImageHeight"}, Sorte::Nombre},
        {"Image Width", {"IFD0:ImageWidth"}, Sorte::Nombre},
        {"Image Length", {"IFD0:ImageHeight"}, Sorte::Nombre},
        {"XResolution", {"IFD0:XResolution"}, Sorte::Nombre},
        {"YResolution", {"IFD0:YResolution"}, Sorte::Nombre},
        {"Orientation", {"IFD0:Orientation"}, Sorte::Orientation},
    };
    return table;
}

// The dump names four of the eight orientation codes; the mirrored ones have no words.
std::string motsOrientation(int code) {
    switch (code) {
    case 1:
        return "Normal";
    case 3:
        return "Rotated 180°";
    case 6:
        return "CounterClockwise 90°";
    case 8:
        return "Clockwise 90°";
    default:
        return "";
    }
}

std::string_view sansBlancs(std::string_view s) {
    while (!s.empty() && s.front() == ' ')
        s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ')
        s.remove_suffix(1);
    return s;
}

// A number as the dump shows it ("F7.1", "135.00 mm", "1/160 sec", "0.0060 sec (1/166)"),
// with the largest difference its rounding allows.
struct NombreLu {
    double valeur = 0;
    double marge = 0;
};
std::optional<NombreLu> nombreDuDump(std::string_view texte) {
    texte = sansBlancs(texte);
    if (texte.starts_with("F"))
        texte.remove_prefix(1);
    texte = texte.substr(0, texte.find(' '));
    if (texte.empty())
        return std::nullopt;
    const auto barre = texte.find('/');
    if (barre != std::string_view::npos) {
        double n = 0, d = 0;
        const std::string_view a = texte.substr(0, barre), b = texte.substr(barre + 1);
        if (std::from_chars(a.data(), a.data() + a.size(), n).ptr != a.data() + a.size() ||
            std::from_chars(b.data(), b.data() + b.size(), d).ptr != b.data() + b.size() || d == 0)
            return std::nullopt;
        // A fraction is exact; exiftool writes it with ten significant digits.
        return NombreLu{n / d, std::abs(n / d) * 1e-9};
    }
    double v = 0;
    if (std::from_chars(texte.data(), texte.data() + texte.size(), v).ptr !=
        texte.data() + texte.size())
        return std::nullopt;
    const auto point = texte.find('.');
    const std::size_t decimales = point == std::string_view::npos ? 0 : texte.size() - point - 1;
    return NombreLu{v, decimales == 0 ? 0.0 : 0.5 * std::pow(10.0, -double(decimales)) + 1e-12};
}

// The dump's lines of the EXIF part (before the maker notes) and of the maker notes,
// the first line of each caption.
struct Dump {
    std::map<std::string, std::string> exif, fabricant;
};
Dump lireDump(const std::string& texte) {
    Dump d;
    bool fabricant = false;
    std::size_t debut = 0;
    while (debut < texte.size()) {
        auto fin = texte.find('\n', debut);
        if (fin == std::string::npos)
            fin = texte.size();
        const std::string ligne = texte.substr(debut, fin - debut);
        debut = fin + 1;
        if (ligne.starts_with("--- "))
            fabricant = true;
        const auto egal = ligne.find(" = ");
        if (egal == std::string::npos)
            continue;
        (fabricant ? d.fabricant : d.exif).emplace(ligne.substr(0, egal), ligne.substr(egal + 3));
    }
    return d;
}

// exiftool's values of every file, by full path, in one run.
std::map<std::string, QJsonObject> exiftoolDe(const std::vector<std::string>& chemins,
                                              const char* options = "-n") {
    std::string cmd = std::string("exiftool -j -G1 -m -q ") + options;
    for (const auto& c : chemins)
        cmd += " '" + c + "'";
    cmd += " 2>/dev/null";
    QByteArray sortie;
    std::unique_ptr<FILE, int (*)(FILE*)> p(::popen(cmd.c_str(), "r"), ::pclose);
    if (!p)
        return {};
    char bloc[65536];
    for (std::size_t n; (n = std::fread(bloc, 1, sizeof bloc, p.get())) > 0;)
        sortie.append(bloc, static_cast<qsizetype>(n));
    std::map<std::string, QJsonObject> out;
    for (const QJsonValue v : QJsonDocument::fromJson(sortie).array()) {
        const QJsonObject o = v.toObject();
        out[o.value("SourceFile").toString().toStdString()] = o;
    }
    return out;
}

std::optional<QJsonValue> valeurOutil(const QJsonObject& o, const std::vector<const char*>& cles) {
    for (const char* c : cles)
        if (o.contains(QLatin1String(c)))
            return o.value(QLatin1String(c));
    return std::nullopt;
}

std::string texteOutil(const QJsonValue& v) {
    return v.isString() ? v.toString().toStdString() : QString::number(v.toDouble()).toStdString();
}

double nombreOutil(const QJsonValue& v) {
    return v.isString() ? v.toString().toDouble() : v.toDouble();
}

// Text as the dump lists it: its first 50 characters, control characters as dots.
std::string commeListe(std::string_view texte) {
    std::string out;
    int caracteres = 0;
    for (unsigned char c : texte) {
        if ((c & 0xC0) != 0x80 && ++caracteres > 50)
            break;
        out += c < 32 ? '.' : static_cast<char>(c);
    }
    return out;
}

struct Echantillon {
    std::string golden; // file name under tests/exif/golden/
    std::string chemin; // the sample's path
};

std::vector<Echantillon> echantillons() {
    std::vector<Echantillon> out;
    const std::string photos = test::photosDir();
    for (const char* dossier : {"", "../raw/"}) {
        std::error_code ec;
        for (auto it = fs::recursive_directory_iterator(photos + dossier, ec);
             !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
            if (!it->is_regular_file())
                continue;
            std::string rel = fs::relative(it->path(), photos + dossier).string();
            if (*dossier)
                rel = "raw/" + rel;
            std::string nom;
            for (char c : rel)
                nom += c == '/' ? std::string("__") : std::string(1, c);
            out.push_back({nom + ".txt", it->path().string()});
        }
    }
    std::sort(out.begin(), out.end(),
              [](const Echantillon& a, const Echantillon& b) { return a.golden < b.golden; });
    return out;
}

// Values exiftool finds where this program does not look, by sample and item, and why.
struct Ecart {
    const char* golden;
    const char* item;
    const char* raison;
};
constexpr Ecart kEcarts[] = {
    {"raw__Pentax.avi.txt", "Date Time Original", "AVI films are not read"},
    {"raw__Panasonic.rw2.txt", "focal35",
     "the camera's 35 mm focal length is only in the EXIF of the JPEG the RW2 embeds; the RW2's "
     "own EXIF directory is read"},
    {"raw__Panasonic.rw2.txt", "XResolution",
     "the RW2's first directory uses this tag number for a raw setting of its own; exiftool "
     "reports the embedded JPEG's resolution"},
    {"raw__Panasonic.rw2.txt", "YResolution", "as XResolution"},
    {"raw__CanonRaw.crw.txt", "owner", "a CRW gives its make, model and date only"},
    {"raw__DNG.dng.txt", "owner", "a DNG keeps its maker notes in its private data block"},
};
bool ecart(const std::string& golden, std::string_view item) {
    return std::any_of(std::begin(kEcarts), std::end(kEcarts),
                       [&](const Ecart& e) { return golden == e.golden && item == e.item; });
}

class ContreExiftool : public FuseauUtc {};

} // namespace

TEST_F(ContreExiftool, GoldenValuesAgreeWithExiftool) {
    const std::string goldenDir = std::string(VARLIME_TESTS_DIR) + "/exif/golden/";
    const auto liste = echantillons();
    ASSERT_GE(liste.size(), 38u);
    std::vector<std::string> chemins;
    for (const auto& e : liste)
        chemins.push_back(e.chemin);
    const auto outil = exiftoolDe(chemins);
    ASSERT_EQ(outil.size(), liste.size()) << "exiftool did not read every sample";

    int compares = 0;
    for (const auto& e : liste) {
        SCOPED_TRACE(e.golden);
        ASSERT_TRUE(fs::exists(goldenDir + e.golden));
        const Dump dump = lireDump(test::readFile(goldenDir + e.golden));
        const QJsonObject& o = outil.at(e.chemin);
        for (const Controle& c : controles()) {
            SCOPED_TRACE(c.legende);
            const auto v = valeurOutil(o, c.cles);
            const auto ligne = dump.exif.find(c.legende);
            if (ligne == dump.exif.end()) {
                EXPECT_FALSE(v && c.indispensable && !ecart(e.golden, c.legende))
                    << "exiftool reads " << texteOutil(*v) << ", the dump has no line";
                continue;
            }
            if (!v || ecart(e.golden, c.legende))
                continue;
            const std::string& texte = ligne->second;
            ++compares;
            switch (c.sorte) {
            case Sorte::Texte:
                EXPECT_EQ(sansBlancs(texte), sansBlancs(commeListe(texteOutil(*v))));
                break;
            case Sorte::Date:
                EXPECT_EQ(texte, texteOutil(*v).substr(0, 19));
                break;
            case Sorte::Orientation:
                EXPECT_EQ(texte, motsOrientation(int(nombreOutil(*v))));
                break;
            case Sorte::Focale35:
                // Without the camera's value the dump works one out from the sensor's
                // resolution and the picture's size, shown without " mm"; exiftool's
                // own estimate uses other facts, so only recorded values are compared.
                if (!texte.ends_with(" mm"))
                    break;
                [[fallthrough]];
            case Sorte::Nombre: {
                const auto n = nombreDuDump(texte);
                if (!n) {
                    ADD_FAILURE() << "no number in " << texte;
                    break;
                }
                EXPECT_NEAR(n->valeur, nombreOutil(*v), n->marge)
                    << texte << " against " << texteOutil(*v);
                break;
            }
            }
        }
        // The owner's name of the maker notes (the dump quotes it).
        const auto owner = dump.fabricant.find("OwnerName");
        const auto vOwner = valeurOutil(o, {"Canon:OwnerName", "CanonRaw:OwnerName"});
        if (owner != dump.fabricant.end() && vOwner) {
            ++compares;
            EXPECT_EQ(owner->second, '"' + texteOutil(*vOwner) + '"');
        }
    }
    // Most samples are cameras' photos: a few hundred values are compared.
    EXPECT_GE(compares, 250);
}

// The typed facts naming reads (not the dump's text) agree with exiftool too.
TEST_F(ContreExiftool, NamingFactsAgreeWithExiftool) {
    const auto liste = echantillons();
    std::vector<std::string> chemins;
    for (const auto& e : liste)
        chemins.push_back(e.chemin);
    const auto outil = exiftoolDe(chemins);
    ASSERT_EQ(outil.size(), liste.size());
    TimgData lecteur;
    lecteur.NamingFactsOnly = true;
    int nommes = 0, dates = 0, focales = 0;
    for (const auto& e : liste) {
        SCOPED_TRACE(e.golden);
        const bool lu = lecteur.ReadImageFile(e.chemin);
        const FaitsExif f = faitsDepuisLecteur(lecteur, lu);
        const QJsonObject& o = outil.at(e.chemin);
        if (!f.exif)
            continue;
        ++nommes;
        const auto texte = [&](std::vector<const char*> cles) {
            const auto v = valeurOutil(o, cles);
            return v ? std::string(sansBlancs(texteOutil(*v))) : std::string();
        };
        EXPECT_EQ(f.fabricant, texte({"IFD0:Make", "CanonRaw:Make", "Pentax:Make"}));
        EXPECT_EQ(f.modele, texte({"IFD0:Model", "CanonRaw:Model"}));
        // The date used for naming is exiftool's first date in the order names take them.
        const std::string date =
            texte({"ExifIFD:DateTimeOriginal", "IFD0:DateTimeOriginal", "ExifIFD:CreateDate",
                   "CanonRaw:DateTimeOriginal", "UserData:DateTimeOriginal", "QuickTime:CreateDate",
                   "XMP-exif:DateTimeOriginal", "XMP-xmp:CreateDate", "XMP-photoshop:DateCreated",
                   "IFD0:ModifyDate"})
                .substr(0, 19);
        EXPECT_EQ(f.dateHeure, date);
        dates += !date.empty() && f.dateHeure == date;
        // Names show one decimal of the f-number and two of a focal length.
        const struct {
            const char* nom;
            std::optional<double> fait;
            const char* cle;
            double marge;
        } nombres[] = {
            {"f-number", f.ouverture, "ExifIFD:FNumber", 0.05 + 1e-9},
            {"exposure", f.exposition, "ExifIFD:ExposureTime", 1e-9},
            {"focal length", f.focale, "ExifIFD:FocalLength", 0.005 + 1e-9},
        };
        for (const auto& n : nombres) {
            const auto v = valeurOutil(o, {n.cle});
            EXPECT_EQ(n.fait.has_value(), v.has_value()) << n.nom;
            if (n.fait && v) {
                EXPECT_NEAR(*n.fait, nombreOutil(*v), std::max(n.marge, *n.fait * 1e-9)) << n.nom;
            }
        }
        if (const auto v = valeurOutil(o, {"ExifIFD:FocalLengthIn35mmFormat"});
            v && !ecart(e.golden, "focal35")) {
            EXPECT_TRUE(f.focale35);
            EXPECT_NEAR(f.focale35.value_or(0), nombreOutil(*v), 0.005);
        }
        // Worked out or recorded, the 35 mm focal length is exiftool's within 2 %; where
        // exiftool knows no sensor size it gives the focal length itself. (A damaged file's
        // sizes are not trusted, and an RW2 keeps its own in the JPEG it embeds, which is not
        // read: their item may stay empty.)
        if (const auto v = valeurOutil(o, {"Composite:FocalLength35efl"});
            v && f.focale && std::abs(nombreOutil(*v) - *f.focale) > 0.05 &&
            !e.golden.starts_with("damaged") && !e.golden.ends_with(".rw2.txt")) {
            ASSERT_TRUE(f.focale35) << "focal35";
            EXPECT_NEAR(*f.focale35, nombreOutil(*v), nombreOutil(*v) * 0.02) << "focal35";
            ++focales;
        }
        const auto code = valeurOutil(o, {"IFD0:Orientation"});
        const int attendu = !code                     ? 0
                            : nombreOutil(*code) == 6 ? 90
                            : nombreOutil(*code) == 8 ? 270
                                                      : 0;
        EXPECT_EQ(f.orientation, attendu);
        if (const auto v = valeurOutil(o, {"Canon:OwnerName", "CanonRaw:OwnerName"});
            v && !ecart(e.golden, "owner")) {
            EXPECT_EQ(f.proprietaire, std::string(sansBlancs(texteOutil(*v))));
        }
    }
    EXPECT_GE(nommes, 20);
    std::printf("naming facts: %d files, dates agreeing %d, 35 mm focal lengths agreeing %d\n",
                nommes, dates, focales);
    EXPECT_GE(dates, 20);
}

// The camera body's serial number naming and the import read, against exiftool's as
// exiftool shows it (Canon's number with its ten digits), wherever exiftool finds one
// in a place this program reads: EXIF, a DNG's directory, a Canon or Nikon maker note,
// a CRW's record. Files without one must give none.
TEST_F(ContreExiftool, BodySerialAgreesWithExiftool) {
    const auto liste = echantillons();
    std::vector<std::string> chemins;
    for (const auto& e : liste)
        chemins.push_back(e.chemin);
    const auto outil = exiftoolDe(chemins, "-a -SerialNumber -CameraSerialNumber");
    ASSERT_EQ(outil.size(), liste.size());
    TimgData lecteur;
    lecteur.NamingFactsOnly = true;
    int series = 0;
    for (const auto& e : liste) {
        SCOPED_TRACE(e.golden);
        const bool lu = lecteur.ReadImageFile(e.chemin);
        const FaitsExif f = faitsDepuisLecteur(lecteur, lu);
        const auto v =
            valeurOutil(outil.at(e.chemin),
                        {"ExifIFD:SerialNumber", "IFD0:CameraSerialNumber", "Canon:SerialNumber",
                         "Nikon:SerialNumber", "CanonRaw:SerialNumber"});
        // exiftool writes a serial of digits alone as a number.
        const std::string attendu = !v ? std::string()
                                    : v->isString()
                                        ? v->toString().toStdString()
                                        : QString::number(v->toDouble(), 'f', 0).toStdString();
        EXPECT_EQ(f.serie, attendu);
        series += !attendu.empty() && f.serie == attendu;
        // A full read (the dump's) finds the same.
        TimgData complet;
        const bool luComplet = complet.ReadImageFile(e.chemin);
        EXPECT_EQ(faitsDepuisLecteur(complet, luComplet).serie, f.serie);
    }
    // CR2, CR3, CRW, DNG and NEF carry one, each in another place.
    EXPECT_GE(series, 5);
}
