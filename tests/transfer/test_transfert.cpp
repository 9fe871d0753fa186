// SPDX-License-Identifier: GPL-3.0-or-later
// The copy and move run on real files: what it copies, what it refuses, what a move
// deletes and never deletes, and the lines and messages it shows.
#include "platform/fileSystem.h"
#include "support/test_support.h"
#include "transfer/transfert.h"

#include <algorithm>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace varlime;
using namespace varlime::test;

namespace {

// Records what a run shows, one line a call.
class Journal : public SortieTransfert {
public:
    void basculerBoutons(bool enCours) override { lignes.push_back(enCours ? "[run]" : "[idle]"); }
    void initialiserMessage(const std::string& t) override { lignes.push_back("title " + t); }
    void afficherAvancement(int n, const std::string& l) override {
        lignes.push_back(l);
        if (n == interrompreA && transfert)
            transfert->interrompre();
    }
    void fermer() override { lignes.push_back("[close]"); }
    void afficherMessage(const std::string& t) override { lignes.push_back("message " + t); }
    // The result's icon: an information for a run that did all it had to, else a warning.
    void afficherResultat(const std::string& t, bool reussite) override {
        lignes.push_back((reussite ? "info " : "warn ") + t);
    }
    bool confirmerEffacement(int n, const std::string&) override {
        lignes.push_back("confirm " + std::to_string(n));
        return !refuserEffacement;
    }
    void recompter() override { lignes.push_back("[recount]"); }
    std::vector<std::string> lignes;
    bool refuserEffacement = false;
    int interrompreA = -1;
    TransfertPhotos* transfert = nullptr;
};

// Names in a folder, sorted bytewise.
std::vector<std::string> nomsDans(const std::string& dossier) {
    std::vector<std::string> out;
    for (const auto& e : std::filesystem::directory_iterator(dossier))
        out.push_back(e.path().filename().string());
    std::sort(out.begin(), out.end());
    return out;
}

std::vector<std::string> numerotes(const std::string& prefixe, int n, const std::string& ext) {
    std::vector<std::string> out;
    for (int i = 1; i <= n; ++i)
        out.push_back(prefixe + (i < 10 ? "0" : "") + std::to_string(i) + ext);
    return out;
}

std::vector<std::string> progression(const std::string& texte, int jusqua,
                                     const std::string& total) {
    std::vector<std::string> out;
    for (int i = 1; i <= jusqua; ++i)
        out.push_back(std::to_string(i) + " " + texte + total);
    return out;
}

std::vector<std::string> joindre(std::initializer_list<std::vector<std::string>> parts) {
    std::vector<std::string> out;
    for (const auto& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

const std::string kErreurCopie =
    "fichiers n'ont pu être copiés\nEffacez les fichiers du répertoire de destination portant un "
    "nom identique";
const std::string kErreurDeplacement = "Certains fichiers n'ont pu être déplacés.\r\nLes fichiers "
                                       "n'ont pas été effacés du répertoire source.";

struct Cas {
    const char* nom;
    std::vector<std::string> source; // files under src/ (the file's text is its own path)
    std::vector<std::string> dejaLa; // files already in the target (text "old")
    std::string dossierSource;       // relative to src/
    bool deplacement;
    int interrompreA;
    std::vector<std::string> journal;
    std::vector<std::string> cibleAttendue; // names in the target afterwards (when known)
    std::size_t nbCible;                    // how many files the target gets
    int resteSource;                        // files left under the source folder
    bool refuserEffacement = false;         // "No" to the question before deleting
};

TEST(Transfert, RunsAsTheDialogShowsThem) {
    const auto douze = numerotes("IMG_", 12, ".JPG");
    const std::string copie = "fichiers copiés /", depl = "fichiers déplacés /";
    const std::vector<Cas> cas = {
        {"copy/12-files",
         douze,
         {},
         "",
         false,
         -1,
         joindre({{"[run]", "title Copie des fichiers (12)"},
                  progression(copie, 12, "12"),
                  {"[close]", "[idle]", "info 12 fichiers ont été copiés", "[recount]"}}),
         douze,
         12,
         12},
        {"copy/3-already-there",
         douze,
         {"IMG_02.JPG", "IMG_05.JPG", "IMG_11.JPG"},
         "",
         false,
         -1,
         joindre({{"[run]", "title Copie des fichiers (12)"},
                  progression(copie, 9, "12"),
                  {"[close]", "warn 9 fichiers ont été copiés\n3 " + kErreurCopie, "[idle]",
                   "[recount]"}}),
         douze,
         12,
         12},
        {"move/one-failure-keeps-every-source-file",
         douze,
         {"IMG_07.JPG"},
         "",
         true,
         -1,
         joindre({{"[run]", "title Déplacement des fichiers (12)"},
                  progression(copie, 11, "12"),
                  {"[close]", "warn 11 fichiers ont été copiés\n1 " + kErreurCopie, "[idle]",
                   "warn " + kErreurDeplacement, "[recount]"}}),
         douze,
         12,
         12},
        {"move/no-failure",
         douze,
         {},
         "",
         true,
         -1,
         joindre({{"[run]", "title Déplacement des fichiers (12)"},
                  progression(copie, 12, "12"),
                  {"[close]", "confirm 12", "title Déplacement des fichiers (12)"},
                  progression(depl, 12, "12"),
                  {"[close]", "[idle]", "info 12 fichiers ont été transférés", "[recount]"}}),
         douze,
         12,
         0},
        {"move/interrupted-deletes-nothing",
         douze,
         {},
         "",
         true,
         5,
         joindre({{"[run]", "title Déplacement des fichiers (12)"},
                  progression(copie, 5, "12"),
                  {"[close]", "[idle]",
                   "warn Transfert interrompu.\n5 fichiers ont été copiés\n7 fichiers n'ont pas "
                   "été traités\nAucun fichier n'a été effacé du répertoire source.",
                   "[recount]"}}),
         {},
         5,
         12},
        {"move/declined-keeps-the-card",
         douze,
         {},
         "",
         true,
         -1,
         joindre({{"[run]", "title Déplacement des fichiers (12)"},
                  progression(copie, 12, "12"),
                  {"[close]", "confirm 12", "[idle]",
                   "info 12 fichiers ont été copiés\nAucun fichier n'a été effacé du répertoire "
                   "source.",
                   "[recount]"}}),
         douze,
         12,
         12,
         true},
        {"dcim/same-name-in-two-subfolders",
         {"DCIM/100CANON/IMG_1.JPG", "DCIM/101CANON/IMG_1.JPG", "DCIM/101CANON/IMG_2.CR2"},
         {},
         "DCIM",
         false,
         -1,
         joindre({{"[run]", "title Copie des fichiers (3)"},
                  progression(copie, 2, "3"),
                  {"[close]", "warn 2 fichiers ont été copiés\n1 " + kErreurCopie, "[idle]",
                   "[recount]"}}),
         {"IMG_1.JPG", "IMG_2.CR2"},
         2,
         3},
        {"dcim/only-pictures-and-films",
         {"DCIM/100/a.jpg", "DCIM/100/b.Mov", "DCIM/100/notes.txt", "DCIM/100/README",
          "DCIM/.c.JPG"},
         {},
         "DCIM",
         true,
         -1,
         joindre({{"[run]", "title Déplacement des fichiers (2)"},
                  progression(copie, 2, "2"),
                  {"[close]", "confirm 2", "title Déplacement des fichiers (2)"},
                  progression(depl, 2, "2"),
                  {"[close]", "[idle]", "info 2 fichiers ont été transférés", "[recount]"}}),
         {"a.jpg", "b.Mov"},
         2,
         3},
        {"plain/subfolders-and-dot-files-left-alone",
         {"a.txt", "b.jpg", ".hidden.jpg", "sub/c.jpg", "DCIM/d.jpg"},
         {},
         "",
         false,
         -1,
         joindre({{"[run]", "title Copie des fichiers (2)"},
                  progression(copie, 2, "2"),
                  {"[close]", "[idle]", "info 2 fichiers ont été copiés", "[recount]"}}),
         {"a.txt", "b.jpg"},
         2,
         5},
    };
    for (const Cas& c : cas) {
        SCOPED_TRACE(c.nom);
        TempDir d;
        for (const auto& f : c.source)
            d.write("src/" + f, "photo " + f);
        for (const auto& f : c.dejaLa)
            d.write("dst/" + f, "old");
        d.write("dst/.keep");
        const std::string source = d.path() + "src/" + c.dossierSource;
        const bool apn = Dcim(source);
        const std::string total = std::to_string(Comptabilise_fichiers(apn, source, apn));
        TransfertPhotos t(source, d.path() + "dst", c.deplacement);
        Journal j;
        j.interrompreA = c.interrompreA;
        j.refuserEffacement = c.refuserEffacement;
        j.transfert = &t;
        t.executer(total, defaultMessages(), j);
        EXPECT_EQ(j.lignes, c.journal);

        std::vector<std::string> cible;
        for (const auto& n : nomsDans(d.path() + "dst"))
            if (n != ".keep")
                cible.push_back(n);
        auto attendue = c.cibleAttendue;
        std::sort(attendue.begin(), attendue.end());
        EXPECT_EQ(cible.size(), c.nbCible);
        if (!attendue.empty()) {
            EXPECT_EQ(cible, attendue);
        }
        int reste = 0;
        for (const auto& f : c.source)
            if (d.exists("src/" + f)) {
                ++reste;
                EXPECT_EQ(d.read("src/" + f), "photo " + f);
            }
        EXPECT_EQ(reste, c.resteSource);
        // What was there before is never touched; what was copied is whole.
        for (const auto& f : c.dejaLa)
            EXPECT_EQ(d.read("dst/" + f), "old");
        for (const auto& f : c.source) {
            const std::string nom =
                f.substr(f.rfind('/') == std::string::npos ? 0 : f.rfind('/') + 1);
            if (d.exists("dst/" + nom) &&
                std::find(c.dejaLa.begin(), c.dejaLa.end(), nom) == c.dejaLa.end()) {
                EXPECT_EQ(d.read("dst/" + nom).rfind("photo ", 0), 0u) << nom;
            }
        }
    }
}

TEST(Transfert, CopyKeepsTimeAndPermissionsAndLeavesNoTemporaryFile) {
    TempDir d;
    const std::string a = d.write("src/a.jpg", std::string(3 << 20, 'p')); // more than one buffer
    const std::string b = d.write("src/b.jpg", "");
    ::chmod(a.c_str(), 0640);
    ::chmod(b.c_str(), 0444);
    const struct timespec t[2] = {{1000000000, 0}, {1234567890, 123456789}};
    ::utimensat(AT_FDCWD, a.c_str(), t, 0);
    d.write("dst/.keep");
    TransfertPhotos run(d.path() + "src/", d.path() + "dst/", false);
    EXPECT_EQ(run.copierFichiers(nullptr), 0);
    EXPECT_EQ(nomsDans(d.path() + "dst"), (std::vector<std::string>{".keep", "a.jpg", "b.jpg"}));
    struct stat st;
    ASSERT_EQ(::stat((d.path() + "dst/a.jpg").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(st.st_mtim.tv_sec, 1234567890);
    EXPECT_EQ(st.st_mtim.tv_nsec, 123456789);
    EXPECT_EQ(st.st_size, 3 << 20);
    EXPECT_EQ(d.read("dst/a.jpg"), std::string(3 << 20, 'p'));
    ASSERT_EQ(::stat((d.path() + "dst/b.jpg").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0444u);
}

TEST(Transfert, LeftoverTemporaryFilesGoUnlessARunHoldsThem) {
    TempDir d;
    d.write("src/a.jpg", "a");
    const std::string abandonne = std::string(kPrefixeTemporaire) + "99999-1.tmp";
    const std::string tenu = std::string(kPrefixeTemporaire) + "99999-2.tmp";
    d.write("dst/" + abandonne, "partial");
    d.write("dst/" + tenu, "partial");
    // A pipe under such a name is no file of ours: it is neither waited on nor removed.
    const std::string tuyau = std::string(kPrefixeTemporaire) + "99999-3.tmp";
    ASSERT_EQ(::mkfifo((d.path() + "dst/" + tuyau).c_str(), 0600), 0);
    // Another run still writing keeps its file locked.
    const int fd = ::open((d.path() + "dst/" + tenu).c_str(), O_RDONLY);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);
    TransfertPhotos run(d.path() + "src/", d.path() + "dst/", false);
    EXPECT_EQ(run.copierFichiers(nullptr), 0);
    ::close(fd);
    EXPECT_EQ(nomsDans(d.path() + "dst"), (std::vector<std::string>{tenu, tuyau, "a.jpg"}));
}

TEST(Transfert, DeleteOnlyWhatIsStillTheCopiedFile) {
    struct Cas {
        const char* nom;
        std::function<void(const TempDir&)> entreDeux; // between the copy and the delete phase
        std::vector<std::string> resteSource;
        int erreurs;
    };
    const std::vector<Cas> cas = {
        {"nothing-changed", [](const TempDir&) {}, {}, 0},
        {"source-rewritten",
         [](const TempDir& d) { d.write("src/b.jpg", "other bytes"); },
         {"b.jpg"},
         1},
        {"copy-truncated",
         [](const TempDir& d) { ::truncate((d.path() + "dst/a.jpg").c_str(), 1); },
         {"a.jpg"},
         1},
        {"copy-replaced",
         [](const TempDir& d) {
             ::unlink((d.path() + "dst/c.jpg").c_str());
             d.write("dst/c.jpg", "photo c");
         },
         {"c.jpg"},
         1},
        {"new-file-in-source", [](const TempDir& d) { d.write("src/d.jpg", "new"); }, {"d.jpg"}, 0},
        // Rewritten in place with its size and dates put back (as `touch -r` or a tool
        // that keeps dates does): only its change time tells, and it stays.
        {"source-rewritten-dates-put-back",
         [](const TempDir& d) {
             const std::string b = d.path() + "src/b.jpg";
             struct stat avant, sonde;
             ASSERT_EQ(::stat(b.c_str(), &avant), 0);
             // The clock must have moved on from the file's change time first.
             do {
                 d.write("sonde", "x");
                 ASSERT_EQ(::stat((d.path() + "sonde").c_str(), &sonde), 0);
             } while (sonde.st_ctim.tv_sec == avant.st_ctim.tv_sec &&
                      sonde.st_ctim.tv_nsec == avant.st_ctim.tv_nsec);
             const int fd = ::open(b.c_str(), O_WRONLY);
             ASSERT_EQ(::pwrite(fd, "PHOTO b", 7, 0), 7);
             ::close(fd);
             const struct timespec t[2] = {avant.st_atim, avant.st_mtim};
             ASSERT_EQ(::utimensat(AT_FDCWD, b.c_str(), t, 0), 0);
         },
         {"b.jpg"},
         1},
        // Protected in the camera: read-only on the card, so it stays.
        {"source-protected",
         [](const TempDir& d) { ::chmod((d.path() + "src/a.jpg").c_str(), 0444); },
         {"a.jpg"},
         1},
    };
    for (const Cas& c : cas) {
        SCOPED_TRACE(c.nom);
        TempDir d;
        for (const char* n : {"a.jpg", "b.jpg", "c.jpg"})
            d.write(std::string("src/") + n, std::string("photo ") + n[0]);
        d.write("dst/.keep");
        TransfertPhotos run(d.path() + "src", d.path() + "dst", true);
        ASSERT_EQ(run.copierFichiers(nullptr), 0);
        c.entreDeux(d);
        EXPECT_EQ(run.effacerFichiers(nullptr), c.erreurs);
        EXPECT_EQ(nomsDans(d.path() + "src"), c.resteSource);
    }
}

TEST(Transfert, RefusesTargetsInTheWalk) {
    TempDir d;
    d.write("card/DCIM/100/a.jpg");
    d.write("plain/sub/a.jpg");
    const std::string p = d.path();
    struct Cas {
        std::string source, cible;
        RefusTransfert attendu;
    };
    const std::vector<Cas> cas = {
        {p + "card/DCIM", p + "plain", RefusTransfert::Aucun},
        {p + "plain", p + "plain/sub", RefusTransfert::Aucun}, // subfolders are not walked
        {p + "missing", p + "plain", RefusTransfert::DossierInvalide},
        {p + "plain", p + "missing", RefusTransfert::DossierInvalide},
        {"", p + "plain", RefusTransfert::DossierInvalide},
        {p + "plain", "Répertoire cible", RefusTransfert::DossierInvalide},
        {p + "plain", p + "plain/", RefusTransfert::CibleDansSource},
        {p + "plain", p + "plain/sub/..", RefusTransfert::CibleDansSource},
        {p + "card/DCIM/", p + "card/DCIM/100", RefusTransfert::CibleDansSource},
        {p + "card/DCIM", p + "card", RefusTransfert::Aucun},
    };
    for (const Cas& c : cas)
        EXPECT_EQ(verifierDossiers(c.source, c.cible), c.attendu) << c.source << " -> " << c.cible;
    // A refused run copies nothing and counts the refusal as a failure.
    TransfertPhotos run(p + "card/DCIM", p + "card/DCIM/100", true);
    EXPECT_EQ(run.copierFichiers(nullptr), 1);
    EXPECT_EQ(nomsDans(p + "card/DCIM/100"), std::vector<std::string>{"a.jpg"});
}

TEST(CameraFolder, NamesAndFiles) {
    struct Cas {
        const char* chemin;
        bool dcim;
    };
    for (const Cas& c : std::initializer_list<Cas>{{"/media/card/DCIM", true},
                                                   {"/media/card/dcim/", true},
                                                   {"/home/p/Photos/DCIM/", true},
                                                   {"/media/card/DCIM/100CANON/", false},
                                                   {"/media/card/DCIM2", false},
                                                   {"DCI", false},
                                                   {"", false}})
        EXPECT_EQ(Dcim(c.chemin), c.dcim) << c.chemin;
    struct Fichier {
        const char* nom;
        bool apn, plain;
    };
    for (const Fichier& f : std::initializer_list<Fichier>{{"IMG_1.JPG", true, true},
                                                           {"img.jpeg", true, true},
                                                           {"a.Cr2", true, true},
                                                           {"MVI_1.mov", true, true},
                                                           {"a.tar.nef", true, true},
                                                           {"notes.txt", false, true},
                                                           {"JPG", true, true},
                                                           {"IMG_2.CR3", true, true},
                                                           {"IMG_3.heic", true, true},
                                                           {"clip.MP4", true, true},
                                                           {"IMG_2.CR3.xmp", false, true},
                                                           {"a.jpg.bak", false, true}})
        EXPECT_EQ(std::make_pair(Fichier_a_copier(f.nom, true), Fichier_a_copier(f.nom, false)),
                  std::make_pair(f.apn, f.plain))
            << f.nom;
}

// A copy walks the card in name order, folder by folder: interrupted, it holds the first
// photos, whatever order the folder gives its entries in.
TEST(CameraFolder, WalksInNameOrder) {
    TempDir d;
    for (const char* f : {"DCIM/101/IMG_0007.JPG", "DCIM/100/IMG_0004.JPG", "DCIM/100/IMG_0001.JPG",
                          "DCIM/100/IMG_0003.JPG", "DCIM/100/IMG_0002.JPG", "DCIM/101/IMG_0006.JPG",
                          "DCIM/100/IMG_0005.JPG"})
        d.write(f);
    std::vector<std::string> vus;
    parcourirFichiers(d.path() + "DCIM", true, true, nullptr,
                      [&](const std::string& dossier, const std::string& nom) {
                          vus.push_back(dossier.substr(dossier.size() - 4) + nom);
                      });
    EXPECT_EQ(vus,
              (std::vector<std::string>{"100/IMG_0001.JPG", "100/IMG_0002.JPG", "100/IMG_0003.JPG",
                                        "100/IMG_0004.JPG", "100/IMG_0005.JPG", "101/IMG_0006.JPG",
                                        "101/IMG_0007.JPG"}));
}

TEST(CameraFolder, CountsAsTheCopyWalks) {
    TempDir d;
    for (const char* f : {"DCIM/100/a.JPG", "DCIM/100/b.txt", "DCIM/101/c.crw", "DCIM/d.avi",
                          "DCIM/.e.jpg", "DCIM/.x/f.jpg", "DCIM/100/sub/g.thm"})
        d.write(f);
    EXPECT_EQ(Comptabilise_fichiers(true, d.path() + "DCIM", true), 4);
    EXPECT_EQ(Comptabilise_fichiers(false, d.path() + "DCIM/100/", false), 2);
    EXPECT_EQ(Comptabilise_fichiers(false, d.path() + "missing/", false), 0);
    // A folder that cannot be read is told to the walker, not passed over as empty.
    int illisibles = 0;
    parcourirFichiers(
        d.path() + "missing/", true, true, nullptr, [](const std::string&, const std::string&) {},
        &illisibles);
    EXPECT_EQ(illisibles, 1);
    if (::geteuid() != 0) {
        ::chmod((d.path() + "DCIM/101").c_str(), 0);
        d.write("out/.keep");
        TransfertPhotos run(d.path() + "DCIM", d.path() + "out", true);
        EXPECT_EQ(run.copierFichiers(nullptr), 1);
        ::chmod((d.path() + "DCIM/101").c_str(), 0755);
    }
}

TEST(CameraFolder, SearchKeepsTheLastDcimMetAndNeverFollowsLinks) {
    TempDir d;
    d.write("A/DCIM/100/a.jpg");
    d.write("B/dcim/x.jpg");
    d.write("A/DCIM/sub/DCIM/y.jpg"); // inside a camera folder: not entered
    d.write(".hidden/DCIM/z.jpg");
    TempDir ailleurs;
    ailleurs.write("DCIM/w.jpg");
    ASSERT_EQ(::symlink(ailleurs.path().c_str(), (d.path() + "lien").c_str()), 0);
    // The last one in the order the file system lists the folders wins.
    const auto ordre = chercherFichiers(d.path(), "*.*", attrTous);
    std::string dernier;
    for (const auto& e : ordre)
        if (e.nom == "A" || e.nom == "B")
            dernier = e.nom;
    EXPECT_EQ(Chercher_dcim(d.path()), d.path() + dernier + (dernier == "A" ? "/DCIM" : "/dcim"));
    EXPECT_EQ(Chercher_dcim(d.path() + "A/DCIM/100"), "");
    // The start itself may be a link; only links met on the way are skipped.
    EXPECT_EQ(Chercher_dcim(d.path() + "lien"), d.path() + "lien/DCIM");
}

TEST(CameraFolder, SearchStartsAtTheVolumeRootButNeverAtTheSystemRoot) {
    const std::vector<std::string> points = {"/", "/home", "/media/p/CARD", "/run/media/p/SD CARD"};
    struct Cas {
        const char* source;
        const char* depart;
    };
    for (const Cas& c :
         std::initializer_list<Cas>{{"/media/p/CARD/DCIM/100CANON/", "/media/p/CARD/"},
                                    {"/run/media/p/SD CARD/x", "/run/media/p/SD CARD/"},
                                    {"/home/p/Photos/", "/home/"},
                                    {"/tmp/card/", "/tmp/card/"},
                                    {"/media/p/CARDS/", "/media/p/CARDS/"}})
        EXPECT_EQ(departRechercheDcim(c.source, points), c.depart) << c.source;
    // A card folder whose volume is not mounted is a drive that is not there.
    struct Lecteur {
        const char* dossier;
        bool present;
        const char* media;
    };
    for (const Lecteur& l :
         std::initializer_list<Lecteur>{{"/media/p/CARD/DCIM/", true, "/media/p/CARD"},
                                        {"/media/p/OTHER/DCIM/", false, "/media/p/OTHER"},
                                        {"/mnt/usb/photos", false, "/mnt/usb"},
                                        {"/home/p/Photos/", true, ""}}) {
        std::string media;
        EXPECT_EQ(lecteurPresent(l.dossier, points, &media), l.present) << l.dossier;
        EXPECT_EQ(media, l.media);
    }
}

TEST(StoredRows, LabelAndPath) {
    struct Cas {
        const char* valeur;
        bool change;
        const char* libelle;
        const char* chemin;
    };
    for (const Cas& c :
         std::initializer_list<Cas>{{"Carte;/media/card/DCIM/", true, "Carte", "/media/card/DCIM/"},
                                    {";", true, "", ""},
                                    {"ERREUR", false, "", ""},
                                    {"", false, "", ""},
                                    {"Seul", true, "Seul", ""},
                                    {"a;b;c", true, "a", "b;c"}}) {
        const auto r = lireLigneChemin(c.valeur);
        ASSERT_EQ(r.has_value(), c.change) << c.valeur;
        if (r) {
            EXPECT_EQ(r->libelle, c.libelle);
            EXPECT_EQ(r->chemin, c.chemin);
        }
    }
}

} // namespace
