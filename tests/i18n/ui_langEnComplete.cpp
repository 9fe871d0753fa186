// SPDX-License-Identifier: GPL-3.0-or-later
// The English language file shipped with the program covers every window: each
// window, control caption, tool tip, text box and list item of every window the
// application creates has an entry. A window or control added without its English
// text makes this test fail and prints the lines to add (with the French text).
#include "i18n/uLocalization.h"
#include "i18n/ui/TranslateForm.h"
#include "platform/iniFile.h"
#include "platform/ui/RadioGroup.h"
#include "support/ui_support.h"
#include "window/IHM_type_fichier.h"
#include "window/Main.h"

#include <QAction>
#include <QCheckBox>
#include <QDialog>
#include <QPushButton>
#include <gtest/gtest.h>

using namespace varlime;
using namespace varlime::test;

namespace {

std::string langEnPath() {
    return std::string(VARLIME_SOURCE_DIR) + "/lang/lang_en.ini";
}

// Every window of the application: the main window and the dialogs it owns.
std::vector<QWidget*> windows(Application& app) {
    std::vector<QWidget*> out{&app.MainForm()};
    for (QDialog* d : app.MainForm().findChildren<QDialog*>())
        out.push_back(d);
    return out;
}

// Texts a window computes while it runs (paths, drives, version numbers, the title the
// main window builds from a message): a language file entry would be overwritten.
struct Dynamic {
    const char* window;
    const char* control; // empty for the window's title
};
constexpr Dynamic kDynamic[] = {
    {"MainForm", ""},
    {"DLG_selection_repertoire", "DCB_lecteur"},
    {"DLG_rep_xp", "LBL_rep"},
    {"DLG_a_propos", "LBL_version"},
    {"DLG_import", "LBL_resume"},
    {"DLG_import", "LBL_avancement"},
    {"DLG_import", "LBL_ejecter"},
    {"DLG_import", "LBL_place_archive"},
    {"DLG_import", "LBL_place_sauvegarde1"},
    {"DLG_import", "LBL_place_sauvegarde2"},
};

bool isDynamic(const std::string& window, const FormText& t) {
    for (const Dynamic& d : kDynamic)
        if (window == d.window && t.control.toStdString() == d.control)
            return true;
    return false;
}

bool hasLetter(const QString& s) {
    for (const QChar c : s)
        if (c.isLetter())
            return true;
    return false;
}

bool hasAny(const IniDocument& doc, const std::string& section,
            std::initializer_list<std::string> keys) {
    for (const auto& k : keys)
        if (doc.hasKey(section, k))
            return true;
    return false;
}

TEST(LangEn, EveryWindowTextHasAnEntry) {
    bool exists = false;
    const IniDocument doc = IniDocument::load(langEnPath(), &exists);
    ASSERT_TRUE(exists) << langEnPath();
    AppFixture f;
    std::string missing;
    int checked = 0;
    for (QWidget* w : windows(*f.app)) {
        const std::string instance = formInstanceName(w).toStdString();
        ASSERT_FALSE(instance.empty()) << formClassName(w).toStdString() << " has no objectName";
        const std::string className = formClassName(w).toStdString();
        const std::string section =
            !doc.hasSection(instance) && doc.hasSection(className) ? className : instance;
        for (const FormText& t : translatableTexts(w)) {
            // Numbers and signs read the same in every language.
            if (isDynamic(instance, t) || !hasLetter(t.text))
                continue;
            const std::string name = t.control.toStdString();
            bool found = false;
            switch (t.kind) {
            case FormText::Kind::Title:
                found = hasAny(doc, section, {"Caption", instance + ".Caption", instance});
                break;
            case FormText::Kind::Caption:
                found = hasAny(doc, section, {name + ".Caption", name});
                break;
            case FormText::Kind::Text:
                found = hasAny(doc, section, {name + ".Caption", name, name + ".Text"});
                break;
            case FormText::Kind::Item:
            case FormText::Kind::Hint:
                found = doc.hasKey(section, t.key().toStdString());
                break;
            }
            ++checked;
            if (!found)
                missing += "[" + section + "] " + t.key().toStdString() + "=" +
                           t.text.toStdString() + "\n";
        }
    }
    EXPECT_GT(checked, 40);
    EXPECT_TRUE(missing.empty()) << "lang/lang_en.ini lacks these entries (French text shown):\n"
                                 << missing;
}

TEST(LangEn, TranslatesTheMainWindowAndItsMenus) {
    AppFixture f;
    f.programDir.write("lang_en.ini", readFile(langEnPath()));
    f.programDir.write("lang.ini", "[CONFIG]\nActiveLanguage=en\n");
    // A new application over the folder starts in English.
    f.app.reset();
    f.app = std::make_unique<Application>(f.programDir.path(), f.messages);
    TMainForm& m = f.app->MainForm();
    EXPECT_EQ(m.MIT_aide_langue->text().toStdString(), "Languages");
    EXPECT_EQ(m.MIT_quitter->text().toStdString(), "Quit");
    EXPECT_EQ(m.BT_valider_rename->text().toStdString(), "Rename");
    EXPECT_EQ(m.cellule(0, 0).toStdString(), "Before");
    EXPECT_EQ(m.cellule(1, 0).toStdString(), "After");
    // A dialog with a radio group: its title, caption and items.
    TDLG_type_fichier& types = f.app->DLG_type_fichier();
    EXPECT_EQ(types.windowTitle().toStdString(), "File types");
    EXPECT_EQ(types.GRA_fichier->title().toStdString(), "Files");
    EXPECT_EQ(types.GRA_fichier->itemText(1).toStdString(), "All but folders");
    EXPECT_EQ(types.GRA_fichier->count(), 3);
    EXPECT_EQ(types.CKB_cache->text().toStdString(), "Hidden");
}

} // namespace
