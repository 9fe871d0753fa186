// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Translation of a window from a language file, once, when the window is created.
//
// The window's section is the one named after its objectName (MainForm, DLG_langue),
// else the one named after its class (TMainForm, TDLG_langue). Inside it:
//   Caption, <window>.Caption, <window>    the window's title, first found wins
//   <control>.Caption, <control>           a control's caption (label, button, check
//                                          box, group, menu item, menu, tab page)
//   <control>.Text                         a multi-line text box's whole text
//   <control>.Items.<n>                    item n of a combo box, list or radio group
//   <control>.Hint                         a control's tool tip
// Controls are visited in creation order through their objectNames; unnamed ones are
// skipped. Captions are used exactly as read; in texts and items "\n" is a line break.
#include <QString>
#include <string>
#include <string_view>
#include <vector>

class QObject;
class QWidget;

namespace varlime {

class Localization;

// Translates `form` from `languageFile` (bare name or path), or from the active
// language file when it is empty. Nothing happens when the file or both sections are
// missing.
void TranslateForm(QWidget* form, Localization& localization, std::string_view languageFile = {});

// Section names a window is translated from: its objectName, and its class name without
// the namespace.
QString formInstanceName(const QWidget* form);
QString formClassName(const QWidget* form);

// One text of a window that a language file can replace, as TranslateForm sees it.
struct FormText {
    enum class Kind { Title, Caption, Text, Item, Hint };
    Kind kind;
    QString control; // objectName; empty for the window's title
    int index = -1;  // item index (Item)
    QString text;    // current text
    // The key TranslateForm reads first for it ("Caption", "BT_ok.Caption",
    // "CBB_langue.Items.0", "MEM_texte.Text", "TBT_exif.Hint").
    QString key() const;
};

// Every non-empty text of a window that TranslateForm would look up, in visiting order
// (used to check that a language file is complete).
std::vector<FormText> translatableTexts(QWidget* form);

} // namespace varlime
