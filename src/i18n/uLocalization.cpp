// SPDX-License-Identifier: GPL-3.0-or-later
#include "i18n/uLocalization.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <sys/stat.h>

namespace varlime {

namespace {

std::string_view trimBlanks(std::string_view s) {
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!s.empty() && blank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && blank(s.back()))
        s.remove_suffix(1);
    return s;
}

bool startsWithNoCase(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && iniNameEquals(s.substr(0, prefix.size()), prefix);
}

bool endsWithNoCase(std::string_view s, std::string_view suffix) {
    return s.size() >= suffix.size() && iniNameEquals(s.substr(s.size() - suffix.size()), suffix);
}

bool isRegularFile(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// The language files of a folder (regular files, links followed), sorted by name so
// that every run and every file system sees them in the same order. Only names of
// language files are looked at closer: the program folder may be /usr/bin.
std::vector<std::string> filesOf(const std::string& folder) {
    std::vector<std::string> out;
    if (DIR* d = ::opendir(folder.c_str())) {
        while (const dirent* e = ::readdir(d)) {
            const std::string name = e->d_name;
            if (isLanguageFileName(name) && isRegularFile(folder + name))
                out.push_back(name);
        }
        ::closedir(d);
    }
    std::sort(out.begin(), out.end());
    return out;
}

// The name in `files` equal to `wanted` without regard to case (exact spelling first).
std::string findNoCase(const std::vector<std::string>& files, const std::string& wanted) {
    for (const auto& f : files)
        if (f == wanted)
            return f;
    for (const auto& f : files)
        if (iniNameEquals(f, wanted))
            return f;
    return {};
}

bool isFrench(std::string_view code) {
    return code.empty() || iniNameEquals(code, "fr");
}

constexpr std::string_view kPrefixes[2] = {"lang_", "langue_"};

} // namespace

std::string replaceLineBreakMarks(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 1 < s.size() && s[i + 1] == 'n') {
            out += '\n';
            ++i;
        } else {
            out += s[i];
        }
    }
    return out;
}

std::vector<std::string> formatPlaceholders(std::string_view s) {
    std::vector<std::string> out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '%')
            continue;
        if (i + 1 < s.size() && s[i + 1] == '%') {
            ++i;
            continue;
        }
        std::size_t j = i + 1;
        while (j < s.size() && std::string_view("-+ #0").find(s[j]) != std::string_view::npos)
            ++j;
        while (j < s.size() && ((s[j] >= '0' && s[j] <= '9') || s[j] == '*' || s[j] == '.'))
            ++j;
        std::string length;
        while (j < s.size() && std::string_view("hlLqjzt").find(s[j]) != std::string_view::npos)
            length += s[j++];
        if (j < s.size() &&
            std::string_view("diouxXeEfFgGaAcsp").find(s[j]) != std::string_view::npos) {
            out.push_back(length + s[j]);
            i = j;
        } else {
            // A lone '%' that is no conversion: only harmless where the built-in text
            // has one in the same place.
            out.push_back("?");
            i = j > i + 1 ? j - 1 : i;
        }
    }
    return out;
}

bool isLanguageFileName(std::string_view fileName) {
    if (!endsWithNoCase(fileName, ".ini"))
        return false;
    for (const auto prefix : kPrefixes)
        if (startsWithNoCase(fileName, prefix) && fileName.size() >= prefix.size() + 4)
            return true;
    return false;
}

std::string codeFromLanguageFileName(std::string_view fileName) {
    if (!isLanguageFileName(fileName))
        return {};
    const std::string_view prefix =
        startsWithNoCase(fileName, "langue_") ? kPrefixes[1] : kPrefixes[0];
    std::string_view rest = fileName.substr(prefix.size());
    const auto dot = rest.rfind('.');
    return std::string(rest.substr(0, dot));
}

// ---------------------------------------------------------------------------------------

Localization::Localization(std::string programFolder) : programFolder_(std::move(programFolder)) {
    if (programFolder_.empty())
        programFolder_ = "./";
    if (programFolder_.back() != '/')
        programFolder_ += '/';
}

std::vector<std::string> Localization::languageFolders() const {
    const std::string candidates[3] = {programFolder_, programFolder_ + "../share/varlime/",
                                       programFolder_ + "../share/varlime/lang/"};
    std::vector<std::string> out;
    std::vector<std::string> seen;
    for (const auto& c : candidates) {
        char* real = ::realpath(c.c_str(), nullptr);
        if (!real)
            continue;
        std::string canonical = real;
        std::free(real);
        if (std::find(seen.begin(), seen.end(), canonical) != seen.end())
            continue;
        seen.push_back(canonical);
        out.push_back(c);
    }
    return out;
}

std::string Localization::langIniPath() const {
    return configFilePath(programFolder_, "lang.ini");
}

std::string Localization::ResolveLanguageFile(std::string_view nameOrPath) const {
    if (nameOrPath.empty())
        return {};
    const std::string name(nameOrPath);
    if (name.find('/') != std::string::npos)
        return isRegularFile(name) ? name : std::string();
    for (const auto& folder : languageFolders()) {
        if (isRegularFile(folder + name))
            return folder + name;
        const std::string found = findNoCase(filesOf(folder), name);
        if (!found.empty())
            return folder + found;
    }
    return {};
}

void Localization::setActive(std::string_view rawCode) {
    const std::string code(trimBlanks(rawCode));
    loaded_ = true;
    cache_.reset();
    cacheStamp_ = cacheSize_ = -1;
    if (isFrench(code)) {
        activeCode_ = "fr";
        activeFile_ = "lang_fr.ini";
        activePath_ = ResolveLanguageFile(activeFile_);
        return;
    }
    activeCode_ = code;
    const bool plainName =
        code.find('/') == std::string::npos && code.find('\0') == std::string::npos;
    for (const auto& folder : languageFolders()) {
        const auto files = filesOf(folder);
        // A file named after the code wins over one that only declares it.
        if (plainName) {
            for (const auto prefix : kPrefixes) {
                const std::string found = findNoCase(files, std::string(prefix) + code + ".ini");
                if (!found.empty()) {
                    activeFile_ = found;
                    activePath_ = folder + found;
                    return;
                }
            }
        }
        for (const auto prefix : kPrefixes) {
            for (const auto& f : files) {
                if (!isLanguageFileName(f) || !startsWithNoCase(f, prefix))
                    continue;
                const IniDocument doc = IniDocument::load(folder + f);
                if (iniNameEquals(trimBlanks(doc.read("langue", "LangCode", "")), code)) {
                    activeFile_ = f;
                    activePath_ = folder + f;
                    return;
                }
            }
        }
    }
    activeFile_ = "lang_" + code + ".ini";
    activePath_.clear();
}

std::string langueDuSysteme() {
    // The variables the C library itself looks at for messages, in its order.
    for (const char* nom : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* valeur = std::getenv(nom);
        if (!valeur || !*valeur)
            continue;
        std::string code(valeur);
        code = code.substr(0, code.find_first_of("_.@"));
        if (code == "C" || code == "POSIX")
            return {};
        for (char& c : code)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return code;
    }
    return {};
}

void Localization::ensureLoaded() {
    if (loaded_)
        return;
    const IniDocument choice = IniDocument::load(langIniPath());
    const std::string stored(trimBlanks(choice.read("CONFIG", "ActiveLanguage", "")));
    if (!stored.empty()) {
        setActive(stored);
        return;
    }
    // No language chosen yet: the user's own when a language file for it exists.
    const std::string systeme = langueDuSysteme();
    if (!systeme.empty() && systeme != "fr") {
        setActive(systeme);
        if (isRegularFile(activePath_))
            return;
    }
    setActive("fr");
}

void Localization::SetActiveLanguage(std::string_view code) {
    std::lock_guard lock(mutex_);
    setActive(code);
}

std::string Localization::ActiveLanguageCode() {
    std::lock_guard lock(mutex_);
    ensureLoaded();
    return activeCode_;
}

std::string Localization::ActiveLanguageFile() {
    std::lock_guard lock(mutex_);
    ensureLoaded();
    return activeFile_;
}

std::string Localization::ActiveLanguagePath() {
    std::lock_guard lock(mutex_);
    ensureLoaded();
    return isRegularFile(activePath_) ? activePath_ : std::string();
}

bool Localization::SaveActiveLanguage(std::string_view code, std::string* failedPath) {
    const ConfigFileLocation where = locateConfigFile(programFolder_, "lang.ini");
    const IniWriteResult r = writeConfigValue(where, "CONFIG", "ActiveLanguage", code);
    if (!r.ok && failedPath)
        *failedPath = where.writePath;
    return r.ok;
}

const IniDocument* Localization::activeDocumentLocked() {
    ensureLoaded();
    struct stat st;
    if (activePath_.empty() || ::stat(activePath_.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        cache_.reset();
        activeProblem_ = {};
        return nullptr;
    }
    const long long stamp =
        static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
    const long long size = static_cast<long long>(st.st_size);
    if (!cache_ || stamp != cacheStamp_ || size != cacheSize_) {
        bool exists = false;
        IniDocument doc = IniDocument::load(activePath_, &exists);
        activeProblem_ = doc.problem();
        if (!exists) {
            cache_.reset();
            return nullptr;
        }
        cache_ = std::move(doc);
        cacheStamp_ = stamp;
        cacheSize_ = size;
    }
    return &*cache_;
}

IniProblem Localization::ActiveFileProblem(std::string* path) {
    std::lock_guard lock(mutex_);
    activeDocumentLocked();
    if (path)
        *path = activePath_;
    return activePath_.empty() ? IniProblem{} : activeProblem_;
}

std::optional<IniDocument> Localization::ActiveDocument() {
    std::lock_guard lock(mutex_);
    const IniDocument* doc = activeDocumentLocked();
    return doc ? std::optional<IniDocument>(*doc) : std::nullopt;
}

std::optional<IniDocument> Localization::LoadLanguageFile(std::string_view nameOrPath) {
    const std::string path = ResolveLanguageFile(nameOrPath);
    if (path.empty())
        return std::nullopt;
    bool exists = false;
    IniDocument doc = IniDocument::load(path, &exists);
    if (!exists)
        return std::nullopt;
    return doc;
}

std::string Localization::GetLangText(std::string_view section, std::string_view key,
                                      std::string_view defaultText) {
    std::lock_guard lock(mutex_);
    const IniDocument* doc = activeDocumentLocked();
    if (!doc)
        return std::string(defaultText);
    std::string result(defaultText);
    if (auto v = doc->value(section, key)) {
        // A translation whose placeholders differ from the built-in text's would make
        // the formatting read an argument of the wrong type: keep the built-in text.
        if (formatPlaceholders(*v) == formatPlaceholders(defaultText))
            result = std::move(*v);
    }
    return replaceLineBreakMarks(result);
}

std::vector<std::string> Localization::GetLangLines(std::string_view section, std::string_view key,
                                                    const std::vector<std::string>& defaultLines) {
    const std::string text = GetLangText(section, key, "");
    if (text.empty())
        return defaultLines;
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (;;) {
        const auto nl = text.find('\n', start);
        std::string piece = text.substr(start, nl == std::string::npos ? nl : nl - start);
        if (!piece.empty() && piece.back() == '\r')
            piece.pop_back();
        lines.push_back(std::move(piece));
        if (nl == std::string::npos)
            break;
        start = nl + 1;
    }
    return lines;
}

std::vector<TLangItem> Localization::LanguageList() {
    std::vector<TLangItem> list;
    list.push_back({std::string(kFrenchName), "fr", std::string(kFrenchMessage), {}, {}});
    for (const auto& folder : languageFolders()) {
        const auto files = filesOf(folder);
        for (const auto prefix : kPrefixes) {
            for (const auto& f : files) {
                if (!isLanguageFileName(f) || !startsWithNoCase(f, prefix))
                    continue;
                const IniDocument doc = IniDocument::load(folder + f);
                TLangItem item;
                item.name = std::string(trimBlanks(doc.read("langue", "LangNom", "")));
                item.code = std::string(trimBlanks(doc.read("langue", "LangCode", "")));
                item.message = doc.read("langue", "MessageLangue", "");
                if (item.code.empty())
                    item.code = codeFromLanguageFileName(f);
                if (item.code.empty() || isFrench(item.code))
                    continue;
                const bool duplicate = std::any_of(list.begin(), list.end(), [&](const auto& e) {
                    return iniNameEquals(e.code, item.code);
                });
                if (duplicate)
                    continue;
                if (item.name.empty())
                    item.name = item.code;
                if (item.message.empty())
                    item.message = std::string(kDefaultLanguageMessage);
                item.message = replaceLineBreakMarks(item.message);
                item.fileName = f;
                item.path = folder + f;
                list.push_back(std::move(item));
            }
        }
    }
    return list;
}

} // namespace varlime
