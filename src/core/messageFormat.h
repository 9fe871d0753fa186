// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Fills the placeholders of a message ("%s", "%d", "%%") in order. Messages come
// from language files written by translators, so a placeholder without an argument
// is left as it is and a surplus argument is ignored: a damaged translation never
// reads past its arguments.
#include <QString>
#include <QVariant>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace varlime {

class Localization;
struct IniProblem;

QString formatMessage(const QString& format, std::initializer_list<QVariant> args);

// The same for the core's UTF-8 texts.
std::string formatMessage(std::string_view format, std::initializer_list<std::string_view> args);

// Text of a message key of section MESSAGES, or the default when the key is missing.
using TextLookup = std::function<std::string(std::string_view key, std::string_view defaut)>;

// A lookup over the active language file.
TextLookup lookupMessages(Localization& localization);
// The built-in French texts only.
TextLookup defaultMessages();

// What to tell about a settings or language file that was not read whole: the file's
// path and, for a value holding a NUL byte, its key and section. Empty when there is
// nothing to tell.
std::string messageProblemeIni(const TextLookup& texte, const std::string& chemin,
                               const IniProblem& probleme);

// The cause of a system failure (an errno value) in the user's language: our own words
// for the causes a user meets (access refused, read-only disk, name taken, disk full…),
// never the C library's English text inside a French sentence.
std::string texteErreurSysteme(const TextLookup& texte, int erreur);

// Lines of a message as a memo shows them: split at "\r\n", "\n" or "\r"; a text
// ending in a line break gives an empty last line.
std::vector<std::string> messageLines(std::string_view text);

// The lines of a message whose placeholders are filled after the split: a file name
// holding a line break stays on its line.
std::vector<std::string> formattedLines(std::string_view format,
                                        std::initializer_list<std::string_view> args);

// A name or line written on one line: line breaks, tabs and other control characters
// as "\n", "\t" and "\xHH"; with `doublerBarres`, a backslash doubled so that the
// text can be read back unambiguously.
std::string controlesVisibles(std::string_view s, bool doublerBarres);

} // namespace varlime
