// SPDX-License-Identifier: GPL-3.0-or-later
// Importing a card: the folder template, counters going on in each folder, what is
// skipped as already imported or as a duplicate, a backup whose read-back differs, a
// backup added later, a card file that cannot be read, RAW+JPEG pairs, progress and a
// stop within a large file, a move, a damaged history, the hash lists, FAT and exFAT
// destinations.
#include "import/historiqueImport.h"
#include "import/importCarte.h"
#include "import/listeHachage.h"
#include "support/test_imageCarte.h"
#include "support/test_support.h"

#include <algorithm>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

using namespace varlime;
using namespace varlime::test;

namespace {

const std::array<std::string, 12> kMois = {"janv.", "févr.", "mars",  "avr.", "mai",  "juin",
                                           "juil.", "août",  "sept.", "oct.", "nov.", "déc."};

// A card, an archive, a backup and a history in one temporary folder.
struct Banc {
    TempDir t;
    std::string carte = t.path() + "carte/DCIM/";
    std::string archive = t.path() + "archive/";
    std::string sauvegarde = t.path() + "sauvegarde/";

    // A sample photo copied onto the card, made unique by bytes added after its end
    // (the EXIF stays the same).
    std::string photo(const std::string& sousDossier, const std::string& nom,
                      const std::string& modele = "Canon_40D.jpg", const std::string& fin = "") {
        const std::string octets = readFile(photosDir() + modele) + fin;
        return t.write("carte/DCIM/" + sousDossier + "/" + nom, octets);
    }
    OptionsImport options() const {
        OptionsImport o;
        o.source = carte;
        o.archive = archive;
        o.sauvegardes = {sauvegarde};
        o.moisAbreges = kMois;
        o.historique = t.path() + "historique.sqlite";
        return o;
    }
};

BilanImport importer(const OptionsImport& o,
                     std::function<void(const std::string&)> hook = nullptr) {
    ImportCarte import(o);
    std::string erreur;
    EXPECT_TRUE(import.planifier(&erreur)) << erreur;
    import.avantRelecture = std::move(hook);
    return import.executer();
}

std::vector<std::string> plan(const OptionsImport& o) {
    ImportCarte import(o);
    std::string erreur;
    EXPECT_TRUE(import.planifier(&erreur)) << erreur;
    std::vector<std::string> out;
    for (const FichierImport& f : import.plan().fichiers) {
        static const char* kMarques[] = {"", " [deja]", " [doublon]", " [pris]"};
        out.push_back(f.nomSource + " -> " + f.cheminRelatif() + kMarques[int(f.marque)]);
    }
    return out;
}

void toucher(const std::string& chemin, long decalage) {
    struct stat st {};
    ASSERT_EQ(::stat(chemin.c_str(), &st), 0);
    struct timespec t[2] = {st.st_atim, st.st_mtim};
    t[1].tv_sec += decalage;
    ASSERT_EQ(::utimensat(AT_FDCWD, chemin.c_str(), t, 0), 0);
}

bool existe(const std::string& chemin) {
    struct stat st;
    return ::stat(chemin.c_str(), &st) == 0;
}

// Every name under a folder, hidden ones too (a temporary file left behind shows).
std::vector<std::string> arbre(const std::string& dossier) {
    std::vector<std::string> out;
    if (!existe(dossier))
        return out;
    for (const auto& e : std::filesystem::recursive_directory_iterator(dossier))
        if (e.is_regular_file())
            out.push_back(e.path().string().substr(dossier.size()));
    std::sort(out.begin(), out.end());
    return out;
}

// While it lives, this thread reads files only as their permission bits allow, even as
// root (the tests run as root in CI): the capabilities that bypass them are dropped from
// the effective set, and given back after.
class SansPasseDroit {
public:
    SansPasseDroit() {
        ::syscall(SYS_capget, &entete_, avant_);
        __user_cap_data_struct sans[2] = {avant_[0], avant_[1]};
        sans[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
        ::syscall(SYS_capset, &entete_, sans);
    }
    ~SansPasseDroit() { ::syscall(SYS_capset, &entete_, avant_); }

private:
    __user_cap_header_struct entete_{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct avant_[2]{};
};

} // namespace

TEST(ImportModele, tokens) {
    const QDateTime d(QDate(2024, 2, 9), QTime(7, 5, 3), Qt::UTC);
    struct Cas {
        const char* modele;
        bool date;
        const char* attendu;
    } const cas[] = {
        {"%Y/%Y-%m-%d", true, "2024/2024-02-09/"},
        {"%H%M%S_%j", true, "070503_040/"},
        {"%Y/%b", true, "2024/févr./"},
        {"{make}/{model}/{job}/{ext}", true, "Canon/EOS R5/Mariage/CR3/"},
        {"%%Y {unknown}", true, "%Y {unknown}/"},
        // A value that would climb or make a level of its own is made harmless.
        {"../{job}", true, "__/Mariage/"},
        {"{make}/a//b/", true, "Canon/a/b/"},
        // Without a date, the folder named for undated files, never today's.
        {"%Y/%Y-%m-%d", false, "sans date/"},
        {"{make}", false, "sans date/"},
    };
    for (const Cas& c : cas) {
        ValeursModele v{c.date ? std::optional(d) : std::nullopt, "Canon", "EOS R5", "Mariage",
                        "CR3"};
        EXPECT_EQ(dossierDuModele(c.modele, v, kMois, "sans date"), c.attendu) << c.modele;
    }
    ValeursModele v{d, "A/B", "..", "", ""};
    EXPECT_EQ(dossierDuModele("{make}/{model}/{job}", v, kMois, "x"), "A-B/__/");
}

TEST(ImportDecalage, readsOffsets) {
    struct Cas {
        const char* texte;
        bool ok;
        const char* appareil;
        long secondes;
        const char* ecrit;
    } const cas[] = {
        {"EOS R5=+01:30", true, "EOS R5", 5400, "+01:30"},
        {"123456=-00:00:20", true, "123456", -20, "-00:00:20"},
        {"X=+1:30", false, "", 0, ""},
        {"X=01:30", false, "", 0, ""},
        {"=+01:00", false, "", 0, ""},
        {"X=+01:60", false, "", 0, ""},
    };
    for (const Cas& c : cas) {
        const auto d = lireDecalage(c.texte);
        ASSERT_EQ(d.has_value(), c.ok) << c.texte;
        if (!d)
            continue;
        EXPECT_EQ(d->appareil, c.appareil);
        EXPECT_EQ(d->secondes, c.secondes);
        EXPECT_EQ(texteDecalage(d->secondes), c.ecrit);
    }
}

// An offset given for a body's serial goes to that body alone, before one given for its
// model; a body without a serial, or with another, takes its model's.
TEST(ImportDecalages, serialBeforeModel) {
    const std::vector<DecalageHoraire> decalages = {
        {"Canon EOS R", -1800}, {"613040000565", 3600}, {"D70", 60}};
    struct Cas {
        const char *fabricant, *modele, *serie;
        long secondes;
    } const cas[] = {
        {"Canon", "EOS R", "613040000565", 3600},
        {"Canon", "EOS R", "0123456789", -1800},
        {"Canon", "EOS R", "", -1800},
        {"NIKON", "D70", "613040000565", 3600},
        {"NIKON", "D70", "12345678", 60},
        {"Canon", "EOS R6", "12345678", 0},
    };
    for (const Cas& c : cas)
        EXPECT_EQ(decalageDe(decalages, c.fabricant, c.modele, c.serie), c.secondes)
            << c.modele << " " << c.serie;
}

TEST(ImportHistorique, timeZoneSteps) {
    struct Cas {
        long ecart;
        bool meme;
    } const cas[] = {{0, true},     {3600, true},   {-3600, true}, {1800, true}, {-86400, true},
                     {86400, true}, {88200, false}, {60, false},   {2, false},   {5400, true}};
    for (const Cas& c : cas)
        EXPECT_EQ(memeHeureAuFuseauPres(1000000 + c.ecart, 1000000), c.meme) << c.ecart;
}

// The C4 id of the reference example's first generation is the one its chain holds.
TEST(ImportListes, c4OfTheReferenceExample) {
    const std::string dossier =
        std::string(VARLIME_SOURCE_DIR) + "/../../shared/testdata/ascmhl/example/";
    const std::string alt = "/work/shared/testdata/ascmhl/example/";
    const std::string ex = existe(dossier) ? dossier : alt;
    if (!existe(ex))
        GTEST_SKIP() << "skipped: no ASC MHL example at " << ex;
    EXPECT_EQ(
        idC4(readFile(ex + "0001_A002R2EC_2020-01-16_091500Z.mhl")),
        "c43qQABrjeiU3kteaNFtgwufQRLKxgMJEZfNSj6LcZ8fKwB568U8As9eScRsnb64NfqiAYzjNUXs81tAxPB77P"
        "UThb");
    EXPECT_EQ(empreinteOctets("abc"), "06b05ab6733a618578af5f94892f3950");
}

// A second card of the same day goes on after the highest counter of each folder, and
// the plan never gives a name that is there.
TEST(ImportPlan, countersGoOnInEachFolder) {
    Banc b;
    b.photo("100CANON", "IMG_0001.JPG", "Canon_40D.jpg", "a");
    b.photo("100CANON", "IMG_0002.JPG", "Canon_40D.jpg", "b");
    b.photo("101CANON", "IMG_0003.JPG", "Nikon_D70.jpg", "c");
    b.t.write("archive/2008/2008-05-30/Mai_0040.JPG", "old");
    b.t.write("sauvegarde/2008/2008-05-30/Mai_0007.JPG", "old");
    b.t.write("archive/2008/2008-05-30/Autre_0099.JPG", "unrelated");
    OptionsImport o = b.options();
    o.nommage.prefixe = "Mai_";
    o.nommage.largeur = 4;
    EXPECT_EQ(plan(o), (std::vector<std::string>{
                           "IMG_0001.JPG -> 2008/2008-05-30/Mai_0041.JPG",
                           "IMG_0002.JPG -> 2008/2008-05-30/Mai_0042.JPG",
                           "IMG_0003.JPG -> 2008/2008-03-15/Mai_0001.JPG",
                       }));
}

// A camera's clock offset moves its photos' dates for folders and names alike, and only
// that camera's.
TEST(ImportPlan, timeOffsetOfOneCamera) {
    Banc b;
    b.photo("100CANON", "IMG_0001.JPG", "Canon_40D.jpg");
    b.photo("100CANON", "IMG_0002.JPG", "Nikon_D70.jpg");
    OptionsImport o = b.options();
    o.nommage.exif.actif = true;
    o.nommage.exif.ordre = {ItemExif::Date, ItemExif::Heure};
    o.nommage.exif.sansCompteur = true;
    o.decalages = {{"Canon EOS 40D", 8 * 3600 + 4 * 60 + 30}};
    ImportCarte import(o);
    std::string erreur;
    ASSERT_TRUE(import.planifier(&erreur)) << erreur;
    const auto& f = import.plan().fichiers;
    ASSERT_EQ(f.size(), 2u);
    // 2008-05-30 15:56:01 + 8 h 04 min 30 s.
    EXPECT_EQ(f[0].cheminRelatif(), "2008/2008-05-31/20080531_000031.JPG");
    EXPECT_EQ(f[0].decalage, 8 * 3600 + 4 * 60 + 30);
    EXPECT_EQ(f[1].decalage, 0);
    EXPECT_EQ(f[1].dossier, "2008/2008-03-15/");
}

// Already imported, whether the archive copy was renamed since, the card file's time
// moved by a time zone, or the card file renamed (then found by its content).
TEST(ImportRun, alreadyImported) {
    struct Cas {
        const char* nom;
        long decalage;               // the card file's time moved by
        bool renommerArchive;        // the archive copy renamed since
        const char* nouveauNomCarte; // the card file renamed
        bool deja;
    } const cas[] = {
        {"same", 0, false, nullptr, true},
        {"archiveRenamed", 0, true, nullptr, true},
        {"plusOneHour", 3600, false, nullptr, true},
        {"minusOneHour", -3600, true, nullptr, true},
        {"cardRenamed", 0, true, "IMG_9999.JPG", true},
        {"oddShiftReadByContent", 17, false, nullptr, true},
    };
    for (const Cas& c : cas) {
        SCOPED_TRACE(c.nom);
        Banc b;
        const std::string p = b.photo("100CANON", "IMG_0001.JPG");
        b.photo("100CANON", "IMG_0002.JPG", "Nikon_D70.jpg");
        const BilanImport premier = importer(b.options());
        ASSERT_EQ(premier.importes.size(), 2u)
            << (premier.raisons.empty() ? "" : premier.raisons[0]);
        const std::string copie = b.archive + "2008/2008-05-30/IMG_0001.JPG";
        ASSERT_TRUE(existe(copie));
        if (c.renommerArchive) {
            ASSERT_EQ(::rename(copie.c_str(), (b.archive + "renamed.jpg").c_str()), 0);
        }
        if (c.decalage)
            toucher(p, c.decalage);
        if (c.nouveauNomCarte) {
            ASSERT_EQ(::rename(p.c_str(), (b.carte + "100CANON/" + c.nouveauNomCarte).c_str()), 0);
        }
        // A new photo of the same day comes with it.
        b.photo("100CANON", "IMG_0003.JPG", "Canon_40D.jpg", "new");
        const BilanImport second = importer(b.options());
        EXPECT_EQ(second.dejaImportes.size(), 2u);
        ASSERT_EQ(second.importes.size(), 1u);
        EXPECT_TRUE(second.echecs.empty());
        EXPECT_TRUE(existe(b.sauvegarde + "2008/2008-05-30/IMG_0003.JPG"));
    }
}

// Two slots of a dual-slot camera wrote the same photos: each is imported once.
TEST(ImportRun, dualSlotDuplicatesOnce) {
    Banc b;
    b.photo("100CANON", "IMG_0001.JPG", "Canon_40D.jpg", "1");
    b.photo("100CANON", "IMG_0002.JPG", "Canon_40D.jpg", "2");
    b.photo("200CANON", "IMG_0001.JPG", "Canon_40D.jpg", "1");
    b.photo("200CANON", "IMG_0002.JPG", "Canon_40D.jpg", "2");
    OptionsImport o = b.options();
    o.nommage.prefixe = "P";
    EXPECT_EQ(plan(o), (std::vector<std::string>{
                           "IMG_0001.JPG -> 2008/2008-05-30/P001.JPG",
                           "IMG_0002.JPG -> 2008/2008-05-30/P002.JPG",
                           "IMG_0001.JPG -> 2008/2008-05-30/IMG_0001.JPG [doublon]",
                           "IMG_0002.JPG -> 2008/2008-05-30/IMG_0002.JPG [doublon]",
                       }));
    const BilanImport bilan = importer(o);
    EXPECT_EQ(bilan.importes.size(), 2u);
    EXPECT_EQ(bilan.doublons, (std::vector<std::string>{b.carte + "200CANON/IMG_0001.JPG",
                                                        b.carte + "200CANON/IMG_0002.JPG"}));
}

// A byte flipped in one backup file between its write and its read-back: that file
// fails and is not recorded; with --move only what every destination verified leaves
// the card; the next run finishes it.
TEST(ImportRun, backupFailingVerificationAndMove) {
    Banc b;
    b.photo("100CANON", "IMG_0001.JPG", "Canon_40D.jpg", "1");
    b.photo("100CANON", "IMG_0002.JPG", "Canon_40D.jpg", "2");
    b.photo("100CANON", "IMG_0003.JPG", "Nikon_D70.jpg", "3");
    OptionsImport o = b.options();
    o.deplacer = true;
    int sauvegardes = 0;
    const BilanImport bilan = importer(o, [&](const std::string& dest) {
        // The written file may be unnamed yet: its descriptor's link tells its folder.
        char lien[4096] = {};
        const bool proc = dest.starts_with("/proc/");
        if (proc && ::readlink(dest.c_str(), lien, sizeof lien - 1) < 0)
            return;
        if ((proc ? std::string(lien) : dest).find("/sauvegarde/") == std::string::npos ||
            ++sauvegardes != 2)
            return;
        const int fd = ::open(dest.c_str(), O_RDWR);
        ASSERT_GE(fd, 0) << dest;
        char octet = 0;
        ASSERT_EQ(::pread(fd, &octet, 1, 100), 1);
        octet ^= 0x20;
        ASSERT_EQ(::pwrite(fd, &octet, 1, 100), 1);
        ::close(fd);
    });
    ASSERT_EQ(bilan.echecs, std::vector<std::string>{b.carte + "100CANON/IMG_0002.JPG"});
    EXPECT_EQ(bilan.raisons[0].substr(0, 7), "verify:") << bilan.raisons[0];
    EXPECT_EQ(bilan.importes.size(), 2u);
    EXPECT_FALSE(bilan.reussi());
    EXPECT_FALSE(existe(b.sauvegarde + "2008/2008-05-30/IMG_0002.JPG"))
        << "the bad copy is removed";
    // Deleted from the card: exactly the files every destination verified.
    EXPECT_EQ(bilan.effaces, bilan.importes);
    EXPECT_TRUE(existe(bilan.echecs[0]));
    for (const std::string& e : bilan.effaces)
        EXPECT_FALSE(existe(e)) << e;
    // The next run imports what failed, under the name it was given, and only that.
    const BilanImport reprise = importer(o);
    EXPECT_EQ(reprise.importes, bilan.echecs);
    EXPECT_TRUE(reprise.echecs.empty()) << reprise.raisons[0];
    EXPECT_EQ(reprise.effaces, bilan.echecs);
    EXPECT_EQ(readFile(b.sauvegarde + "2008/2008-05-30/IMG_0002.JPG"),
              readFile(b.archive + "2008/2008-05-30/IMG_0002.JPG"));
}

// A history that is no database is refused with its path, and left as it was.
TEST(ImportHistorique, damagedIsRefusedNeverRecreated) {
    Banc b;
    b.photo("100CANON", "IMG_0001.JPG");
    // A real header, then no database.
    static const char kEntete[] = "SQLite format 3\0garbage garbage garbage";
    b.t.write("historique.sqlite",
              std::string(kEntete, sizeof kEntete - 1) + std::string(4000, 'x'));
    const std::string avant = b.t.read("historique.sqlite");
    ImportCarte import(b.options());
    std::string erreur;
    EXPECT_FALSE(import.planifier(&erreur));
    EXPECT_EQ(erreur.rfind("history:" + b.t.path() + "historique.sqlite", 0), 0u) << erreur;
    EXPECT_EQ(b.t.read("historique.sqlite"), avant);
    EXPECT_FALSE(existe(b.archive));
}

// FAT32 and exFAT destinations (the camera card's own file systems, and the external
// drives'): the import works there, and a folder name they cannot hold is a clear
// failure, never a changed name.
class ImportFat : public ::testing::TestWithParam<SystemeCarte> {};

TEST_P(ImportFat, destinationOnCardFileSystem) {
    ImageCarte disque(GetParam());
    if (!disque.ok())
        GTEST_SKIP() << "skipped: " << disque.reason();
    Banc b;
    b.photo("100CANON", "IMG_0001.JPG", "Canon_40D.jpg", "1");
    b.photo("100CANON", "IMG_0002.JPG", "Nikon_D70.jpg", "2");
    OptionsImport o = b.options();
    o.sauvegardes = {disque.racine() + "Photos"};
    const BilanImport bilan = importer(o);
    EXPECT_EQ(bilan.importes.size(), 2u) << (bilan.raisons.empty() ? "" : bilan.raisons[0]);
    EXPECT_TRUE(existe(disque.racine() + "Photos/2008/2008-05-30/IMG_0001.JPG"));
    b.photo("100CANON", "IMG_0003.JPG", "Canon_40D.jpg", "3");
    o.modeleDossiers = "{job}";
    o.travail = "a:b?";
    const BilanImport refus = importer(o);
    ASSERT_EQ(refus.echecs.size(), 1u);
    EXPECT_EQ(refus.raisons[0].substr(0, 5), "name:") << refus.raisons[0];
    EXPECT_FALSE(existe(disque.racine() + "Photos/a_b_"));
    // A photo larger than the disk: the import stops and names the full disk.
    o.modeleDossiers = "%Y";
    o.travail.clear();
    b.photo("100CANON", "IMG_0004.JPG", "Nikon_D70.jpg", std::string(70u << 20, 'z'));
    const BilanImport plein = importer(o);
    std::string racine = disque.racine();
    racine.pop_back();
    EXPECT_EQ(plein.erreur, "full:" + racine) << (plein.raisons.empty() ? "" : plein.raisons[0]);
    EXPECT_EQ(plein.importes, std::vector<std::string>{b.carte + "100CANON/IMG_0003.JPG"});
    EXPECT_EQ(plein.echecs, std::vector<std::string>{b.carte + "100CANON/IMG_0004.JPG"});
    EXPECT_FALSE(existe(disque.racine() + "Photos/2008/IMG_0004.JPG"));
}

INSTANTIATE_TEST_SUITE_P(Systemes, ImportFat,
                         ::testing::Values(SystemeCarte::Fat32, SystemeCarte::ExFat),
                         [](const auto& i) { return std::string(nomSysteme(i.param)); });

// A card file that cannot be read fails alone, is counted with the reason, leaves nothing
// in any destination, and is imported by the next run once it reads again.
TEST(ImportRun, unreadableCardFileFailsAlone) {
    struct Cas {
        const char* nom;
        bool interdit;      // chmod 000 (read without the right to pass it)
        bool erreurEnCours; // a read error after its first block
    } const cas[] = {
        {"permissionDenied", true, false},
        {"readErrorMidFile", false, true},
    };
    for (const Cas& c : cas) {
        SCOPED_TRACE(c.nom);
        Banc b;
        b.photo("100CANON", "IMG_0001.JPG", "Canon_40D.jpg", "1");
        const std::string mauvais =
            b.photo("100CANON", "IMG_0002.JPG", "Canon_40D.jpg", std::string(3 << 20, 'x'));
        b.photo("100CANON", "IMG_0003.JPG", "Nikon_D70.jpg", "3");
        if (c.interdit) {
            ASSERT_EQ(::chmod(mauvais.c_str(), 0), 0);
        }
        // The card gives an error on the next read of that file: its descriptor now
        // stands for a folder.
        const int dossier = ::open("/", O_RDONLY | O_DIRECTORY);
        if (c.erreurEnCours)
            definirCrochetCopie([&](EtapeCopie etape, int fd) {
                char lien[4096] = {};
                if (etape == EtapeCopie::SourceEntamee &&
                    ::readlink(("/proc/self/fd/" + std::to_string(fd)).c_str(), lien,
                               sizeof lien - 1) > 0 &&
                    std::string(lien) == mauvais)
                    ::dup2(dossier, fd);
            });
        BilanImport bilan;
        {
            SansPasseDroit sans;
            bilan = importer(b.options());
        }
        definirCrochetCopie({});
        ::close(dossier);
        ASSERT_EQ(bilan.echecs, std::vector<std::string>{mauvais});
        EXPECT_EQ(bilan.raisons[0].substr(0, 5), "read:") << bilan.raisons[0];
        EXPECT_EQ(bilan.importes, (std::vector<std::string>{b.carte + "100CANON/IMG_0001.JPG",
                                                            b.carte + "100CANON/IMG_0003.JPG"}));
        EXPECT_FALSE(bilan.reussi());
        for (const std::string& d : {b.archive, b.sauvegarde})
            for (const std::string& nom : arbre(d))
                EXPECT_EQ(nom.find("IMG_0002"), std::string::npos) << d << nom;
        // Readable again: the next run imports that file, and only it.
        ASSERT_EQ(::chmod(mauvais.c_str(), 0644), 0);
        const BilanImport reprise = importer(b.options());
        EXPECT_EQ(reprise.importes, std::vector<std::string>{mauvais});
        EXPECT_EQ(reprise.dejaImportes.size(), 2u);
        EXPECT_EQ(readFile(b.sauvegarde + "2008/2008-05-30/IMG_0002.JPG"), readFile(mauvais));
    }
}

// A RAW file and the JPEG the camera wrote with it (the same name stem, the same capture
// time) are filed into one folder under one new stem, in the archive and the backup,
// and the sidecar follows the RAW file.
TEST(ImportRun, rawAndJpegPairKeepOneStem) {
    struct Cas {
        const char* raw;      // a real RAW sample
        const char* jpeg;     // a real JPEG whose capture time is set to the RAW's
        const char* dateJpeg; // as its EXIF holds it
        const char* dateRaw;
        const char* attendu; // the pair's path without extension
    } const cas[] = {
        {"CanonRaw.cr2", "Canon_40D.jpg", "2008:05:30 15:56:01", "2005:08:03 18:59:18",
         "2005/2005-08-03/20050803_185918_001"},
        {"Nikon.nef", "Nikon_D70.jpg", "2008:03:15 09:52:01", "2004:06:09 16:02:35",
         "2004/2004-06-09/20040609_160235_001"},
    };
    for (const Cas& c : cas) {
        SCOPED_TRACE(c.raw);
        Banc b;
        const std::string raw = c.raw;
        const std::string ext = raw.substr(raw.rfind('.') + 1);
        std::string jpeg = readFile(photosDir() + c.jpeg);
        ASSERT_NE(jpeg.find(c.dateJpeg), std::string::npos);
        for (auto pos = jpeg.find(c.dateJpeg); pos != std::string::npos;
             pos = jpeg.find(c.dateJpeg, pos))
            jpeg.replace(pos, std::string_view(c.dateRaw).size(), c.dateRaw);
        b.t.write("carte/DCIM/100CANON/IMG_0001." + ext, readFile(photosDir() + "../raw/" + c.raw));
        b.t.write("carte/DCIM/100CANON/IMG_0001.JPG", jpeg);
        b.t.write("carte/DCIM/100CANON/IMG_0001.xmp", "<x/>");
        // A photo of another day on the same card.
        b.photo("100CANON", "IMG_0002.JPG", "DSCN0010.jpg");
        OptionsImport o = b.options();
        o.nommage.exif.actif = true;
        o.nommage.exif.ordre = {ItemExif::Date, ItemExif::Heure};
        const BilanImport bilan = importer(o);
        EXPECT_EQ(bilan.importes.size(), 4u) << (bilan.raisons.empty() ? "" : bilan.raisons[0]);
        const std::string a = c.attendu;
        for (const std::string& d : {b.archive, b.sauvegarde}) {
            EXPECT_EQ(readFile(d + a + "." + ext), readFile(photosDir() + "../raw/" + c.raw)) << d;
            EXPECT_EQ(readFile(d + a + ".JPG"), jpeg) << d;
            EXPECT_EQ(readFile(d + a + ".xmp"), "<x/>") << d;
        }
    }
}

// A backup added later: what the archive alone holds is copied from the card into the
// new backup, verified, and counted as imported; a third run skips it everywhere. The
// archive's copy is left as it is.
TEST(ImportRun, backupAddedLater) {
    struct Cas {
        const char* nom;
        const char* nouveauNomCarte;    // the card file renamed before the second run
        const char* dejaDansSauvegarde; // what the backup holds there beforehand
        bool echec;                     // that file then fails, the other goes on
    } const cas[] = {
        {"byNameSizeAndTime", nullptr, nullptr, false},
        {"cardFileRenamedFoundByContent", "IMG_0100.JPG", nullptr, false},
        {"sameCopyPutThereByHand", nullptr, "copy", false},
        {"anotherFileThere", nullptr, "other", true},
    };
    for (const Cas& c : cas) {
        SCOPED_TRACE(c.nom);
        Banc b;
        const std::string p1 = b.photo("100CANON", "IMG_0001.JPG", "Canon_40D.jpg", "1");
        b.photo("100CANON", "IMG_0002.JPG", "Nikon_D70.jpg", "2");
        OptionsImport seule = b.options();
        seule.sauvegardes.clear();
        seule.nommage.prefixe = "Mai_";
        ASSERT_EQ(importer(seule).importes.size(), 2u);
        const std::string copie = "2008/2008-05-30/Mai_001.JPG";
        struct stat avant {};
        ASSERT_EQ(::stat((b.archive + copie).c_str(), &avant), 0);
        ASSERT_FALSE(existe(b.sauvegarde));
        if (c.nouveauNomCarte) {
            ASSERT_EQ(::rename(p1.c_str(), (b.carte + "100CANON/" + c.nouveauNomCarte).c_str()), 0);
        }
        if (c.dejaDansSauvegarde)
            b.t.write("sauvegarde/" + copie, std::string(c.dejaDansSauvegarde) == "copy"
                                                 ? readFile(b.archive + copie)
                                                 : std::string("other"));
        OptionsImport avec = seule;
        avec.sauvegardes = {b.sauvegarde};
        // Planned under the path the archive holds, not named afresh.
        const std::string ligne = plan(avec)[c.nouveauNomCarte ? 1 : 0];
        EXPECT_EQ(ligne.substr(ligne.find(" -> ")), " -> " + copie);
        const BilanImport second = importer(avec);
        EXPECT_TRUE(second.dejaImportes.empty());
        EXPECT_EQ(second.importes.size(), c.echec ? 1u : 2u);
        EXPECT_EQ(second.echecs.size(), c.echec ? 1u : 0u);
        if (c.echec) {
            EXPECT_EQ(second.raisons[0], "exists:" + b.sauvegarde + copie);
            EXPECT_EQ(readFile(b.sauvegarde + copie), "other");
        } else {
            EXPECT_EQ(readFile(b.sauvegarde + copie), readFile(b.archive + copie));
        }
        EXPECT_EQ(readFile(b.sauvegarde + "2008/2008-03-15/Mai_001.JPG"),
                  readFile(b.archive + "2008/2008-03-15/Mai_001.JPG"));
        // The archive's copy is the very file it was.
        struct stat apres {};
        ASSERT_EQ(::stat((b.archive + copie).c_str(), &apres), 0);
        EXPECT_EQ(apres.st_ino, avant.st_ino);
        EXPECT_EQ(apres.st_mtim.tv_nsec, avant.st_mtim.tv_nsec);
        // The backup's list holds what it verified.
        const std::string liste = readFile(b.sauvegarde + kListeSimple);
        EXPECT_NE(liste.find("2008/2008-03-15/Mai_001.JPG"), std::string::npos) << liste;
        EXPECT_EQ(liste.find(copie) != std::string::npos, !c.echec) << liste;
        // Then skipped everywhere; what failed is tried again.
        const BilanImport troisieme = importer(avec);
        EXPECT_EQ(troisieme.dejaImportes.size(), c.echec ? 1u : 2u);
        EXPECT_TRUE(troisieme.importes.empty());
        EXPECT_EQ(troisieme.echecs.size(), c.echec ? 1u : 0u);
    }
}

// A film of several GB shows its progress while it is copied, not only once done, and a
// stop asked half way leaves nothing under its name; the next run imports it.
TEST(ImportRun, progressAndStopWithinALargeFile) {
    const std::int64_t taille = 8 << 20;
    for (bool arreter : {false, true}) {
        SCOPED_TRACE(arreter ? "stopped" : "to the end");
        Banc b;
        b.photo("100CANON", "IMG_0001.JPG", "Canon_40D.jpg", "1");
        const std::string film =
            b.photo("100CANON", "IMG_0002.JPG", "Nikon_D70.jpg", std::string(taille, 'f'));
        b.photo("100CANON", "IMG_0003.JPG", "Canon_40D.jpg", "3");
        ImportCarte import(b.options());
        std::string erreur;
        ASSERT_TRUE(import.planifier(&erreur)) << erreur;
        std::int64_t avant = -1, pendant = 0, dernier = -1;
        SuiviImport suivi;
        suivi.progression = [&](const ProgressionImport& p) {
            // Never backwards while files go (a stopped file's bytes leave the last count).
            if (!p.fichier.empty()) {
                EXPECT_GE(p.octetsFaits, dernier);
            }
            dernier = p.octetsFaits;
            if (p.fichier != film)
                return;
            if (avant < 0)
                avant = p.octetsFaits;
            else if (p.octetsFaits > avant)
                ++pendant;
            if (arreter && p.octetsFaits > avant + taille / 2)
                import.arreter();
        };
        const BilanImport bilan = import.executer(suivi);
        EXPECT_GE(pendant, 8) << "steps told within the film";
        if (!arreter) {
            EXPECT_TRUE(bilan.reussi());
            EXPECT_EQ(bilan.importes.size(), 3u);
            continue;
        }
        EXPECT_TRUE(bilan.interrompu);
        EXPECT_TRUE(bilan.echecs.empty());
        EXPECT_EQ(bilan.restants, 2);
        for (const std::string& d : {b.archive, b.sauvegarde})
            EXPECT_EQ(arbre(d + "2008/"), std::vector<std::string>{"2008-05-30/IMG_0001.JPG"});
    }
}
