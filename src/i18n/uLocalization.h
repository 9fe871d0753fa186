// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Language files: the active language, message lookup by key, the language list.
// One Localization object is owned by the application object and handed to every
// window and module that shows text.
//
// The built-in texts are French. Other languages come from files named "lang_*.ini" or
// "langue_*.ini" (section "langue" with LangNom, LangCode and MessageLangue; section
// "MESSAGES" with the RSC_ keys; one section per window). The active language is chosen
// in lang.ini (section CONFIG, key ActiveLanguage), which lives beside the settings
// file. Language files are looked for in the program folder, then in the installed
// data folder (../share/varlime/ and its lang/ folder beside the executable's folder).
// A missing file, section or key is never an error: the built-in text stays.
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/iniFile.h"

namespace varlime {

// One entry of the language dialog's list.
struct TLangItem {
    std::string name;     // shown in the list
    std::string code;     // e.g. "en"
    std::string message;  // shown once the language is chosen; line breaks already made
    std::string fileName; // bare file name, empty for the built-in French entry
    std::string path;     // full path of the file, empty for French
};

inline constexpr std::string_view kFrenchName = "Français";
inline constexpr std::string_view kFrenchMessage =
    "La langue sélectionnée sera active au prochain démarrage de l'application.";
inline constexpr std::string_view kDefaultLanguageMessage =
    "The selected language will be active when the application restarts.";

// "\n" written as two characters in a language file stands for a line break.
std::string replaceLineBreakMarks(std::string_view s);
// The printf-style placeholders of a text ("%s", "%d", "%5.2f"; "%%" is no placeholder),
// in order. A translation is only used when it has the same ones as the built-in text,
// so that formatting a translated message can never read the wrong argument.
std::vector<std::string> formatPlaceholders(std::string_view s);
// The code a language file name stands for: "lang_de.ini" -> "de",
// "langue_portugues.ini" -> "portugues"; empty when the name is no language file name.
std::string codeFromLanguageFileName(std::string_view fileName);
// "lang_*.ini" or "langue_*.ini" (letter case ignored), never "lang.ini".
bool isLanguageFileName(std::string_view fileName);

// The language of the user's locale (LC_ALL, LC_MESSAGES, LANG): "en" for en_GB.UTF-8;
// empty for the C locale or when none is set.
std::string langueDuSysteme();

class Localization {
public:
    // programFolder: folder of the executable (ending in '/'), where lang.ini and the
    // language files are looked for first.
    explicit Localization(std::string programFolder);

    // Message lookup: value of key in section of the active language file, or the
    // default; "\n" in the result becomes a line break.
    std::string GetLangText(std::string_view section, std::string_view key,
                            std::string_view defaultText);
    // Multi-line message: the looked-up text split at its line breaks, or the default
    // lines when the key gives nothing.
    std::vector<std::string> GetLangLines(std::string_view section, std::string_view key,
                                          const std::vector<std::string>& defaultLines);

    // The active language (read from lang.ini on first use).
    std::string ActiveLanguageCode();
    // Bare name of the active language file ("lang_fr.ini" for French), and its full
    // path when it exists (empty otherwise).
    std::string ActiveLanguageFile();
    std::string ActiveLanguagePath();
    // Makes `code` the active language: "" or "fr" is French; otherwise the first of
    // lang_<code>.ini, langue_<code>.ini, a lang_*.ini then a langue_*.ini whose
    // LangCode is the code. Messages looked up afterwards use it.
    void SetActiveLanguage(std::string_view code);
    // Stores the choice in lang.ini (CONFIG/ActiveLanguage); false when the system
    // refuses the write, with the file's full path in failedPath.
    bool SaveActiveLanguage(std::string_view code, std::string* failedPath = nullptr);

    // French first, then every language file found, each code once.
    std::vector<TLangItem> LanguageList();

    // The active language file as read (nullptr when it does not exist). Reloaded when
    // the file changes on disk.
    std::optional<IniDocument> ActiveDocument();
    // What was left out of the active language file (too large, a value holding a NUL),
    // with its path in `path`; Kind::None when it was read whole or there is none.
    IniProblem ActiveFileProblem(std::string* path = nullptr);
    // Reads a language file given by bare name (looked up in the language folders) or
    // by path; nullopt when it does not exist.
    std::optional<IniDocument> LoadLanguageFile(std::string_view nameOrPath);
    // Full path of a language file: a name holding a folder is used as it is; a bare
    // name is looked for in languageFolders(); empty when not found.
    std::string ResolveLanguageFile(std::string_view nameOrPath) const;

    const std::string& programFolder() const { return programFolder_; }
    // Where language files are looked for, in order: the program folder, then the
    // installed data folder.
    std::vector<std::string> languageFolders() const;
    // Full path of the lang.ini to read (same location rule as the settings file).
    std::string langIniPath() const;

private:
    void ensureLoaded();                       // caller holds mutex_
    void setActive(std::string_view code);     // caller holds mutex_
    const IniDocument* activeDocumentLocked(); // caller holds mutex_

    std::string programFolder_;
    std::mutex mutex_;
    bool loaded_ = false;
    std::string activeCode_;
    std::string activeFile_;
    std::string activePath_;
    IniProblem activeProblem_;
    // Cache of the active file, keyed by its modification time and size.
    std::optional<IniDocument> cache_;
    long long cacheStamp_ = -1;
    long long cacheSize_ = -1;
};

} // namespace varlime
