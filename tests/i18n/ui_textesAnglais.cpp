// SPDX-License-Identifier: GPL-3.0-or-later
// In English, what a user reads on screen is English: every window is walked, with its
// grid listing a folder in EXIF naming (the not-renamed marker shows) and the transfer
// panels counting files, and no French word may be left in a caption, label, button,
// tip, list item, cell or status line.
#include "exif/ui/IHM_exif_dump.h"
#include "exif_naming/ui/IHM_exif_info.h"
#include "exif_naming/ui/IHM_option_exposition.h"
#include "support/ui_support.h"
#include "transfer/ui/IHM_transfert.h"
#include "window/Main.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTableView>
#include <QTextEdit>
#include <gtest/gtest.h>

using namespace varlime;
using namespace varlime::test;

namespace {

// Words that are French and not English, as they stand between non-letters.
constexpr const char* kMotsFrancais[] = {
    "fichier", "fichiers", "répertoire", "dossier", "varlimé", "varlimés", "VARLIMÉ",
    "erreur",  "erreurs",  "aucun",      "aucune",  "avec",    "pour",     "dans",
    "sans",    "une",      "les",        "des",     "est",     "pas",      "Pas",
    "sur",     "et",       "ou",         "le",      "la",      "Annuler",  "Copie",
    "Lecteur", "Média",    "Voulez",     "en-tête", "accès",   "refusé",   "spécifiques",
};

std::string motsFrancais(const QString& text) {
    std::string out;
    for (const char* mot : kMotsFrancais) {
        const QRegularExpression re(QStringLiteral("(?<![\\p{L}_])") +
                                    QRegularExpression::escape(QString::fromUtf8(mot)) +
                                    QStringLiteral("(?![\\p{L}_])"));
        if (re.match(text).hasMatch())
            out += std::string(" \"") + mot + "\"";
    }
    return out;
}

TEST(TextesAnglais, RuleFindsFrenchWords) {
    const std::pair<const char*, bool> cases[] = {
        {"6 fichiers", false},
        {"NON VARLIMÉ (Pas d'en-tête Exif)", false},
        {"The folder %s cannot be read (accès refusé)", false},
        {"6 files", true},
        {"NOT RENAMED (No Exif header)", true},
        {"IMG_0042.jpg, lang_en.ini, les_photos", true},
    };
    for (const auto& [text, english] : cases)
        EXPECT_EQ(motsFrancais(QString::fromUtf8(text)).empty(), english) << text;
}

// Every text a widget shows, with where it is.
void textesDe(QWidget* w, const std::string& ou,
              std::vector<std::pair<std::string, QString>>& out) {
    const auto ajouter = [&](const char* quoi, const QString& t) {
        if (!t.isEmpty())
            out.emplace_back(ou + " " + w->objectName().toStdString() + " " + quoi, t);
    };
    if (w->isWindow())
        ajouter("title", w->windowTitle());
    ajouter("tip", w->toolTip());
    if (auto* l = qobject_cast<QLabel*>(w))
        ajouter("text", l->text());
    if (auto* b = qobject_cast<QAbstractButton*>(w))
        ajouter("text", b->text());
    if (auto* g = qobject_cast<QGroupBox*>(w))
        ajouter("title", g->title());
    if (auto* e = qobject_cast<QLineEdit*>(w))
        ajouter("placeholder", e->placeholderText());
    if (auto* c = qobject_cast<QComboBox*>(w))
        for (int i = 0; i < c->count(); ++i)
            ajouter("item", c->itemText(i));
    if (auto* p = qobject_cast<QPlainTextEdit*>(w))
        ajouter("text", p->toPlainText());
    if (auto* t = qobject_cast<QTextEdit*>(w))
        ajouter("text", t->toPlainText());
    if (auto* s = qobject_cast<QStatusBar*>(w))
        ajouter("message", s->currentMessage());
    if (auto* v = qobject_cast<QTableView*>(w); v && v->model()) {
        const QAbstractItemModel& m = *v->model();
        for (int c = 0; c < m.columnCount(); ++c)
            ajouter("header", m.headerData(c, Qt::Horizontal).toString());
        for (int r = 0; r < m.rowCount() && r < 50; ++r)
            for (int c = 0; c < m.columnCount(); ++c) {
                ajouter("cell", m.index(r, c).data().toString());
                ajouter("cell tip", m.index(r, c).data(Qt::ToolTipRole).toString());
            }
    }
    for (QAction* a : w->actions()) {
        ajouter("action", a->text());
        ajouter("action tip", a->toolTip());
        if (a->menu())
            for (QAction* s : a->menu()->actions())
                ajouter("menu item", s->text());
    }
}

TEST(TextesAnglais, EveryWindowInEnglishShowsNoFrenchWord) {
    AppFixture f;
    f.programDir.write("lang_en.ini",
                       readFile(std::string(VARLIME_SOURCE_DIR) + "/lang/lang_en.ini"));
    f.programDir.write("lang.ini", "[CONFIG]\nActiveLanguage=en\n");
    f.app.reset();
    f.app = std::make_unique<Application>(f.programDir.path(), f.messages);
    TempDir photos;
    photos.write("a.jpg", readFile(photosDir() + "Canon_40D.jpg"));
    photos.write("b.jpg", readFile(photosDir() + "no_exif.jpg"));
    // The sample keeps an editor's XMP date: taken away, the file has no metadata at all.
    std::system(("exiftool -q -q -all= -overwrite_original '" + photos.path() + "b.jpg'").c_str());
    TMainForm& m = f.app->MainForm();
    m.Repertoire_courant = photos.path();
    m.Validation_repertoire();
    // EXIF naming: the file without EXIF data gets the marker.
    f.messages.answer(true);
    f.app->DLG_exif_info().CKB_exploitation_exif->click();
    m.Voir_rename();
    ASSERT_EQ(grid(m).size(), 2u);
    EXPECT_EQ(grid(m)[1].second, "NON VARLIMÉ (Pas d'en-tête Exif)"); // the marker itself
    // Exposure times in names as English writes them.
    const OptionsExif exif = m.optionsAffichees().exif;
    EXPECT_EQ(Retourne_exposition_formatee(1.0 / 40, exif.formatExposition, exif.suffixeExposition),
              "1_40th");
    // Both transfer panels count their folder.
    TDLG_transfert& t = f.app->DLG_transfert();
    t.definirDossier(TDLG_transfert::Panneau::Source, q(photos.path()));
    t.definirDossier(TDLG_transfert::Panneau::Cible, q(photos.path()));
    t.FormActivate();
    // The EXIF listing of a photo, with its maker-note heading.
    f.app->DLG_exif_dump().Liste_info_exif(q(photos.path() + "a.jpg"));

    std::vector<std::pair<std::string, QString>> textes;
    std::vector<QWidget*> fenetres{&m};
    for (QDialog* d : m.findChildren<QDialog*>())
        fenetres.push_back(d);
    for (QWidget* fenetre : fenetres) {
        const std::string nom = fenetre->objectName().toStdString();
        textesDe(fenetre, nom, textes);
        for (QWidget* w : fenetre->findChildren<QWidget*>())
            if (w->window() == fenetre)
                textesDe(w, nom, textes);
    }
    EXPECT_GT(textes.size(), 200u);
    std::string fautes;
    for (const auto& [ou, texte] : textes)
        if (const std::string mots = motsFrancais(texte); !mots.empty())
            fautes += ou + ": \"" + texte.toStdString() + "\"" + mots + "\n";
    EXPECT_TRUE(fautes.empty()) << "French words in the English interface:\n" << fautes;
}

} // namespace
