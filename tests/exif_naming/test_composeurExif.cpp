// SPDX-License-Identifier: GPL-3.0-or-later
// The EXIF name composer: number forms, values read out of listings, the composed
// names and the per-file facts kept between recomputations.
#include "exif/dEXIF.h"
#include "exif/exifFormat.h"
#include "exif/exif_builder.h"
#include "exif_naming/composeurExif.h"
#include "exif_naming/faitsExif.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <utime.h>

namespace varlime {
namespace {

using test::TempDir;

struct CasNombre {
    const char* nom;
    std::string (*forme)(double, int);
    double valeur;
    int format;
    const char* attendu;
};

TEST(ComposeurExif, FormesDesNombres) {
    const CasNombre cas[] = {
        {"ouverture/aucun_choix", Retourne_ouverture_formatee, 2.8, -1, "F2,8"},
        {"ouverture/point", Retourne_ouverture_formatee, 2.8, 1, "F2.8"},
        {"ouverture/entiere", Retourne_ouverture_formatee, 8, 0, "F8,0"},
        {"ouverture/point_5_6", Retourne_ouverture_formatee, 5.6, 1, "F5.6"},
        {"focale/virgule", Retourne_focale_formatee, 50, -1, "50,0mm"},
        {"focale/point", Retourne_focale_formatee, 24, 1, "24.0mm"},
        // The second decimal rounds half up on the digits as listed, never to even or on
        // the binary value just below them.
        {"focale/6_25", Retourne_focale_formatee, 6.25, 0, "6,3mm"},
        {"focale/18_45", Retourne_focale_formatee, 18.45, 0, "18,5mm"},
        {"focale/5_85", Retourne_focale_formatee, 5.85, 1, "5.9mm"},
        {"focale/9_95_retenue", Retourne_focale_formatee, 9.95, 0, "10,0mm"},
        {"focale/6_24", Retourne_focale_formatee, 6.24, 0, "6,2mm"},
        {"focale/sous_le_dixieme", Retourne_focale_formatee, 0.04, 0, "0,0mm"},
        {"focale/demi_dixieme", Retourne_focale_formatee, 0.05, 0, "0,1mm"},
        {"focale/grande", Retourne_focale_formatee, 123456789, 0, "123456800,0mm"},
        {"ouverture/negative", Retourne_ouverture_formatee, -2.25, 1, "F-2.3"},
        {"exposition/1_125", Retourne_exposition_formatee, 1.0 / 125, -1, "1_125_eme"},
        {"exposition/1_250_accent", Retourne_exposition_formatee, 0.004, 1, "1_250_ème"},
        {"exposition/une_seconde", Retourne_exposition_formatee, 1, 0, "1"},
        {"exposition/deux_secondes", Retourne_exposition_formatee, 2, 0, "2"},
        {"exposition/demi_pair", Retourne_exposition_formatee, 2.5, 0, "2"},
        {"exposition/demi_seconde", Retourne_exposition_formatee, 0.5, 0, "1_2_eme"},
        {"exposition/0_3", Retourne_exposition_formatee, 0.3, 0, "1_3_eme"},
        {"exposition/zero", Retourne_exposition_formatee, 0, 0, ""},
        {"exposition/negative", Retourne_exposition_formatee, -1, 0, ""},
    };
    for (const auto& c : cas)
        EXPECT_EQ(c.forme(c.valeur, c.format), c.attendu) << c.nom;
}

// Listings as the reader writes them: lines joined by CR LF, no line end at the end.
TEST(ComposeurExif, ValeursDesListings) {
    const std::string exif = "\r\nFocal Length in 35mm Film = 75\r\nExposure Time = 1/250 sec"
                             "\r\nFNumber = F2.8\r\nFocal Length = 50.00 mm\r\nOrientation = "
                             "Clockwise 90°";
    EXPECT_DOUBLE_EQ(*Retourne_exposition(exif), 0.004);
    EXPECT_DOUBLE_EQ(*Retourne_ouverture(exif), 2.8);
    EXPECT_DOUBLE_EQ(*Retourne_focale(exif, false), 50.0);
    EXPECT_DOUBLE_EQ(*Retourne_focale(exif, true), 75.0);
    EXPECT_EQ(Retourne_orientation(exif), 270);

    struct {
        const char* nom;
        const char* listing;
        std::optional<double> exposition;
    } const expositions[] = {
        {"secondes", "\r\nExposure Time = 2", 2.0},
        {"vitesse_si_pas_de_temps", "\r\nShutter Speed Value = 0.0060 sec (1/166)", 0.006},
        {"denominateur_nul", "\r\nExposure Time = 1/0 sec", std::nullopt},
        {"illisible", "\r\nExposure Time = abc", std::nullopt},
        {"absente", "\r\nMake = Canon", std::nullopt},
    };
    for (const auto& c : expositions)
        EXPECT_EQ(Retourne_exposition(c.listing), c.exposition) << c.nom;

    EXPECT_EQ(Retourne_proprietaire("\r\nFirmware = \"1.0\"\r\nOwnerName = \"Jean Dupont\""),
              "Jean Dupont");
    EXPECT_EQ(Retourne_proprietaire("\r\nOwnerName = \"Ann\"\r\nFirmware = \"1.0\""), "Ann");
    EXPECT_EQ(Retourne_proprietaire("\r\nFirmware = \"1.0\""), "");
    EXPECT_EQ(Retourne_orientation("\r\nOrientation = CounterClockwise 90°"), 90);
    EXPECT_EQ(Retourne_orientation("\r\nOrientation = Normal"), 0);
}

TEST(ComposeurExif, DatesDesPhotos) {
    struct {
        const char* texte;
        bool datee;
    } const cas[] = {
        {"2008:05:30 15:56:01", true},  {"", false},
        {"2008:02:30 10:00:00", false}, // no such day
        {"20x8:05:30 15:56:01", false}, {"    :  :     :  :  ", false},
        {"2008:05:30 25:00:00", false}, {"2008:05:30", false},
    };
    for (const auto& c : cas)
        EXPECT_EQ(ExploiteDateHeure(c.texte).has_value(), c.datee) << c.texte;
    const auto dh = ExploiteDateHeure("2008:05:30 15:56:01");
    EXPECT_EQ(dh->date, QDate(2008, 5, 30));
    EXPECT_EQ(dh->heure, QTime(15, 56, 1));
}

FaitsExif canon() {
    FaitsExif f;
    f.exif = true;
    f.fabricant = "Canon";
    f.modele = "Canon EOS 40D";
    f.dateHeure = "2008:05:30 15:56:01";
    f.ouverture = 7.1;
    f.exposition = 1.0 / 160;
    f.focale = 135;
    return f;
}

const QDate kAujourdhui(2026, 12, 7);

TEST(ComposeurExif, NomsComposes) {
    struct Cas {
        const char* nom;
        std::vector<ItemExif> ordre;
        bool sansCompteur = false;
        bool garder = false;
        const char* ancien = "IMG_0042.JPG";
        const char* dateHeure = "2008:05:30 15:56:01";
        const char* exemple;
        const char* nomExif;
    };
    using I = ItemExif;
    const Cas cas[] = {
        {"fabricant_date",
         {I::Fabricant, I::Date},
         false,
         false,
         "a.jpg",
         nullptr,
         "Canon_20080530-001",
         "Canon_20080530-"},
        {"sans_compteur",
         {I::Fabricant, I::Date},
         true,
         false,
         "a.jpg",
         nullptr,
         "Canon_20080530",
         "Canon_20080530"},
        {"liste_vide", {}, false, false, "a.jpg", nullptr, "-001", "-"},
        {"liste_vide_sans_compteur", {}, true, false, "a.jpg", nullptr, "", ""},
        {"garder_compteur",
         {I::Fabricant, I::Date},
         false,
         true,
         "IMG_0042.JPG",
         nullptr,
         "Canon_200805300042",
         "Canon_200805300042"},
        {"garder_sans_chiffres",
         {I::Fabricant},
         false,
         true,
         "photo.jpg",
         nullptr,
         "Canon-001",
         "Canon-"},
        {"valeur_vide_garde_son_separateur",
         {I::Proprietaire, I::Modele},
         true,
         false,
         "a.jpg",
         nullptr,
         "_Canon EOS 40D",
         "_Canon EOS 40D"},
        {"nombres",
         {I::Ouverture, I::Exposition, I::Focale, I::Focale35},
         true,
         false,
         "a.jpg",
         nullptr,
         "F7,1_1_160_eme_135,0mm_",
         "F7,1_1_160_eme_135,0mm_"},
        {"heure_et_date",
         {I::Heure, I::Date},
         true,
         false,
         "a.jpg",
         nullptr,
         "155601_20080530",
         "155601_20080530"},
        {"minuit_aujourdhui_sans_date",
         {I::Date, I::Heure},
         true,
         false,
         "a.jpg",
         "2026:12:07 00:00:00",
         "_",
         "NON VARLIMÉ (Pas de date)"},
        // An undated photo is never named with today's date.
        {"sans_date",
         {I::Date, I::Heure},
         true,
         false,
         "a.jpg",
         "",
         "_",
         "NON VARLIMÉ (Pas de date)"},
        {"date_illisible",
         {I::Date, I::Heure},
         true,
         false,
         "a.jpg",
         "2008:13:45 99:00:00",
         "_",
         "NON VARLIMÉ (Pas de date)"},
    };
    for (const Cas& c : cas) {
        OptionsNommage o;
        o.exif.actif = true;
        o.exif.ordre = c.ordre;
        o.exif.separateurInfo = "_";
        o.exif.separateurFinal = "-";
        o.exif.sansCompteur = c.sansCompteur;
        o.exif.garderCompteur = c.garder;
        if (c.garder)
            o.prefixe = std::string(kMasqueGarderCompteur);
        FaitsExif f = canon();
        if (c.dateHeure)
            f.dateHeure = c.dateHeure;
        EXPECT_EQ(Compose_exemple(f, o, c.ancien, kAujourdhui), c.exemple) << c.nom;
        EXPECT_EQ(Retourne_nom_exif(f, o, c.ancien, kAujourdhui), c.nomExif) << c.nom;
    }
}

// The example carries the counter the first file gets, where the engine puts it; the
// name part stays without it.
TEST(ComposeurExif, ExempleAvecLeCompteurDuPremierFichier) {
    const struct {
        int depart, largeur;
        bool alphabetique, aDroite;
        const char* exemple;
    } cas[] = {
        {1, 3, false, true, "Canon-001"},     {250, 4, false, true, "Canon-0250"},
        {1500, 3, false, true, "Canon-1500"}, {28, 3, true, true, "Canon-_AB"},
        {7, 2, false, false, "07Canon-"},
    };
    for (const auto& c : cas) {
        OptionsNommage o;
        o.exif.actif = true;
        o.exif.ordre = {ItemExif::Fabricant};
        o.exif.separateurFinal = "-";
        o.initialisation = c.depart;
        o.largeur = c.largeur;
        o.alphabetique = c.alphabetique;
        o.compteurADroite = c.aDroite;
        EXPECT_EQ(Compose_exemple(canon(), o, "a.jpg", kAujourdhui), c.exemple) << c.depart;
        EXPECT_EQ(Retourne_nom_exif(canon(), o, "a.jpg", kAujourdhui), "Canon-") << c.depart;
    }
}

TEST(ComposeurExif, TexteLibreEtValeursNettoyees) {
    OptionsNommage o;
    o.exif.actif = true;
    o.exif.sansCompteur = true;
    o.exif.ordre = {ItemExif::ZoneLibre, ItemExif::Fabricant, ItemExif::Proprietaire};
    o.exif.separateurInfo = " ";
    o.exif.zoneLibre = "Noël/24";
    FaitsExif f = canon();
    f.fabricant = "AC/DC\x01";
    f.proprietaire = "Jo\tAnn";
    // What the user typed stays as typed; what the photo says loses '/' and controls.
    EXPECT_EQ(Retourne_nom_exif(f, o, "a.jpg", kAujourdhui), "Noël/24 AC-DC- Jo-Ann");
    f.exif = false;
    EXPECT_EQ(Retourne_nom_exif(f, o, "a.jpg", kAujourdhui), "NON VARLIMÉ (Pas d'en-tête Exif)");
}

std::string copier(const TempDir& dir, const std::string& source, const std::string& nom) {
    return dir.write(nom, test::readFile(test::photosDir() + source));
}

bool exiftool(const std::string& arguments) {
    return std::system(
               ("exiftool -q -q -overwrite_original " + arguments + " >/dev/null 2>&1").c_str()) ==
           0;
}

// The engine in EXIF naming over real photos: each row named from its own file, the
// marker row for a file without EXIF, neighbour duplicates made distinct, and every
// file read once until it changes.
TEST(ComposeurExif, MoteurSurDesPhotos) {
    TempDir dir;
    copier(dir, "Canon_40D.jpg", "b.jpg");
    copier(dir, "Canon_40D.jpg", "c.jpg");
    copier(dir, "no_exif.jpg", "d.jpg");
    const std::string nikon = copier(dir, "Nikon_D70.jpg", "e.jpg");
    MoteurNommage m;
    m.options.exif.actif = true;
    m.options.exif.sansCompteur = true;
    m.options.exif.ordre = {ItemExif::Fabricant, ItemExif::Ouverture, ItemExif::Exposition};
    ASSERT_TRUE(m.lister(dir.path()));
    CacheFaitsExif cache;
    m.calculer(partieNomExif(cache, m.dossier(), m.options, kAujourdhui));
    ASSERT_EQ(m.lignes().size(), 4u);
    EXPECT_EQ(m.lignes()[0].nouveau, "Canon_F7,1_1_160_emeA.jpg");
    EXPECT_EQ(m.lignes()[1].nouveau, "Canon_F7,1_1_160_emeB.jpg");
    EXPECT_EQ(m.lignes()[2].nouveau, "NON VARLIMÉ (Pas d'en-tête Exif)");
    EXPECT_EQ(cache.lectures(), 4u);

    // d.jpg has EXIF without a make: none of the chosen items has a value, but the list
    // check counts files without any metadata alone.
    const VerificationExif v = verifierListeExif(cache, m.dossier(), m.lignes());
    EXPECT_EQ(v.sansExif, 0);
    EXPECT_EQ(v.premier, "");

    // A keystroke: new options, no file read again.
    m.options.exif.separateurInfo = "-";
    m.calculer(partieNomExif(cache, m.dossier(), m.options, kAujourdhui));
    EXPECT_EQ(m.lignes()[0].nouveau, "Canon-F7,1-1_160_emeA.jpg");
    EXPECT_EQ(m.lignes()[3].nouveau, "NIKON CORPORATION-F9,0-1_200_eme.jpg");
    EXPECT_EQ(cache.lectures(), 4u);

    // A photo changed on disk is read again once the files are checked again (a new
    // listing, the window active again), and only that one; a zero exposure gives an
    // empty item.
    ASSERT_TRUE(exiftool("-Make=Acme -ExposureTime=0 -FNumber=4 '" + nikon + "'"));
    m.calculer(partieNomExif(cache, m.dossier(), m.options, kAujourdhui));
    EXPECT_EQ(cache.lectures(), 4u);
    EXPECT_EQ(m.lignes()[3].nouveau, "NIKON CORPORATION-F9,0-1_200_eme.jpg");
    cache.nouvelleGeneration();
    cache.precharger(m.dossier(), m.lignes());
    m.calculer(partieNomExif(cache, m.dossier(), m.options, kAujourdhui));
    EXPECT_EQ(cache.lectures(), 5u);
    EXPECT_EQ(m.lignes()[3].nouveau, "Acme-F4,0-.jpg");
}

TEST(ComposeurExif, PhotosTagueesParLeTest) {
    TempDir dir;
    const std::string p = copier(dir, "Canon_40D.jpg", "x.jpg");
    ASSERT_TRUE(exiftool("-Model='EOS/40D' -DateTimeOriginal='2008:02:30 10:00:00' "
                         "-DateTime='2008:02:30 10:00:00' -ExposureTime=2 '" +
                         p + "'"));
    MoteurNommage m;
    m.options.exif.actif = true;
    m.options.exif.sansCompteur = true;
    m.options.exif.ordre = {ItemExif::Modele, ItemExif::Date, ItemExif::Heure,
                            ItemExif::Exposition};
    ASSERT_TRUE(m.lister(dir.path()));
    CacheFaitsExif cache;
    m.calculer(partieNomExif(cache, m.dossier(), m.options, kAujourdhui));
    // No real DateTimeOriginal: the CreateDate the camera wrote names it, never today;
    // the slash of the model becomes '-'.
    EXPECT_EQ(m.lignes()[0].nouveau, "EOS-40D_20080530_155601_2.jpg");
}

// Without an FNumber the aperture comes from the APEX aperture value, turned into the
// f-number it stands for (the 40D's Av 5.625 is f/7.0), by both ways of reading it.
TEST(ComposeurExif, OuvertureSansFNumber) {
    TempDir dir;
    const std::string p = copier(dir, "Canon_40D.jpg", "x.jpg");
    ASSERT_TRUE(exiftool("-FNumber= '" + p + "'"));
    MoteurNommage m;
    m.options.exif.actif = true;
    m.options.exif.sansCompteur = true;
    m.options.exif.ordre = {ItemExif::Ouverture};
    ASSERT_TRUE(m.lister(dir.path()));
    CacheFaitsExif cache;
    m.calculer(partieNomExif(cache, m.dossier(), m.options, kAujourdhui));
    EXPECT_EQ(m.lignes()[0].nouveau, "F7,0.jpg");
    EXPECT_DOUBLE_EQ(*Retourne_ouverture("\r\nAperture Value = F5.0"), 5.7);
}

// Bytes after a text's first zero byte (padding some cameras leave) stay out of the
// name; the dump still shows them. A make of zero bytes alone counts as no EXIF.
TEST(ComposeurExif, TextesArretesAuPremierZero) {
    TempDir dir;
    for (bool be : {false, true}) {
        const test::Tiff t{be};
        const std::string avecReste = t.build({{t.bytes(0x010F, 2, std::string("Canon\0old\0", 10)),
                                                t.bytes(0x0110, 2, std::string("EOS/5\0\0x", 9))}});
        const std::string vide = t.build({{t.bytes(0x010F, 2, std::string("\0abc", 4))}});
        const std::string suffixe = be ? "_mm.jpg" : "_ii.jpg";
        dir.write("a" + suffixe, test::jpeg({test::exifApp1(avecReste)}));
        dir.write("b" + suffixe, test::jpeg({test::exifApp1(vide)}));
    }
    MoteurNommage m;
    m.options.exif.actif = true;
    m.options.exif.sansCompteur = true;
    m.options.exif.ordre = {ItemExif::Fabricant, ItemExif::Modele};
    ASSERT_TRUE(m.lister(dir.path()));
    CacheFaitsExif cache;
    m.calculer(partieNomExif(cache, m.dossier(), m.options, kAujourdhui));
    std::vector<std::string> noms;
    for (const FileRow& r : m.lignes())
        noms.push_back(r.ancien + " " + r.nouveau);
    EXPECT_EQ(noms,
              (std::vector<std::string>{"a_ii.jpg Canon_EOS-5A.jpg", "a_mm.jpg Canon_EOS-5B.jpg",
                                        "b_ii.jpg NON VARLIMÉ (Pas d'en-tête Exif)",
                                        "b_mm.jpg NON VARLIMÉ (Pas d'en-tête Exif)"}));
}

// The first reading of a large folder runs on several threads and can be stopped;
// what it left unread is read when first needed, and every name is the same.
TEST(ComposeurExif, PremiereLectureParallele) {
    TempDir dir;
    const char* sources[] = {"Canon_40D.jpg", "no_exif.jpg", "Nikon_D70.jpg"};
    const std::size_t n = 300;
    for (std::size_t i = 0; i < n; ++i)
        copier(dir, sources[i % 3], "p" + std::to_string(1000 + i) + ".jpg");
    MoteurNommage m;
    m.options.exif.actif = true;
    m.options.exif.sansCompteur = true;
    m.options.exif.ordre = {ItemExif::Modele};
    ASSERT_TRUE(m.lister(dir.path()));
    CacheFaitsExif cache;
    std::size_t appels = 0;
    cache.precharger(m.dossier(), m.lignes(), [&](std::size_t fait, std::size_t total) {
        EXPECT_LE(fait, total);
        EXPECT_EQ(total, n);
        ++appels;
        return false; // stopped at once: the other thread stops after its file
    });
    EXPECT_EQ(appels, 1u);
    EXPECT_LT(cache.lectures(), n);
    m.calculer(partieNomExif(cache, m.dossier(), m.options, kAujourdhui));
    EXPECT_EQ(cache.lectures(), n);
    for (std::size_t i = 0; i < n; ++i) {
        const char* attendu[] = {"Canon EOS 40D", "NON VARLIMÉ (Pas d'en-tête Exif)", "NIKON D70"};
        EXPECT_TRUE(m.lignes()[i].nouveau.starts_with(attendu[i % 3])) << m.lignes()[i].ancien;
    }
}

// The reader that names a folder passes over what no name is made from; every fact
// must still be the one the whole listing gives, on every sample (odd and damaged ones
// too) and on photos whose 35 mm focal length is worked out from the sensor's size.
TEST(ComposeurExif, LectureDesSeulsFaitsCommeLaLectureComplete) {
    TempDir dir;
    std::vector<std::string> fichiers;
    for (const auto& e : std::filesystem::recursive_directory_iterator(test::photosDir()))
        if (e.is_regular_file())
            fichiers.push_back(e.path().string());
    const std::string tague = copier(dir, "Nikon_D70.jpg", "tague.jpg");
    ASSERT_TRUE(exiftool("-FocalLengthIn35mmFormat= -FocalPlaneXResolution=2000 "
                         "-FocalPlaneYResolution=2000 -FocalPlaneResolutionUnit=inches "
                         "-RelatedImageWidth=3008 -RelatedImageHeight=2000 -Orientation#=8 '" +
                         tague + "'"));
    fichiers.push_back(tague);
    TimgData complet, faitsSeuls;
    faitsSeuls.NamingFactsOnly = true;
    int avecFocale35 = 0, avecProprietaire = 0;
    for (const std::string& f : fichiers) {
        const bool lu = complet.ReadImageFile(f);
        const FaitsExif attendu =
            faitsDepuisLecteur(lu && complet.HasExifBlock(), complet.ExifInfo.get());
        const bool lu2 = faitsSeuls.ReadImageFile(f);
        EXPECT_EQ(faitsDepuisLecteur(lu2 && faitsSeuls.HasExifBlock(), faitsSeuls.ExifInfo.get()),
                  attendu)
            << f;
        avecFocale35 += attendu.focale35.has_value();
        avecProprietaire += !attendu.proprietaire.empty();
    }
    const FaitsExif t = faitsDepuisLecteur(true, faitsSeuls.ExifInfo.get());
    EXPECT_EQ(t.orientation, 270);
    EXPECT_TRUE(t.focale35.has_value());
    EXPECT_GE(avecFocale35, 3);
    EXPECT_GE(avecProprietaire, 1);
}

} // namespace
} // namespace varlime
