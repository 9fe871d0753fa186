// SPDX-License-Identifier: GPL-3.0-or-later
// Translating a window from a language file: which section, which keys, which controls.
#include "i18n/uLocalization.h"
#include "i18n/ui/TranslateForm.h"
#include "support/test_support.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <gtest/gtest.h>

#include <map>
#include <memory>

using namespace varlime;
using varlime::test::TempDir;
using namespace std::string_literals;

// A small window with one control of each kind TranslateForm handles.
class TDLG_essai_traduction : public QDialog {
    Q_OBJECT
public:
    TDLG_essai_traduction() {
        setObjectName("DLG_essai");
        setWindowTitle("Titre");
        auto* label = new QLabel("Étiquette", this);
        label->setObjectName("LBL_a");
        auto* ok = new QPushButton("OK", this);
        ok->setObjectName("BT_ok");
        auto* box = new QCheckBox("Case", this);
        box->setObjectName("CKB_x");
        auto* group = new QGroupBox("Choix", this);
        group->setObjectName("RGA_choix");
        new QRadioButton("Un", group);
        new QRadioButton("Deux", group);
        auto* combo = new QComboBox(this);
        combo->setObjectName("CBB_liste");
        combo->addItems({"a", "b"});
        auto* memo = new QPlainTextEdit("x", this);
        memo->setObjectName("MEM_texte");
        auto* edit = new QLineEdit("texte saisi", this);
        edit->setObjectName("EDT_nom");
        auto* menu = new QMenu("Fichier", this);
        menu->setObjectName("MNU_fichier");
        auto* quit = new QAction("Quitter", this);
        quit->setObjectName("MIT_quitter");
        menu->addAction(quit);
        auto* tool = new QToolButton(this);
        tool->setObjectName("TBT_exif");
        tool->setToolTip("Informations EXIF");
        new QLabel("sans nom", this);
    }
};

namespace {

// Every text of the window, by a short name.
std::map<std::string, std::string> state(QWidget* w) {
    auto s = [](const QString& q) { return q.toStdString(); };
    auto* group = w->findChild<QGroupBox*>("RGA_choix");
    const auto radios = group->findChildren<QRadioButton*>();
    auto* combo = w->findChild<QComboBox*>("CBB_liste");
    return {
        {"title", s(w->windowTitle())},
        {"LBL_a", s(w->findChild<QLabel*>("LBL_a")->text())},
        {"BT_ok", s(w->findChild<QPushButton*>("BT_ok")->text())},
        {"CKB_x", s(w->findChild<QCheckBox*>("CKB_x")->text())},
        {"RGA_choix", s(group->title())},
        {"RGA_choix.0", s(radios[0]->text())},
        {"RGA_choix.1", s(radios[1]->text())},
        {"radios", std::to_string(radios.size())},
        {"CBB_liste.0", s(combo->itemText(0))},
        {"CBB_liste.1", s(combo->itemText(1))},
        {"combo", std::to_string(combo->count())},
        {"MEM_texte", s(w->findChild<QPlainTextEdit*>("MEM_texte")->toPlainText())},
        {"EDT_nom", s(w->findChild<QLineEdit*>("EDT_nom")->text())},
        {"MNU_fichier", s(w->findChild<QMenu*>("MNU_fichier")->title())},
        {"MIT_quitter", s(w->findChild<QAction*>("MIT_quitter")->text())},
        {"TBT_exif.hint", s(w->findChild<QToolButton*>("TBT_exif")->toolTip())},
    };
}

TEST(TranslateForm, Table) {
    struct Case {
        const char* name;
        std::string file;
        std::map<std::string, std::string> changed; // everything else stays French
    };
    const Case cases[] = {
        {"every_kind",
         "[DLG_essai]\nCaption=Title\nDLG_essai.Caption=Ignored\nLBL_a=Label\n"
         "BT_ok.Caption=OK!\nBT_ok=ignored\nCKB_x.Caption=Box\\nbox\nRGA_choix=Choice\n"
         "RGA_choix.Items.0=One\nRGA_choix.Items.1=Two\\nlines\nRGA_choix.Items.2=Three\n"
         "CBB_liste.Items.1=B\nCBB_liste.Items.5=F\nMEM_texte.Text=line1\\nline2\n"
         "EDT_nom=not a caption\nMIT_quitter=&Quit\nMNU_fichier=File\n"
         "TBT_exif.Hint=EXIF information\n",
         {{"title", "Title"},
          {"LBL_a", "Label"},
          {"BT_ok", "OK!"},
          {"CKB_x", "Box\\nbox"},
          {"RGA_choix", "Choice"},
          {"RGA_choix.0", "One"},
          {"RGA_choix.1", "Two\nlines"},
          {"CBB_liste.1", "B"},
          {"MEM_texte", "line1\nline2"},
          {"MIT_quitter", "&Quit"},
          {"MNU_fichier", "File"},
          {"TBT_exif.hint", "EXIF information"}}},
        {"class_section",
         "[TDLG_essai_traduction]\nCaption=From class\nLBL_a=L\n",
         {{"title", "From class"}, {"LBL_a", "L"}}},
        {"empty_instance_section_counts_as_absent",
         "[DLG_essai]\n; nothing yet\n[TDLG_essai_traduction]\nCaption=Class\n",
         {{"title", "Class"}}},
        {"instance_section_wins",
         "[TDLG_essai_traduction]\nCaption=Class\n[dlg_ESSAI]\nCaption=Instance\n",
         {{"title", "Instance"}}},
        {"no_section", "[OTHER]\nCaption=x\n[MESSAGES]\nLBL_a=y\n", {}},
        {"second_title_key",
         "[DLG_essai]\nDLG_essai.Caption=Second\nDLG_essai=Third\n",
         {{"title", "Second"}}},
        {"third_title_key", "[DLG_essai]\nDLG_essai=Third\n", {{"title", "Third"}}},
        {"title_caption_keeps_marks", "[DLG_essai]\nCaption=a\\nb\n", {{"title", "a\\nb"}}},
        // An empty ".Caption" value hides the plain key and changes nothing.
        {"empty_control_value_keeps_caption",
         "[DLG_essai]\nLBL_a=\nBT_ok.Caption=\nBT_ok=Go\n",
         {}},
        {"memo_caption_before_text",
         "[DLG_essai]\nMEM_texte=a\\nb\nMEM_texte.Text=ignored\n",
         {{"MEM_texte", "a\nb"}}},
        {"unnamed_and_qt_names_untouched", "[DLG_essai]\n=x\nqt_x=y\nsans nom=z\n", {}},
        {"damaged_file",
         "\xFF\x00junk\n[DLG_essai]\n\x01\x02\nLBL_a=ok\nhuge="s + std::string(1 << 20, 'h') +
             "\nLBL_a=second\nCBB_liste.Items.-1=x\nCBB_liste.Items.0=\xE9t\xE9\n",
         {{"LBL_a", "ok"}, {"CBB_liste.0", "été"}}},
    };
    for (const auto& c : cases) {
        TempDir dir;
        dir.write("lang_en.ini", c.file);
        Localization loc(dir.path());
        loc.SetActiveLanguage("en");
        TDLG_essai_traduction form;
        auto expected = state(&form);
        for (const auto& [k, v] : c.changed)
            expected[k] = v;
        TranslateForm(&form, loc);
        EXPECT_EQ(state(&form), expected) << c.name;
    }
}

TEST(TranslateForm, GivenFileOrActiveOne) {
    TempDir dir;
    dir.write("lang_de.ini", "[DLG_essai]\nLBL_a=Deutsch\n");
    Localization loc(dir.path());
    TDLG_essai_traduction french;
    TranslateForm(&french, loc);
    EXPECT_EQ(french.findChild<QLabel*>("LBL_a")->text(), "Étiquette");
    TDLG_essai_traduction given;
    TranslateForm(&given, loc, "lang_de.ini");
    EXPECT_EQ(given.findChild<QLabel*>("LBL_a")->text(), "Deutsch");
    TDLG_essai_traduction missing;
    TranslateForm(&missing, loc, "lang_xx.ini");
    EXPECT_EQ(missing.findChild<QLabel*>("LBL_a")->text(), "Étiquette");
}

TEST(TranslateForm, TextsListedInVisitingOrder) {
    TDLG_essai_traduction form;
    QStringList keys;
    for (const auto& t : translatableTexts(&form))
        keys << t.key() + "=" + t.text;
    EXPECT_EQ(keys,
              (QStringList{"Caption=Titre", "LBL_a.Caption=Étiquette", "BT_ok.Caption=OK",
                           "CKB_x.Caption=Case", "RGA_choix.Caption=Choix", "RGA_choix.Items.0=Un",
                           "RGA_choix.Items.1=Deux", "CBB_liste.Items.0=a", "CBB_liste.Items.1=b",
                           "MEM_texte.Text=x", "MNU_fichier.Caption=Fichier",
                           "MIT_quitter.Caption=Quitter", "TBT_exif.Hint=Informations EXIF"}));
    EXPECT_EQ(formClassName(&form), "TDLG_essai_traduction");
    EXPECT_EQ(formInstanceName(&form), "DLG_essai");
}

} // namespace

#include "ui_translateForm.moc"
