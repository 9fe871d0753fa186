// SPDX-License-Identifier: GPL-3.0-or-later
// The viewer, the key help and the main window's thumbnail, driven offscreen. Run with
// the imaging library and without it (VARLIME_GFL=off), as the core tests are.
#include "exif/ui/IHM_exif_dump.h"
#include "films_builder.h"
#include "imaging/chargementImage.h"
#include "imaging/ui/IHM_info_touche.h"
#include "imaging/ui/IHM_vignette.h"
#include "imaging/ui/MD_image.h"
#include "imaging_files.h"
#include "support/ui_support.h"
#include "window/Main.h"

#include <QImage>
#include <QLabel>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>
#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <functional>

using namespace varlime;
using namespace varlime::test;

namespace {

// A picture of the given size, its top left pixel red and the rest grey.
void photo(const TempDir& dir, const std::string& nom, int l, int h) {
    Pixels p;
    p.largeur = l;
    p.hauteur = h;
    p.px.assign(static_cast<std::size_t>(l) * h, rgb(90, 90, 90));
    p.px[0] = rgb(255, 0, 0);
    ASSERT_TRUE(ecrirePng(p, dir.path() + nom));
}

std::string nomAffiche(const TDLG_vignette& v) {
    const std::string& c = v.cheminAffiche();
    return c.substr(c.rfind('/') + 1);
}

TEST(Viewer, fitsLandscapeAndPortrait) {
    AppFixture f;
    TempDir dir;
    // The proportions of 4000 × 3000 and 3000 × 4000, at a size quick to decode.
    photo(dir, "paysage.png", 400, 300);
    photo(dir, "portrait.png", 300, 400);
    struct Cas {
        const char* nom;
        bool fermee;
        QSize attendue;
    } cas[] = {{"paysage.png", true, {1000, 750}},
               {"portrait.png", true, {525, 700}},
               // Paging on from the portrait picture: the window takes its width back
               // from its height instead of shrinking at each change of shape.
               {"paysage.png", false, {933, 700}},
               {"portrait.png", false, {525, 700}}};
    TDLG_vignette& v = f.app->DLG_vignette();
    v.ecranImpose = QSize(1600, 1000);
    for (const Cas& c : cas) {
        // Hidden first: an open viewer would take a resize as the user's and hug
        // the picture already shown.
        if (c.fermee) {
            v.close();
            v.resize(1000, 700);
        }
        v.Image_centree(dir.path() + c.nom);
        EXPECT_EQ(v.size(), c.attendue) << c.nom;
        EXPECT_EQ(v.IMG_01->size(), c.attendue) << c.nom;
        EXPECT_EQ(v.windowTitle().toStdString(), c.nom);
        EXPECT_TRUE(v.isVisible());
    }
    // The user resizes the window: a portrait picture takes the height, and keeps
    // its proportions.
    v.resize(800, 300);
    EXPECT_EQ(v.size(), QSize(225, 300));
}

TEST(Viewer, keysWalkThroughTheListAndWrap) {
    AppFixture f;
    TempDir dir;
    for (const char* n : {"a.png", "b.png", "c.png"})
        photo(dir, n, 8, 6);
    TMainForm& m = f.app->MainForm();
    open(m, dir);
    m.selectionnerLigne(0);
    TDLG_vignette& v = f.app->DLG_vignette();
    v.Image_centree(m.cheminLigne(0));
    EXPECT_TRUE(f.app->DLG_info_touche().isVisible());
    struct Cas {
        Qt::Key touche;
        const char* attendu;
    } cas[] = {{Qt::Key_Right, "b.png"},    {Qt::Key_Up, "c.png"},   {Qt::Key_Right, "a.png"},
               {Qt::Key_Left, "c.png"},     {Qt::Key_Down, "b.png"}, {Qt::Key_PageUp, "a.png"},
               {Qt::Key_PageDown, "b.png"}, {Qt::Key_A, "b.png"}};
    for (const Cas& c : cas) {
        QTest::keyClick(&v, c.touche);
        EXPECT_EQ(nomAffiche(v), c.attendu) << c.touche;
    }
    // The first key closed the key help.
    EXPECT_FALSE(f.app->DLG_info_touche().isVisible());
}

// The key help never covers the viewer's title bar: above the viewer when there is room,
// else below it, else over the picture.
TEST(Viewer, keyHelpLeavesTheTitleBarFree) {
    AppFixture f;
    TempDir dir;
    photo(dir, "a.png", 400, 300);
    TMainForm& m = f.app->MainForm();
    TDLG_vignette& v = f.app->DLG_vignette();
    TDLG_info_touche& aide = f.app->DLG_info_touche();
    for (const int hautMain : {200, -60}) {
        SCOPED_TRACE(hautMain);
        m.move(0, hautMain);
        v.close();
        v.resize(400, 300);
        v.Image_centree(dir.path() + "a.png");
        ASSERT_TRUE(aide.isVisible());
        const QRect cadre = aide.frameGeometry(), viewer = v.frameGeometry();
        EXPECT_TRUE(cadre.bottom() < viewer.top() || cadre.top() >= v.geometry().top())
            << cadre.top() << ".." << cadre.bottom() << " against the viewer at " << viewer.top();
        if (hautMain == 200)
            EXPECT_EQ(cadre.bottom() + 1, viewer.top());
    }
}

TEST(Viewer, deleteAfterConfirmationOnlyTheRowsOwnFile) {
    AppFixture f;
    TempDir dir;
    for (const char* n : {"a.png", "b.png", "c.png", "d.png"})
        photo(dir, n, 8, 6);
    TMainForm& m = f.app->MainForm();
    open(m, dir);
    TDLG_vignette& v = f.app->DLG_vignette();
    struct Cas {
        int ligneGrille, ligne;
        bool oui;
        const char* affiche;
        int ligneApres;
        std::vector<std::string> restent;
    } cas[] = {
        // The last row: the first is shown next.
        {3, 3, true, "a.png", 0, {"a.png", "b.png", "c.png"}},
        {1, 1, false, "b.png", 1, {"a.png", "b.png", "c.png"}},
        // The grid's cursor moved to another row while b.png is shown: b.png goes, and
        // the file that moved into its row is shown.
        {0, 1, true, "c.png", 1, {"a.png", "c.png"}},
    };
    for (const Cas& c : cas) {
        v.Image_centree(m.cheminLigne(c.ligne));
        m.selectionnerLigne(c.ligneGrille);
        f.messages.answer(c.oui);
        QTest::keyClick(&v, Qt::Key_Delete);
        EXPECT_EQ(f.messages.texts().last().toStdString(),
                  "Voulez-vous vraiment effacer cette image ?");
        EXPECT_EQ(nomAffiche(v), c.affiche) << c.ligne;
        EXPECT_EQ(m.ligneCourante(), c.ligneApres) << c.ligne;
        EXPECT_EQ(dir.names(), c.restent) << c.ligne;
    }
    // Gone behind the viewer's back: told, never passed over, and nothing else deleted.
    ASSERT_EQ(std::remove((dir.path() + "c.png").c_str()), 0);
    f.messages.answer(true);
    QTest::keyClick(&v, Qt::Key_Delete);
    EXPECT_EQ(f.messages.texts().last().toStdString(),
              "Le fichier c.png n'est plus l'image affichée : rien n'a été effacé.");
    EXPECT_EQ(dir.names(), (std::vector<std::string>{"a.png"}));
}

// The viewer remembers the file it shows, not only its name: after a rename run (or any
// program) gave the name to another file, Delete deletes nothing and says so.
TEST(Viewer, deleteActsOnlyOnThePictureShown) {
    const std::string change =
        "Le fichier a.png n'est plus l'image affichée : rien n'a été effacé.";
    const std::string question = "Voulez-vous vraiment effacer cette image ?";
    const auto renommer = [](const TempDir& d, const char* de, const char* vers) {
        ASSERT_EQ(std::rename((d.path() + de).c_str(), (d.path() + vers).c_str()), 0);
    };
    struct Cas {
        const char* nom;
        std::function<void(const TempDir&)> derriere;
        std::string message;
        std::vector<std::string> restent;
    } cas[] = {
        {"nothing changed", [](const TempDir&) {}, question, {"b.png"}},
        {"another file renamed to the name shown",
         [&](const TempDir& d) {
             renommer(d, "a.png", "z.png");
             renommer(d, "b.png", "a.png");
         },
         change,
         {"a.png", "z.png"}},
        {"the picture shown renamed away",
         [&](const TempDir& d) { renommer(d, "a.png", "z.png"); },
         change,
         {"b.png", "z.png"}},
        {"replaced by another file of the same name",
         [&](const TempDir& d) {
             d.write("nouveau.png", d.read("b.png"));
             renommer(d, "nouveau.png", "a.png");
         },
         change,
         {"a.png", "b.png"}},
    };
    for (const Cas& c : cas) {
        AppFixture f;
        TempDir dir;
        photo(dir, "a.png", 8, 6);
        photo(dir, "b.png", 6, 8);
        TMainForm& m = f.app->MainForm();
        open(m, dir);
        TDLG_vignette& v = f.app->DLG_vignette();
        v.Image_centree(m.cheminLigne(0));
        ASSERT_EQ(nomAffiche(v), "a.png");
        c.derriere(dir);
        // The list as a rename run leaves it, the viewer still open on its picture.
        m.Chercher_fichier();
        const auto avant = f.messages.texts().size();
        f.messages.answer(true);
        QTest::keyClick(&v, Qt::Key_Delete);
        ASSERT_EQ(f.messages.texts().size(), avant + 1) << c.nom;
        EXPECT_EQ(f.messages.texts().last().toStdString(), c.message) << c.nom;
        EXPECT_EQ(dir.names(), c.restent) << c.nom;
    }
}

// A picture smaller than the window's area is drawn at its own size, never enlarged; a
// larger one fills the area, keeping its proportions.
TEST(Viewer, smallPicturesAtTheirOwnSize) {
    AppFixture f;
    TempDir dir;
    struct Cas {
        int largeur, hauteur;
        QSize fenetre, dessinee;
    } cas[] = {
        {100, 75, {1000, 750}, {100, 75}},     {75, 100, {525, 700}, {75, 100}},
        {1000, 750, {1000, 750}, {1000, 750}}, {2000, 1500, {1000, 750}, {1000, 750}},
        {1500, 2000, {525, 700}, {525, 700}},
    };
    TDLG_vignette& v = f.app->DLG_vignette();
    v.ecranImpose = QSize(1600, 1000);
    for (const Cas& c : cas) {
        const std::string nom =
            std::to_string(c.largeur) + "x" + std::to_string(c.hauteur) + ".png";
        photo(dir, nom, c.largeur, c.hauteur);
        v.close();
        v.resize(1000, 700);
        v.Image_centree(dir.path() + nom);
        EXPECT_EQ(v.size(), c.fenetre) << nom;
        EXPECT_EQ(v.tailleDessinee(), c.dessinee) << nom;
        // At its own size the red corner is one pixel, exactly red.
        if (c.dessinee.width() == c.largeur) {
            EXPECT_EQ(v.IMG_01->pixmap().toImage().pixel(0, 0) & 0xffffff, 0xff0000u) << nom;
        }
    }
}

TEST(Viewer, doubleClicksTurnTheShownPictureNotTheFile) {
    AppFixture f;
    TempDir dir;
    photo(dir, "p.png", 40, 20);
    const std::string avant = dir.read("p.png");
    TDLG_vignette& v = f.app->DLG_vignette();
    v.ecranImpose = QSize(1000, 700);
    v.resize(400, 300);
    v.Image_centree(dir.path() + "p.png");
    ASSERT_EQ(v.size(), QSize(400, 200));
    // The screen less the window's frame: what the window may fill at most.
    const QSize place = *v.ecranImpose - (v.frameGeometry().size() - v.size());
    struct Cas {
        QSize fenetre, image;
        // Where the red corner pixel now is.
        int x, y;
    } cas[] = {{{200, 400}, {20, 40}, 19, 0},
               // Standing up before the turn, the window takes its width from its height.
               {{800, 400}, {40, 20}, 39, 19},
               // Never past the screen: 400 × 800, then 1400 × 700, brought within it.
               {{place.height() / 2, place.height()}, {20, 40}, 0, 39},
               {{place.width(), place.width() / 2}, {40, 20}, 0, 0}};
    for (const Cas& c : cas) {
        QTest::mouseDClick(v.IMG_01, Qt::LeftButton);
        const Pixels& p = v.imageAffichee();
        EXPECT_EQ(QSize(p.largeur, p.hauteur), c.image);
        EXPECT_EQ(v.size(), c.fenetre);
        EXPECT_EQ(p.at(c.x, c.y) & 0xffffff, 0xff0000u);
    }
    EXPECT_EQ(dir.read("p.png"), avant);
}

TEST(Viewer, positionedBesideTheExifDumpOnAWideScreen) {
    AppFixture f;
    TempDir dir;
    photo(dir, "p.png", 400, 300);
    TDLG_vignette& v = f.app->DLG_vignette();
    v.ecranImpose = QSize(1600, 1000);
    v.resize(1120, 840);
    TMainForm& m = f.app->MainForm();
    m.move(10, 20);
    m.show();
    open(m, dir);
    m.selectionnerLigne(0);
    m.TBT_exif_plus_image->click();
    ASSERT_TRUE(v.isVisible());
    TDLG_exif_dump& dump = f.app->DLG_exif_dump();
    ASSERT_TRUE(dump.isVisible());
    EXPECT_EQ(v.width(), 1120);
    EXPECT_EQ(dump.width(), 480);
    EXPECT_EQ(dump.height(), v.height());
    EXPECT_EQ(v.x(), 480);
    EXPECT_EQ(dump.y(), v.y());
}

// Paging through a card, what cannot be shown is told in the picture area, never by a
// box: the arrows pressed go on walking the list, and the window keeps its size.
TEST(Viewer, pagesPastWhatItCannotShowWithAMark) {
    AppFixture f;
    TempDir dir;
    photo(dir, "a.png", 8, 6);
    dir.write("b.jpg", "no picture");
    dir.write("c.jpg", "");
    photo(dir, "d.png", 8, 6);
    // A WebP picture shows, through Qt's image formats plugin.
    QImage webp(40, 30, QImage::Format_RGB32);
    webp.fill(QColor(20, 200, 20));
    ASSERT_TRUE(webp.save(QString::fromStdString(dir.path() + "e.webp"), "WEBP"));
    TMainForm& m = f.app->MainForm();
    open(m, dir);
    m.selectionnerLigne(0);
    TDLG_vignette& v = f.app->DLG_vignette();
    v.Image_centree(m.cheminLigne(0));
    const QSize taille = v.size();
    struct Cas {
        const char* nom;
        const char* marque; // empty when the picture shows
    } cas[] = {{"b.jpg", "b.jpg n'est pas une image affichable"},
               {"c.jpg", "c.jpg n'est pas une image affichable"},
               {"d.png", ""},
               {"e.webp", ""},
               {"a.png", ""}};
    for (const Cas& c : cas) {
        QTest::keyClick(&v, Qt::Key_Right);
        EXPECT_EQ(nomAffiche(v), c.nom);
        EXPECT_TRUE(v.isVisible()) << c.nom;
        EXPECT_TRUE(v.IMG_01->isVisible()) << c.nom;
        EXPECT_EQ(v.IMG_01->text().toStdString(), c.marque) << c.nom;
        EXPECT_EQ(v.IMG_01->pixmap().isNull(), *c.marque != 0) << c.nom;
        if (*c.marque)
            EXPECT_EQ(v.size(), taille) << c.nom;
    }
    // The WebP picture as the grid's thumbnail too.
    m.resize(900, 600);
    m.show();
    m.selectionnerLigne(4);
    f.app->DB_image().attendreImagette();
    EXPECT_FALSE(m.IMG_imagette->isHidden());
    EXPECT_EQ(m.IMG_imagette->pixmap().width(), m.IMG_imagette->width());
    m.close();
    EXPECT_TRUE(f.messages.texts().isEmpty()) << f.messages.texts().join(u'|').toStdString();
}

// A film shows the picture it stores of itself, in the viewer and as the grid's
// thumbnail; one that stores none shows nothing, and no message stops the user paging
// through a card.
TEST(Viewer, filmsShowTheirStoredPictureElseNothingSilently) {
    AppFixture f;
    TempDir dir;
    const std::string rouge = jpegUni(160, 120, 220, 20, 20);
    dir.write("a.mp4", film(kFtypMp4, thmb(rouge, static_cast<std::uint32_t>(rouge.size()))));
    dir.write("b.mov", film(kFtypMov, ""));
    dir.write("c.avi", readFile(photosDir() + "../raw/Pentax.avi"));
    dir.write("d.jpg", "damaged");
    struct Cas {
        const char* nom;
        bool image;
        int messages;
    } cas[] = {{"a.mp4", true, 0}, {"b.mov", false, 0}, {"c.avi", false, 0}, {"d.jpg", false, 0}};
    TMainForm& m = f.app->MainForm();
    m.resize(900, 600);
    m.show();
    open(m, dir);
    TDLG_vignette& v = f.app->DLG_vignette();
    v.resize(500, 400);
    for (int i = 0; i < 4; ++i) {
        const Cas& c = cas[i];
        const auto avant = f.messages.texts().size();
        m.selectionnerLigne(i);
        f.app->DB_image().attendreImagette();
        EXPECT_EQ(!m.IMG_imagette->isHidden(), c.image) << c.nom;
        v.Image(dir.path() + c.nom);
        EXPECT_EQ(!v.IMG_01->pixmap().isNull(), c.image) << c.nom;
        EXPECT_EQ(f.messages.texts().size() - avant, c.messages) << c.nom;
        if (c.image) {
            EXPECT_EQ(v.IMG_01->pixmap().size(), QSize(160, 120)) << c.nom;
            EXPECT_EQ(m.IMG_imagette->pixmap().width(), m.IMG_imagette->width()) << c.nom;
        }
    }
    m.close();
}

TEST(Thumbnail, followsTheCurrentRowAndHidesUnreadableFiles) {
    AppFixture f;
    TempDir dir;
    photo(dir, "a.png", 60, 30);
    dir.write("b.jpg", "damaged");
    photo(dir, "c.png", 30, 120);
    TMainForm& m = f.app->MainForm();
    m.resize(900, 600);
    m.show();
    open(m, dir);
    m.selectionnerLigne(0);
    f.app->DB_image().attendreImagette();
    EXPECT_FALSE(m.IMG_imagette->isHidden());
    ASSERT_FALSE(m.IMG_imagette->pixmap().isNull());
    const QSize s = m.IMG_imagette->pixmap().size();
    EXPECT_EQ(s.width(), m.IMG_imagette->width());
    EXPECT_EQ(s.height(), (s.width() + 1) / 2);
    m.selectionnerLigne(1);
    f.app->DB_image().attendreImagette();
    EXPECT_TRUE(m.IMG_imagette->isHidden());
    // Nothing said about an unreadable thumbnail.
    EXPECT_TRUE(f.messages.texts().isEmpty());
    // A tall picture fits a box as high as the panel is wide: the window keeps its size.
    const QSize fenetre = m.size();
    m.selectionnerLigne(2);
    f.app->DB_image().attendreImagette();
    const QSize haute = m.IMG_imagette->pixmap().size();
    EXPECT_EQ(haute.height(), m.IMG_imagette->width());
    EXPECT_EQ(haute.width(), (haute.height() + 2) / 4);
    EXPECT_EQ(m.size(), fenetre);
    m.selectionnerLigne(0);
    QTest::mouseClick(m.IMG_imagette, Qt::LeftButton);
    EXPECT_TRUE(f.app->DLG_vignette().isVisible());
    EXPECT_EQ(nomAffiche(f.app->DLG_vignette()), "a.png");
    m.close();
}

// Walking through the grid faster than pictures decode: the worker decodes where the
// cursor stops, not every row passed, and an older picture arriving late never
// replaces the row the cursor stands on.
TEST(Thumbnail, walkingFastDecodesWhereTheCursorStops) {
    AppFixture f;
    TempDir dir;
    photo(dir, "a.png", 1600, 400);
    for (int i = 1; i < 7; ++i)
        photo(dir, "p" + std::to_string(i) + ".png", 1600, 1200);
    dir.write("z.jpg", "damaged");
    TMainForm& m = f.app->MainForm();
    m.resize(900, 600);
    m.show();
    open(m, dir);
    TDB_image& images = f.app->DB_image();
    images.attendreImagette();
    const auto avant = images.imagettesDecodees();
    for (int i = 0; i <= 7; ++i)
        m.selectionnerLigne(i);
    images.attendreImagette();
    EXPECT_LE(images.imagettesDecodees() - avant, 4u) << images.imagettesDecodees() - avant;
    EXPECT_TRUE(m.IMG_imagette->isHidden());
    for (int i = 7; i >= 0; --i)
        m.selectionnerLigne(i);
    images.attendreImagette();
    ASSERT_FALSE(m.IMG_imagette->isHidden());
    const QSize s = m.IMG_imagette->pixmap().size();
    EXPECT_EQ(s.height(), (s.width() + 2) / 4);
    m.close();
}

TEST(Thumbnail, noFileNoViewer) {
    AppFixture f;
    TempDir vide;
    TMainForm& m = f.app->MainForm();
    open(m, vide);
    m.TBT_image->click();
    EXPECT_EQ(f.messages.texts().last().toStdString(), "Aucun fichier dans la liste.");
    EXPECT_FALSE(f.app->DLG_vignette().isVisible());
    EXPECT_TRUE(m.IMG_imagette->isHidden());
}

TEST(Viewer, deepPictureTellsTheDepthThenFallsBack) {
    const char* e = std::getenv("VARLIME_GFL");
    if (e && std::string(e) == "off")
        GTEST_SKIP() << "without the imaging library";
    AppFixture f;
    TempDir dir;
    ASSERT_TRUE(ecrirePngBrut(dir.path() + "profond.png", 4, 2, 16, PNG_COLOR_TYPE_GRAY,
                              std::vector<std::uint8_t>(16, 0x40)));
    TDLG_vignette& v = f.app->DLG_vignette();
    v.resize(400, 300);
    v.Image_centree(dir.path() + "profond.png");
    ASSERT_EQ(f.messages.texts().size(), 1);
    EXPECT_EQ(f.messages.texts().last().toStdString(),
              "Seuls 1, 4, 8, 24 ou 32 BitsPerPixel sont supportés dans cette démo !");
    // Qt's reader shows it.
    EXPECT_EQ(v.imageAffichee().largeur, 4);
    EXPECT_EQ(v.size(), QSize(400, 200));
}

} // namespace
