// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Windows-style initialisation files (the settings file, lang.ini, the language files).
//
// A file is read whole, in one pass, into an IniDocument; lookups are then made in
// memory. Writing one key rewrites the file so that every other line stays exactly as
// it was (comments, unknown sections and keys, their order, line ends), which keeps a
// file shared with other versions of the program intact.
//
// Syntax, as the Windows profile functions read it: "[name]" opens a section; a line
// "key=value" inside a section is an entry; section and key names are compared without
// regard to letter case; blanks around names and values are ignored; the first
// occurrence of a key wins. Lines starting with ';' or '#', lines without '=', and
// entries before the first section are ignored (and kept when the file is rewritten).
//
// Text is UTF-8. A file that is not valid UTF-8 was written by the Windows program and
// is read as Windows-1252 (see textEncoding.h).
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace varlime {

// Files larger than this are not read (a settings or language file is a few kilobytes);
// a write to such a file is refused so that nothing in it is lost. Every activation of
// the main window reads the settings file whole, so the bound keeps that read short.
inline constexpr std::size_t kIniMaxFileSize = 4u * 1024u * 1024u;

// Why a file was not read whole, so that the program can say which file and which key.
struct IniProblem {
    enum class Kind {
        None,
        TooLarge, // the file was not read at all
        NulByte,  // an entry holds a NUL byte, which no stored text can hold
    };
    Kind kind = Kind::None;
    std::string section; // NulByte: the first such entry
    std::string key;
};

// Case-insensitive comparison of section and key names.
bool iniNameEquals(std::string_view a, std::string_view b);
// The form of a name that iniNameEquals compares (case folded).
std::string iniNameFold(std::string_view name);

class IniDocument {
public:
    IniDocument() = default;
    // Parses file contents (any bytes; never fails).
    static IniDocument parse(std::string_view bytes);
    // Reads a whole file in one pass. A missing, unreadable or oversized file gives an
    // empty document; `exists` tells whether the file could be read.
    static IniDocument load(const std::string& path, bool* exists = nullptr);

    // What was left out while reading; Kind::None when nothing was.
    const IniProblem& problem() const { return problem_; }

    // The first value of key in section (the first section of that name holding it).
    std::optional<std::string> value(std::string_view section, std::string_view key) const;
    // value(), or the default when the key is missing.
    std::string read(std::string_view section, std::string_view key,
                     std::string_view defaultValue) const;
    bool hasKey(std::string_view section, std::string_view key) const;
    // True when a section of that name holds at least one entry: a section without
    // keys counts as absent.
    bool hasSection(std::string_view section) const;
    // Key names of a section, first occurrences only, in file order.
    std::vector<std::string> keys(std::string_view section) const;

    // Replaces the value read by value(section, key), or adds the key at the end of the
    // first section of that name, or adds the section at the end of the file.
    void set(std::string_view section, std::string_view key, std::string_view value);

    // File contents, UTF-8, every untouched line as it was read.
    std::string serialize() const;

    // A value that must keep leading or trailing blanks, or that is itself quoted, is
    // written between double quotes, which reading removes again (as the Windows profile
    // functions do). Line breaks cannot be stored in a line and become blanks.
    static std::string encodeValue(std::string_view value);

private:
    enum class Kind : unsigned char { Other, Section, Entry };
    enum class End : unsigned char { None, Lf, CrLf };
    // One line of the file. Most lines of a large file are blank or comments: only
    // sections and entries keep their names, in `names_`, so a line costs little.
    struct Line {
        std::string text; // the line without its end
        End end = End::None;
        Kind kind = Kind::Other;
        int section = -1; // index of the section line above (Entry, Other)
        int detail = -1;  // index in names_ (Section, Entry)
        // Blank and comment lines in a row, held as one (their ends inside `text`).
        bool filler = false;
    };
    struct Names {
        std::string name;  // section name (Section) or key (Entry)
        std::string value; // decoded value (Entry)
    };
    static std::string_view endText(End end);
    void analyse(Line& line, int currentSection);
    const std::string& nameOf(const Line& line) const;
    // Works out every line's meaning again and indexes the first entry of each key.
    void reindex();
    int findEntry(std::string_view section, std::string_view key) const;

    std::vector<Line> lines_;
    std::vector<Names> names_;
    IniProblem problem_;
    // Folded "section\nkey" -> line of its first entry; folded names of the sections
    // that hold an entry.
    std::unordered_map<std::string, int> firstEntry_;
    std::unordered_set<std::string> sectionsWithEntries_;
    bool bom_ = false;
    End newline_ = End::Lf;
};

// Result of a write; `ok` false means nothing was changed on disk.
struct IniWriteResult {
    bool ok = false;
    std::string error; // the system's reason, for diagnostics
};

// Writes one key: reads the file, changes the one line and writes the whole file to a
// temporary file in the same folder, flushes it to disk, renames it over the old one and
// flushes the folder. The file is complete on disk when the call returns, and a crash or
// a failed write (full disk, size limit, rename refused) leaves the old file whole and
// no temporary file behind: the file is never truncated in place, so a file whose folder
// cannot be written is refused. Keeps the file's permissions. The file is never held
// open between calls. Creates the file and its folder when missing. A read-only file is
// refused, as is a file that exists but cannot be read (rewriting it would lose its
// contents).
IniWriteResult writeIniValue(const std::string& path, std::string_view section,
                             std::string_view key, std::string_view value);

// The folder (ending in '/') where a per-user file goes when the program folder cannot
// be written: $XDG_CONFIG_HOME/varlime/, by default ~/.config/varlime/.
std::string userConfigFolder();

// True when a file in `folder` can be replaced (a new name can be made there).
bool folderIsWritable(const std::string& folder);

// True when `folder` holds an installed program rather than a copy of the user's own: a
// system folder (under /usr/, /bin/, /sbin/ or /lib.../, links followed), or the bin/
// folder of an installed tree, beside share/varlime/ (a package unpacked anywhere, an
// install under /opt). An installed program never writes beside itself, even when run by
// the superuser, who could.
bool isInstalledProgramFolder(const std::string& folder);

// Where the settings file (or lang.ini, which follows the same rule) is read and written.
// A writable program folder that is not an installed one holds it (portable use, a copy
// run from its build folder). Otherwise it lives in userConfigFolder(); while only the
// program folder holds the file, it is still read from there, and the first write starts
// the user's file as a copy of it.
struct ConfigFileLocation {
    std::string readPath;
    std::string writePath;
};
ConfigFileLocation locateConfigFile(const std::string& programFolder, std::string_view fileName);
// The same rule, with the program folder's writability given rather than tested.
ConfigFileLocation locateConfigFile(const std::string& programFolder, std::string_view fileName,
                                    bool programFolderWritable);
// locateConfigFile(...).readPath.
std::string configFilePath(const std::string& programFolder, std::string_view fileName);

// Writes one key at where.writePath (as writeIniValue). When that file does not exist yet
// and where.readPath is another file, the new file starts as a copy of it.
IniWriteResult writeConfigValue(const ConfigFileLocation& where, std::string_view section,
                                std::string_view key, std::string_view value);

} // namespace varlime
