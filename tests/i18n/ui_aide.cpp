// SPDX-License-Identifier: GPL-3.0-or-later
// F1 and the "Aide" buttons open the shipped page of the window they are in, in the
// active language; a page that is not there is told with the places looked in.
#include "companions/ui/IHM_canon.h"
#include "exif_naming/ui/IHM_exif_info.h"
#include "i18n/aide.h"
#include "imaging/ui/IHM_info_touche.h"
#include "imaging/ui/IHM_vignette.h"
#include "support/ui_support.h"
#include "transfer/ui/IHM_transfert.h"
#include "window/IHM_masque.h"
#include "window/IHM_option_compteur.h"
#include "window/IHM_option_date.h"
#include "window/Main.h"

#include <QAction>
#include <QDesktopServices>
#include <QDialog>
#include <QPushButton>
#include <QTest>
#include <QUrl>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

using namespace varlime;
using namespace varlime::test;

// Records the addresses the desktop would have opened.
class Ouvertures : public QObject {
    Q_OBJECT
public:
    Ouvertures() {
        for (const char* schema : {"file", "https"})
            QDesktopServices::setUrlHandler(QString::fromLatin1(schema), this, "ouvrir");
    }
    ~Ouvertures() override {
        for (const char* schema : {"file", "https"})
            QDesktopServices::unsetUrlHandler(QString::fromLatin1(schema));
    }
    QStringList urls;
public slots:
    void ouvrir(const QUrl& url) { urls << url.toString(); }
};

namespace {

const std::string kHelp = std::string(VARLIME_SOURCE_DIR) + "/doc/help";

// The program folder gets the shipped help where the build tree has it.
void livrerAide(const TempDir& dossier) {
    std::filesystem::create_directory_symlink(kHelp, dossier.path() + "help");
}

struct Cas {
    const char* nom;
    std::function<void(Application&)> geste;
    const char* page; // under help/, with its anchor
};

const Cas kCas[] = {
    {"F1 in the counter options",
     [](Application& a) { QTest::keyClick(&a.DLG_option_compteur(), Qt::Key_F1); },
     "options.html#compteur"},
    {"F1 on a control of the date options",
     [](Application& a) {
         QTest::keyClick(a.DLG_option_date().findChildren<QWidget*>().first(), Qt::Key_F1);
     },
     "options.html#date"},
    {"F1 in the viewer", [](Application& a) { QTest::keyClick(&a.DLG_vignette(), Qt::Key_F1); },
     "image.html"},
    {"F1 in the key help",
     [](Application& a) { QTest::keyClick(&a.DLG_info_touche(), Qt::Key_F1); },
     "image.html#touches"},
    {"F1 in the mask dialog", [](Application& a) { QTest::keyClick(&a.DLG_masque(), Qt::Key_F1); },
     "masques.html"},
    {"help menu contents", [](Application& a) { a.MainForm().MIT_aide_sommaire->trigger(); },
     "index.html"},
    {"help menu tips", [](Application& a) { a.MainForm().MIT_aide_truc_astuce->trigger(); },
     "astuces.html"},
    {"Aide of the masks", [](Application& a) { a.DLG_masque().BT_aide->click(); }, "masques.html"},
    {"Aide of EXIF naming", [](Application& a) { a.DLG_exif_info().BT_aide->click(); },
     "exif.html"},
    {"Aide of Canon RAW", [](Application& a) { a.DLG_canon().BT_aide->click(); }, "raw.html"},
    {"Aide of the transfer", [](Application& a) { a.DLG_transfert().BT_aide->click(); },
     "transfert.html"},
};

QString attendu(const TempDir& dossier, const std::string& langue, const char* page) {
    return QUrl::fromLocalFile(QString::fromStdString(dossier.path() + "help/" + langue + "/"))
               .toString() +
           QString::fromLatin1(page);
}

TEST(Aide, EachWindowOpensItsPageInTheActiveLanguage) {
    for (const std::string langue : {"fr", "en"}) {
        AppFixture f;
        livrerAide(f.programDir);
        if (langue == "en") {
            f.programDir.write("lang_en.ini",
                               readFile(std::string(VARLIME_SOURCE_DIR) + "/lang/lang_en.ini"));
            f.programDir.write("lang.ini", "[CONFIG]\nActiveLanguage=en\n");
            f.app.reset();
            f.app = std::make_unique<Application>(f.programDir.path(), f.messages);
        }
        for (const Cas& c : kCas) {
            Ouvertures o;
            c.geste(*f.app);
            EXPECT_EQ(o.urls, QStringList{attendu(f.programDir, langue, c.page)})
                << c.nom << " " << langue;
        }
        EXPECT_TRUE(f.messages.shown.empty()) << langue;
    }
}

// Every window the application creates has its page.
TEST(Aide, EveryWindowHasAPage) {
    AppFixture f;
    QStringList sans;
    std::vector<QWidget*> fenetres{&f.app->MainForm()};
    for (QDialog* d : f.app->MainForm().findChildren<QDialog*>())
        fenetres.push_back(d);
    for (QWidget* w : fenetres)
        if (!pageAideDeFenetre(w->objectName().toStdString()))
            sans << w->objectName();
    EXPECT_GT(fenetres.size(), 20u);
    EXPECT_TRUE(sans.isEmpty()) << sans.join(u' ').toStdString();
}

TEST(Aide, MissingPageNamesWhereItWasLookedFor) {
    AppFixture f;
    Ouvertures o;
    QTest::keyClick(&f.app->DLG_option_date(), Qt::Key_F1);
    EXPECT_TRUE(o.urls.isEmpty());
    const QString d = QString::fromStdString(f.programDir.path());
    ASSERT_EQ(f.messages.shown.size(), 1u);
    EXPECT_EQ(f.messages.shown[0].kind, MessageKind::Error);
    EXPECT_EQ(f.messages.shown[0].text,
              "Page d'aide introuvable : options.html#date\r\nCherchée dans :\r\n" + d +
                  "help/fr/options.html\r\n" + d + "../share/doc/varlime/fr/options.html\r\n" + d +
                  "help/en/options.html\r\n" + d + "../share/doc/varlime/en/options.html");
}

// A language file of an older version names web pages: the shipped page is opened
// instead, and the web address only when no page is shipped.
TEST(Aide, WebAddressOfAnOlderLanguageFile) {
    for (const bool livree : {true, false}) {
        AppFixture f;
        if (livree)
            livrerAide(f.programDir);
        f.programDir.write("lang_de.ini", "[langue]\nLangCode=de\n[MESSAGES]\n"
                                          "RSC_lien_aide_raw=https://example.org/de/raw\n");
        f.programDir.write("lang.ini", "[CONFIG]\nActiveLanguage=de\n");
        f.app.reset();
        f.app = std::make_unique<Application>(f.programDir.path(), f.messages);
        Ouvertures o;
        f.app->DLG_canon().BT_aide->click();
        EXPECT_EQ(o.urls, QStringList{livree ? attendu(f.programDir, "en", "raw.html")
                                             : QStringLiteral("https://example.org/de/raw")})
            << livree;
        EXPECT_TRUE(f.messages.shown.empty()) << livree;
    }
}

} // namespace

#include "ui_aide.moc"
