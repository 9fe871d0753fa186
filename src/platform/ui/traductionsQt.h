// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Qt's own texts (the buttons and labels of its file dialog, its line edits' menu) in
// the program's active language, from the qtbase_<code>.qm files of Debian's
// qt6-translations-l10n. Without that file they stay in English.
#include <QLocale>
#include <string>

namespace varlime {

// `code` as the language files name it: "" or "fr" is French. True when Qt's texts are
// in that language (English needs no file).
bool traduireQt(const std::string& code);
// The locale of the program's language `code` ("" or "fr": French), so that sizes and
// numbers read as the text around them; a code Qt does not know is written as French.
QLocale localeDuProgramme(const std::string& code);

} // namespace varlime
