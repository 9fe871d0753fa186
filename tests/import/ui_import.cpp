// SPDX-License-Identifier: GPL-3.0-or-later
// The import window, offscreen: its tree is the engine's plan, marks included; a
// keystroke in the folder template and a camera's offset move files at once; an import
// that cannot fit is refused before it starts; Interrupt stops the run; the result
// lines are the command line's and open their files; Fermer, Escape and the title bar
// close it; sizes are written in the active language.
#include "i18n/uLocalization.h"
#include "import/importCarte.h"
#include "import/ui/ArbreImport.h"
#include "import/ui/IHM_import.h"
#include "import/ui/cartes.h"
#include "support/ui_support.h"

#include <QAbstractItemModelTester>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>
#include <QThread>
#include <cstdio>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace varlime;
using namespace varlime::test;

namespace {

const std::array<std::string, 12> kMois = {"janv.", "févr.", "mars",  "avr.", "mai",  "juin",
                                           "juil.", "août",  "sept.", "oct.", "nov.", "déc."};

bool attendre(const std::function<bool()>& condition, int ms = 60000) {
    QElapsedTimer montre;
    montre.start();
    while (!condition()) {
        if (montre.elapsed() > ms)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(2);
    }
    return true;
}

// A card with two cameras (a Canon, and a Nikon whose clock is late), a sidecar, a
// photo without EXIF and a copy of a photo; an archive and a backup beside it.
struct Banc {
    AppFixture f;
    TDLG_import& w = f.app->DLG_import();
    TempDir t;
    std::string carte = t.path() + "carte/DCIM/";
    std::string archive = t.path() + "archive/";
    std::string sauvegarde = t.path() + "sauvegarde/";

    Banc() {
        w.arbre().definirVignettes(false);
        w.preparerOptions = [this](OptionsImport& o) {
            o.historique = t.path() + "historique.sqlite";
            o.moisAbreges = kMois;
        };
    }
    std::string photo(const std::string& nom, const std::string& modele, const std::string& fin,
                      std::size_t remplissage = 0) {
        return t.write("carte/DCIM/100CAM/" + nom,
                       readFile(photosDir() + modele) + fin + std::string(remplissage, 'x'));
    }
    void carteType() {
        photo("IMG_0001.JPG", "Canon_40D.jpg", "a");
        photo("IMG_0002.JPG", "Canon_40D.jpg", "b");
        t.write("carte/DCIM/100CAM/IMG_0002.XMP", "<x:xmpmeta/>");
        photo("DSC_0001.JPG", "Nikon_D70.jpg", "c");
        t.write("carte/DCIM/100CAM/SANS.JPG", std::string("\xFF\xD8\xFF\xD9", 4));
        photo("IMG_0003.JPG", "Canon_40D.jpg", "a"); // the same bytes as IMG_0001
    }
    // Opens the window on the card with the archive (and the backup) as destinations.
    void ouvrir(const std::string& modele, bool avecSauvegarde = false) {
        w.EDT_modele->setText(q(modele));
        w.modele().definirModele(modele);
        w.CBB_archive->setEditText(q(archive));
        if (avecSauvegarde)
            w.CBB_sauvegarde1->setEditText(q(sauvegarde));
        w.Gerer(q(carte));
        ASSERT_TRUE(attendre([&] { return w.planPret(); })) << w.refusPlan().toStdString();
    }
    // The place of a card file in the plan.
    std::size_t rang(const std::string& nom) {
        const auto& f = w.arbre().plan().fichiers;
        for (std::size_t i = 0; i < f.size(); ++i)
            if (f[i].nomSource == nom)
                return i;
        ADD_FAILURE() << nom;
        return 0;
    }
    OptionsImport options() {
        OptionsImport o = w.modele().options();
        w.preparerOptions(o);
        return o;
    }
    // The tree as a user reads it: each file's folders, name and mark, from the rows.
    std::vector<std::string> arbre() {
        std::vector<std::string> out;
        ArbreImport& a = w.arbre();
        std::function<void(const QModelIndex&, const std::string&)> parcourir =
            [&](const QModelIndex& parent, const std::string& chemin) {
                for (int r = 0; r < a.rowCount(parent); ++r) {
                    const QModelIndex x = a.index(r, 0, parent);
                    const std::string nom = x.data().toString().toStdString();
                    const bool dossier = a.fichierDe(x) < 0;
                    if (!dossier) {
                        std::string ligne = chemin + nom;
                        const std::string carte = a.index(r, ArbreImport::Origine, parent)
                                                      .data()
                                                      .toString()
                                                      .toStdString();
                        if (carte != nom)
                            ligne += " (" + carte + ")";
                        const QString m = a.index(r, ArbreImport::Marque, parent).data().toString();
                        if (!m.isEmpty())
                            ligne += " " + m.toStdString();
                        out.push_back(ligne);
                    }
                    parcourir(x, dossier ? chemin + nom + "/" : chemin + nom + " > ");
                }
            };
        parcourir({}, "");
        return out;
    }
};

TEST(FenetreImport, TheTreeIsTheEnginesPlan) {
    Banc b;
    b.carteType();
    ModelTestFaults fautes;
    QAbstractItemModelTester testeur(&b.w.arbre(),
                                     QAbstractItemModelTester::FailureReportingMode::Warning);
    b.ouvrir("%Y/%Y-%m-%d");
    ImportCarte moteur(b.options());
    std::string erreur;
    ASSERT_TRUE(moteur.planifier(&erreur)) << erreur;
    const auto& attendu = moteur.plan().fichiers;
    ASSERT_EQ(b.w.arbre().plan().fichiers.size(), attendu.size());
    for (std::size_t i = 0; i < attendu.size(); ++i)
        if (attendu[i].marque != MarqueImport::DejaImporte)
            EXPECT_EQ(b.w.arbre().cheminAffiche(i), attendu[i].cheminRelatif()) << i;
    EXPECT_EQ(b.arbre(), (std::vector<std::string>{
                             "2008/2008-03-15/DSC_0001.JPG",
                             "2008/2008-05-30/IMG_0001.JPG",
                             "2008/2008-05-30/IMG_0002.JPG",
                             "2008/2008-05-30/IMG_0002.JPG > IMG_0002.XMP",
                             "2008/2008-05-30/IMG_0003.JPG [doublon sur la carte] IMG_0001.JPG",
                             "sans date/SANS.JPG [sans date]",
                         }));
    EXPECT_TRUE(fautes.faults().isEmpty()) << fautes.faults().join('\n').toStdString();
}

TEST(FenetreImport, MarksAndBoxesOfAHalfImportedCard) {
    Banc b;
    b.carteType();
    b.ouvrir("%Y-%m-%d");
    // Half the card already imported: the Canon's first day.
    ImportCarte avant([&] {
        OptionsImport o = b.options();
        return o;
    }());
    std::string erreur;
    ASSERT_TRUE(avant.planifier(&erreur)) << erreur;
    for (std::size_t i = 0; i < avant.plan().fichiers.size(); ++i)
        if (avant.plan().fichiers[i].nomSource != "IMG_0001.JPG")
            avant.ecarter(i);
    ASSERT_EQ(avant.executer().importes.size(), 1u);
    b.w.modele().definirSource(b.t.path());
    b.w.modele().definirSource(b.carte);
    ASSERT_TRUE(attendre([&] { return b.w.planPret(); }));
    EXPECT_EQ(b.arbre(), (std::vector<std::string>{
                             "2008-03-15/DSC_0001.JPG",
                             "2008-05-30/IMG_0001.JPG [déjà importé]",
                             "2008-05-30/IMG_0001.JPG (IMG_0003.JPG) [déjà importé]",
                             "2008-05-30/IMG_0002.JPG",
                             "2008-05-30/IMG_0002.JPG > IMG_0002.XMP",
                             "sans date/SANS.JPG [sans date]",
                         }));
    // A folder's box takes out every file under it, sidecars with their photo.
    ArbreImport& a = b.w.arbre();
    const qint64 tout = a.octetsACopier();
    const QModelIndex mai = a.index(1, 0);
    ASSERT_EQ(mai.data().toString(), "2008-05-30");
    EXPECT_EQ(mai.data(Qt::CheckStateRole).toInt(), Qt::Checked);
    ASSERT_TRUE(a.setData(mai, Qt::Unchecked, Qt::CheckStateRole));
    std::vector<std::string> exclus;
    for (std::size_t i : a.exclus())
        exclus.push_back(a.plan().fichiers[i].nomSource);
    EXPECT_EQ(exclus, (std::vector<std::string>{"IMG_0002.JPG", "IMG_0002.XMP"}));
    EXPECT_LT(a.octetsACopier(), tout);
    const QModelIndex deja = a.indexDuFichier(1);
    EXPECT_FALSE(a.flags(deja) & Qt::ItemIsUserCheckable); // nothing to take out
    a.setData(a.indexDuFichier(0), Qt::Unchecked, Qt::CheckStateRole);
    EXPECT_EQ(a.index(0, 0).data(Qt::CheckStateRole).toInt(), Qt::Unchecked);
    a.setData(mai, Qt::Checked, Qt::CheckStateRole);
    EXPECT_EQ(a.exclus().size(), 1u);
}

// Each file's place in the tree is the one a plan made afresh with the window's options
// gives it: folders, names and marks.
void commeUnPlanNeuf(Banc& b, const std::string& etape) {
    ImportCarte moteur(b.options());
    std::string erreur;
    ASSERT_TRUE(moteur.planifier(&erreur)) << erreur;
    const auto& attendu = moteur.plan().fichiers;
    ASSERT_EQ(b.w.arbre().plan().fichiers.size(), attendu.size()) << etape;
    for (std::size_t i = 0; i < attendu.size(); ++i) {
        EXPECT_EQ(b.w.arbre().plan().fichiers[i].marque, attendu[i].marque) << etape << " " << i;
        if (attendu[i].marque != MarqueImport::DejaImporte)
            EXPECT_EQ(b.w.arbre().cheminAffiche(i), attendu[i].cheminRelatif()) << etape;
    }
}

TEST(FenetreImport, EachKeystrokeShowsTheNamesTheRunWillUse) {
    Banc b;
    b.carteType();
    // The archive already holds a Canon photo of a past import: its counter goes on.
    b.t.write("archive/2008/Canon EOS 40D/voyage_004.JPG", "x");
    b.ouvrir("%Y");
    // Only the rows of the folder shown are made.
    EXPECT_LT(b.w.arbre().lignesFaites(), b.w.arbre().plan().fichiers.size());
    struct Etape {
        const char* nom;
        std::function<void()> faire;
        std::vector<std::string> arbre; // empty: only checked against a fresh plan
    };
    const std::vector<Etape> etapes = {
        {"template",
         [&] { QTest::keyClicks(b.w.EDT_modele, "/{model}"); },
         {
             "2008/Canon EOS 40D/IMG_0001.JPG",
             "2008/Canon EOS 40D/IMG_0002.JPG",
             "2008/Canon EOS 40D/IMG_0002.JPG > IMG_0002.XMP",
             "2008/Canon EOS 40D/IMG_0003.JPG [doublon sur la carte] IMG_0001.JPG",
             "2008/NIKON D70/DSC_0001.JPG",
             "sans date/SANS.JPG [sans date]",
         }},
        {"prefix",
         [&] { QTest::keyClicks(b.w.EDT_nom, "voyage_"); },
         {
             "2008/Canon EOS 40D/IMG_0003.JPG [doublon sur la carte] IMG_0001.JPG",
             "2008/Canon EOS 40D/voyage_005.JPG (IMG_0001.JPG)",
             "2008/Canon EOS 40D/voyage_006.JPG (IMG_0002.JPG)",
             "2008/Canon EOS 40D/voyage_006.JPG > voyage_006.XMP (IMG_0002.XMP)",
             "2008/NIKON D70/voyage_001.JPG (DSC_0001.JPG)",
             "sans date/voyage_001.JPG (SANS.JPG) [sans date]",
         }},
        {"width", [&] { b.w.SPN_largeur->setValue(4); }, {}},
        {"start", [&] { b.w.SPN_debut->setValue(20); }, {}},
        {"backspace", [&] { QTest::keyClick(b.w.EDT_modele, Qt::Key_Backspace); }, {}},
        {"date names", [&] { b.w.CKB_nom_date->setChecked(true); }, {}},
        {"offset", [&] { b.w.TBL_appareils->item(1, 6)->setText("+01:00"); }, {}},
    };
    for (const Etape& e : etapes) {
        e.faire();
        // No new reading of the card: the tree is already the new plan.
        EXPECT_TRUE(b.w.planPret()) << e.nom;
        commeUnPlanNeuf(b, e.nom);
        if (!e.arbre.empty())
            EXPECT_EQ(b.arbre(), e.arbre) << e.nom;
    }
    EXPECT_EQ(b.w.modele().options().modeleDossiers, "%Y/{model");
    EXPECT_EQ(b.w.arbre().cheminAffiche(b.rang("DSC_0001.JPG")),
              "2008/{model/voyage__20080315_105201_0020.JPG");
}

TEST(FenetreImport, ACamerasOffsetMovesItsFilesAndRenamesThem) {
    Banc b;
    b.carteType();
    b.ouvrir("%Y-%m-%d %Hh");
    b.w.CKB_nom_date->setChecked(true);
    ASSERT_TRUE(attendre([&] { return b.w.planPret(); }));
    const auto cles = b.w.clesAppareils();
    ASSERT_EQ(cles, (std::vector<std::string>{"Canon EOS 40D", "NIKON D70"}));
    QTableWidget* t = b.w.TBL_appareils;
    EXPECT_EQ(t->item(1, 3)->text(), "1");
    EXPECT_EQ(t->item(1, 4)->text(), "2008-03-15 09:52:01");
    EXPECT_EQ(b.w.arbre().cheminAffiche(b.rang("DSC_0001.JPG")),
              "2008-03-15 09h/20080315_095201_001.JPG");
    t->item(1, 6)->setText("+01:00");
    // At once the folder and the name, from the corrected time.
    EXPECT_TRUE(b.w.planPret());
    EXPECT_EQ(b.w.arbre().cheminAffiche(b.rang("DSC_0001.JPG")),
              "2008-03-15 10h/20080315_105201_001.JPG");
    EXPECT_EQ(b.w.TBL_appareils->item(1, 4)->text(), "2008-03-15 10:52:01");
    EXPECT_EQ(b.w.modele().decalage("NIKON D70"), 3600);
    // A text that is no offset is refused with a message, and the cell shows the offset.
    b.w.TBL_appareils->item(1, 6)->setText("une heure");
    ASSERT_FALSE(b.f.messages.shown.empty());
    EXPECT_TRUE(b.f.messages.shown.back().text.contains("une heure"));
    EXPECT_EQ(b.w.TBL_appareils->item(1, 6)->text(), "+01:00");
}

TEST(FenetreImport, AnImportThatCannotFitIsRefusedBeforeItStarts) {
    Banc b;
    b.carteType();
    b.ouvrir("%Y", true);
    const qint64 besoin = b.w.arbre().octetsACopier();
    ASSERT_GT(besoin, 0);
    // The backup's volume lacks one byte.
    b.w.espaceLibre = [&](const QString& d) {
        return d.startsWith(q(b.sauvegarde)) ? besoin - 1 : qint64(1) << 40;
    };
    EXPECT_FALSE(b.w.Importer());
    ASSERT_EQ(b.f.messages.shown.size(), 1u);
    EXPECT_EQ(b.f.messages.shown[0].kind, MessageKind::Error);
    EXPECT_TRUE(b.f.messages.shown[0].text.contains(q(b.sauvegarde)));
    EXPECT_FALSE(b.w.enCours());
    struct stat st;
    EXPECT_NE(::stat((b.archive + "2008").c_str(), &st), 0);
    EXPECT_NE(::stat((b.sauvegarde + "2008").c_str(), &st), 0);
}

TEST(FenetreImport, InterruptStopsBeforeTheNextFile) {
    Banc b;
    for (int k = 0; k < 24; ++k)
        b.photo("IMG_1" + std::to_string(100 + k) + ".JPG", "Canon_40D.jpg", std::to_string(k),
                2 << 20);
    b.ouvrir("%Y", true);
    ASSERT_TRUE(b.w.Importer());
    b.w.Interrompre();
    EXPECT_TRUE(b.w.BT_interrompre->isVisibleTo(&b.w));
    ASSERT_TRUE(attendre([&] { return !b.w.enCours(); }));
    const BilanImport& bilan = b.w.dernierBilan();
    EXPECT_TRUE(bilan.interrompu);
    EXPECT_EQ(int(bilan.importes.size()) + bilan.restants, 24);
    EXPECT_GT(bilan.restants, 0);
    ASSERT_GT(b.w.LST_bilan->count(), 0);
    EXPECT_EQ(b.w.LST_bilan->item(b.w.LST_bilan->count() - 1)->text(),
              QString("Import interrompu : %1 fichiers restent à importer").arg(bilan.restants));
    EXPECT_EQ(b.w.fichiersDeLigne(b.w.LST_bilan->count() - 1).size(), bilan.restants);
    EXPECT_FALSE(b.w.BT_supprimer_carte->isEnabled());
}

TEST(FenetreImport, ResultLinesOpenTheirFilesThenTheCardIsEmptied) {
    Banc b;
    b.carteType();
    b.ouvrir("%Y", true);
    ASSERT_TRUE(b.w.Importer());
    ASSERT_TRUE(attendre([&] { return !b.w.enCours(); }));
    QStringList lignes;
    for (int k = 0; k < b.w.LST_bilan->count(); ++k)
        lignes << b.w.LST_bilan->item(k)->text();
    EXPECT_EQ(lignes, (QStringList{"5 fichiers importés", "0 déjà importés",
                                   "1 en double sur la carte", "1 sans date", "0 en échec"}));
    EXPECT_EQ(b.w.fichiersDeLigne(2), QStringList{q(b.carte + "100CAM/IMG_0003.JPG")});
    EXPECT_EQ(b.w.fichiersDeLigne(3), QStringList{q(b.carte + "100CAM/SANS.JPG")});
    EXPECT_EQ(b.w.fichiersDeLigne(0).size(), 5);
    EXPECT_TRUE(b.w.BT_ouvrir_dossier->isEnabled());
    EXPECT_EQ(b.t.read("sauvegarde/2008/IMG_0002.XMP"), "<x:xmpmeta/>");
    // The same card again: everything is already imported.
    ASSERT_TRUE(attendre([&] { return b.w.planPret(); }));
    for (const std::string& l : b.arbre())
        EXPECT_TRUE(l.find("[déjà importé]") != std::string::npos ||
                    l.find(" > ") != std::string::npos)
            << l;
    // Every file verified on every destination: the card may be emptied, after one question.
    ASSERT_TRUE(b.w.BT_supprimer_carte->isEnabled());
    b.f.messages.answer(true);
    b.w.SupprimerDeLaCarte();
    ASSERT_TRUE(attendre([&] { return !b.w.enCours(); }));
    ASSERT_FALSE(b.f.messages.shown.empty());
    EXPECT_EQ(b.f.messages.shown.back().text,
              "Supprimer de la carte les 6 fichiers vérifiés sur chaque destination ?");
    EXPECT_EQ(b.w.LST_bilan->item(5)->text(), "6 effacés de la carte");
    EXPECT_FALSE(b.t.exists("carte/DCIM/100CAM/IMG_0001.JPG"));
}

TEST(FenetreImport, ACardAppearingOffersTheWindowOnceUnlessTurnedOff) {
    Banc b;
    const std::string media = b.t.path() + "media/";
    auto photo = [&](const std::string& chemin) {
        b.t.write(chemin + "/DCIM/100CAM/IMG_0001.JPG", readFile(photosDir() + "Canon_40D.jpg"));
    };
    photo("media/ANCIENNE"); // there before the watch: never offered
    SurveillanceCartes& s = b.w.surveillance();
    s.dossiers = {q(media)};
    s.cartes = [&s] { return cartesSous(s.dossiers); };
    s.udisks = false;
    s.definirAttente(20);
    b.w.surveillerCartes();
    QSignalSpy vues(&s, &SurveillanceCartes::carteApparue);
    // A card comes as a mount does: its folder with its DCIM at once.
    auto monter = [&](const std::string& nom) {
        photo("preparation/" + nom);
        ASSERT_EQ(std::rename((b.t.path() + "preparation/" + nom).c_str(), (media + nom).c_str()),
                  0);
    };
    struct Cas {
        const char* carte; // empty: a folder without DCIM
        bool proposer;
        int offres;
    };
    const Cas cas[] = {{"EOS_ETEINT", false, 0}, {"", true, 0}, {"EOS_ALLUME", true, 1}};
    for (const Cas& c : cas) {
        SCOPED_TRACE(c.carte);
        b.w.CKB_proposer->setChecked(c.proposer);
        const std::size_t avant = b.f.messages.shown.size();
        const int vuesAvant = int(vues.count());
        if (c.offres)
            b.f.messages.answer(true);
        if (*c.carte) {
            monter(c.carte);
            ASSERT_TRUE(attendre([&] { return vues.count() > vuesAvant; }, 10000));
        } else {
            ASSERT_TRUE(QDir().mkpath(q(media + "VIDE")));
            attendre([] { return false; }, 300);
        }
        EXPECT_EQ(int(vues.count()) - vuesAvant, *c.carte ? 1 : 0);
        ASSERT_EQ(b.f.messages.shown.size() - avant, std::size_t(c.offres));
        if (c.offres)
            EXPECT_TRUE(b.f.messages.shown.back().text.contains(c.carte));
    }
    // Accepted, the offer opens the window on that card.
    EXPECT_TRUE(b.w.isVisible());
    EXPECT_EQ(b.w.modele().options().source, media + "EOS_ALLUME/DCIM");
}

// Fermer, Escape and the title bar close the window, also while the card is being read.
TEST(FenetreImport, CloseEscapeAndTheTitleBarCloseTheWindow) {
    struct Cas {
        const char* geste;
        bool pendantLePlan;
        std::function<void(TDLG_import&)> fermer;
    };
    const Cas cas[] = {
        {"Fermer", false, [](TDLG_import& w) { QTest::mouseClick(w.BT_fermer, Qt::LeftButton); }},
        {"Escape", false, [](TDLG_import& w) { QTest::keyClick(w.EDT_modele, Qt::Key_Escape); }},
        {"Fermer", true, [](TDLG_import& w) { QTest::mouseClick(w.BT_fermer, Qt::LeftButton); }},
        {"Escape", true, [](TDLG_import& w) { QTest::keyClick(w.EDT_modele, Qt::Key_Escape); }},
        {"barre de titre", true, [](TDLG_import& w) { w.close(); }},
    };
    for (const Cas& c : cas) {
        SCOPED_TRACE(std::string(c.geste) + (c.pendantLePlan ? " pendant le plan" : ""));
        Banc b;
        b.carteType();
        if (c.pendantLePlan) {
            b.w.CBB_archive->setEditText(q(b.archive));
            b.w.Gerer(q(b.carte));
            ASSERT_FALSE(b.w.planPret());
        } else {
            b.ouvrir("%Y");
        }
        ASSERT_TRUE(b.w.isVisible());
        c.fermer(b.w);
        EXPECT_FALSE(b.w.isVisible());
        // The plan under way ends without showing the window again.
        attendre([] { return false; }, 300);
        EXPECT_FALSE(b.w.isVisible());
        EXPECT_TRUE(b.f.messages.shown.empty());
        // Opened again, it plans the card afresh.
        b.w.Gerer(q(b.carte));
        EXPECT_TRUE(attendre([&] { return b.w.planPret(); }));
    }
}

// The free space and the bytes to import are written in the window's language, before
// a card is chosen too.
TEST(FenetreImport, SizesAreWrittenInTheActiveLanguage) {
    struct Cas {
        const char* langue;
        qint64 libre;
        QString attendu;
    };
    const Cas cas[] = {
        {"fr", 0, "0 octets libres, 0 octets à importer"},
        {"fr", 1500000000, "1,50 Go libres, 0 octets à importer"},
        {"en", 2500000, "2.50 MB free, 0 bytes to import"},
    };
    for (const Cas& c : cas) {
        SCOPED_TRACE(c.langue);
        Banc b;
        b.f.programDir.write("lang_en.ini", readFile(VARLIME_SOURCE_DIR "/lang/lang_en.ini"));
        b.f.app->localization().SetActiveLanguage(c.langue);
        b.w.espaceLibre = [&](const QString&) { return c.libre; };
        b.w.Gerer();
        b.w.CBB_archive->setEditText(q(b.archive));
        EXPECT_EQ(b.w.LBL_place_archive->text().toStdString(), c.attendu.toStdString());
    }
}

TEST(FenetreImport, TheFolderPickersSpeakTheActiveLanguage) {
    if (!QFileInfo::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) + "/qtbase_fr.qm"))
        GTEST_SKIP() << "skipped: Qt's French texts (qt6-translations-l10n) are not installed";
    struct Cas {
        const char* langue;
        const char* bouton;
        QString titre, annuler;
    };
    const Cas cas[] = {
        {"fr", "BT_archive", "Choisir le dossier de l'archive", "Annuler"},
        {"en", "BT_autre_dossier", "Choose the folder to import", "Cancel"},
        {"fr", "BT_sauvegarde2", "Choisir le dossier de la sauvegarde", "Annuler"},
    };
    for (const Cas& c : cas) {
        SCOPED_TRACE(c.bouton);
        Banc b;
        b.f.programDir.write("lang_en.ini", readFile(VARLIME_SOURCE_DIR "/lang/lang_en.ini"));
        b.f.app->localization().SetActiveLanguage(c.langue);
        QString titre;
        QStringList boutons;
        whenModal([&](QWidget* d) {
            titre = d->windowTitle();
            for (const QPushButton* p : d->findChildren<QPushButton*>())
                boutons << p->text();
            static_cast<QDialog*>(d)->reject();
        });
        b.w.findChild<QPushButton*>(c.bouton)->click();
        EXPECT_EQ(titre, c.titre);
        EXPECT_TRUE(boutons.contains(c.annuler)) << boutons.join('|').toStdString();
    }
}

} // namespace
