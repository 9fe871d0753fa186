// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/iniFile.h"

#include "platform/textEncoding.h"

#include <QString>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace varlime {

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

// The Windows profile functions drop one pair of matching quotes around a value.
std::string decodeValue(std::string_view v) {
    v = trim(v);
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        v = v.substr(1, v.size() - 2);
    return std::string(v);
}

// A name written into a line: line breaks would split it, and '=' or ']' would make it
// another name when read back.
std::string cleanName(std::string_view s, char forbidden) {
    std::string out(trim(s));
    for (char& c : out)
        if (c == '\n' || c == '\r' || c == forbidden)
            c = ' ';
    return out;
}

bool writeAll(int fd, const std::string& data) {
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// Reads a whole regular file; false when it cannot be read or is too large.
bool readWholeFile(const std::string& path, std::string& out, std::string* error = nullptr) {
    out.clear();
    // Non-blocking so that a pipe or device standing in the file's place cannot hang the
    // program; it is refused below as no regular file.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        if (error)
            *error = std::strerror(errno);
        return false;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
        static_cast<unsigned long long>(st.st_size) > kIniMaxFileSize) {
        if (error)
            *error = S_ISREG(st.st_mode) ? "file too large" : "not a regular file";
        ::close(fd);
        return false;
    }
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            if (error)
                *error = std::strerror(errno);
            ::close(fd);
            return false;
        }
        if (n == 0)
            break;
        out.append(buffer, static_cast<std::size_t>(n));
        if (out.size() > kIniMaxFileSize) {
            if (error)
                *error = "file too large";
            ::close(fd);
            return false;
        }
    }
    ::close(fd);
    return true;
}

std::string folderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

bool makeFolders(const std::string& folder) {
    std::string part;
    for (std::size_t i = 0; i < folder.size(); ++i) {
        part += folder[i];
        if (folder[i] != '/' || part == "/")
            continue;
        struct stat st;
        if (::stat(part.c_str(), &st) == 0) {
            if (!S_ISDIR(st.st_mode))
                return false;
            continue;
        }
        if (::mkdir(part.c_str(), 0755) != 0 && errno != EEXIST)
            return false;
    }
    return true;
}

void syncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

std::string iniNameFold(std::string_view name) {
    std::string out(name);
    bool ascii = true;
    for (char& c : out) {
        if (static_cast<unsigned char>(c) >= 0x80)
            ascii = false;
        else if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    if (ascii)
        return out;
    return QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()))
        .toCaseFolded()
        .toUtf8()
        .toStdString();
}

bool iniNameEquals(std::string_view a, std::string_view b) {
    bool ascii = true;
    for (const char c : a)
        ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    for (const char c : b)
        ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    if (!ascii)
        return QString::fromUtf8(a.data(), static_cast<qsizetype>(a.size()))
                   .compare(QString::fromUtf8(b.data(), static_cast<qsizetype>(b.size())),
                            Qt::CaseInsensitive) == 0;
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z')
            x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = static_cast<char>(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

// ---------------------------------------------------------------------------------------

std::string_view IniDocument::endText(End end) {
    switch (end) {
    case End::Lf:
        return "\n";
    case End::CrLf:
        return "\r\n";
    case End::None:
        break;
    }
    return {};
}

const std::string& IniDocument::nameOf(const Line& line) const {
    static const std::string kNone;
    return line.detail < 0 ? kNone : names_[static_cast<std::size_t>(line.detail)].name;
}

void IniDocument::analyse(Line& line, int currentSection) {
    line.kind = Kind::Other;
    line.detail = -1;
    line.section = currentSection;
    if (line.filler)
        return;
    // Blank lines and comments need no decoding.
    std::string_view raw = trim(line.text);
    if (raw.empty() || raw.front() == ';' || raw.front() == '#')
        return;
    // Each line is decoded on its own: a damaged line does not change how the others
    // read, and a line of a Windows-1252 file is not valid UTF-8 as soon as it holds an
    // accented letter.
    const std::string decoded = textFromFileBytes(line.text);
    const std::string_view t = trim(decoded);
    if (t.front() == '[') {
        const auto close = t.find(']');
        if (close == std::string_view::npos)
            return;
        line.kind = Kind::Section;
        line.detail = static_cast<int>(names_.size());
        names_.push_back({std::string(trim(t.substr(1, close - 1))), {}});
        return;
    }
    const auto eq = t.find('=');
    if (eq == std::string_view::npos || currentSection < 0)
        return;
    const std::string_view key = trim(t.substr(0, eq));
    if (key.empty())
        return;
    // A NUL is part of no text the program stores: the reader can say where it is.
    if (problem_.kind == IniProblem::Kind::None && t.find('\0') != std::string_view::npos) {
        problem_.kind = IniProblem::Kind::NulByte;
        problem_.section = nameOf(lines_[static_cast<std::size_t>(currentSection)]);
        problem_.key = std::string(key);
    }
    line.kind = Kind::Entry;
    line.detail = static_cast<int>(names_.size());
    names_.push_back({std::string(key), decodeValue(t.substr(eq + 1))});
}

IniDocument IniDocument::parse(std::string_view bytes) {
    IniDocument doc;
    if (bytes.substr(0, kBom.size()) == kBom) {
        doc.bom_ = true;
        bytes.remove_prefix(kBom.size());
    }
    bool newlineSeen = false;
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        const auto nl = bytes.find('\n', pos);
        Line line;
        if (nl == std::string_view::npos) {
            line.text = std::string(bytes.substr(pos));
            pos = bytes.size();
        } else {
            std::string_view t = bytes.substr(pos, nl - pos);
            if (!t.empty() && t.back() == '\r') {
                t.remove_suffix(1);
                line.end = End::CrLf;
            } else {
                line.end = End::Lf;
            }
            line.text = std::string(t);
            pos = nl + 1;
            if (!newlineSeen) {
                doc.newline_ = line.end;
                newlineSeen = true;
            }
        }
        // Blank and comment lines mean nothing and never change: a run of them is kept
        // as one line, so that a file of many costs no more than its bytes.
        const std::string_view raw = trim(line.text);
        line.filler = raw.empty() || raw.front() == ';' || raw.front() == '#';
        if (line.filler && !doc.lines_.empty() && doc.lines_.back().filler) {
            Line& previous = doc.lines_.back();
            previous.text += endText(previous.end);
            previous.text += line.text;
            previous.end = line.end;
            continue;
        }
        doc.lines_.push_back(std::move(line));
    }
    doc.reindex();
    return doc;
}

void IniDocument::reindex() {
    firstEntry_.clear();
    sectionsWithEntries_.clear();
    names_.clear();
    if (problem_.kind == IniProblem::Kind::NulByte)
        problem_ = {};
    int current = -1;
    std::string section; // the current section's folded name
    std::string key;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        Line& l = lines_[i];
        analyse(l, current);
        if (l.kind == Kind::Section) {
            current = static_cast<int>(i);
            section = iniNameFold(nameOf(l));
        } else if (l.kind == Kind::Entry) {
            sectionsWithEntries_.insert(section);
            key = section;
            key += '\n';
            key += iniNameFold(nameOf(l));
            firstEntry_.try_emplace(key, static_cast<int>(i));
        }
    }
}

IniDocument IniDocument::load(const std::string& path, bool* exists) {
    std::string bytes;
    std::string error;
    const bool ok = readWholeFile(path, bytes, &error);
    if (exists)
        *exists = ok;
    if (ok)
        return parse(bytes);
    IniDocument doc;
    if (error == "file too large")
        doc.problem_.kind = IniProblem::Kind::TooLarge;
    return doc;
}

int IniDocument::findEntry(std::string_view section, std::string_view key) const {
    const auto it = firstEntry_.find(iniNameFold(section) + '\n' + iniNameFold(key));
    return it == firstEntry_.end() ? -1 : it->second;
}

std::optional<std::string> IniDocument::value(std::string_view section,
                                              std::string_view key) const {
    const int i = findEntry(section, key);
    if (i < 0)
        return std::nullopt;
    return names_[static_cast<std::size_t>(lines_[static_cast<std::size_t>(i)].detail)].value;
}

std::string IniDocument::read(std::string_view section, std::string_view key,
                              std::string_view defaultValue) const {
    auto v = value(section, key);
    return v ? std::move(*v) : std::string(defaultValue);
}

bool IniDocument::hasKey(std::string_view section, std::string_view key) const {
    return findEntry(section, key) >= 0;
}

bool IniDocument::hasSection(std::string_view section) const {
    return sectionsWithEntries_.count(iniNameFold(section)) > 0;
}

std::vector<std::string> IniDocument::keys(std::string_view section) const {
    std::vector<std::string> out;
    // Folded names already given: a section of many keys is listed in one pass.
    std::unordered_set<std::string> seen;
    for (const Line& l : lines_) {
        if (l.kind != Kind::Entry ||
            !iniNameEquals(nameOf(lines_[static_cast<std::size_t>(l.section)]), section))
            continue;
        if (seen.insert(iniNameFold(nameOf(l))).second)
            out.push_back(nameOf(l));
    }
    return out;
}

std::string IniDocument::encodeValue(std::string_view value) {
    std::string v(value);
    for (char& c : v)
        if (c == '\n' || c == '\r')
            c = ' ';
    const bool quote =
        !v.empty() &&
        (isBlank(v.front()) || isBlank(v.back()) ||
         (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()));
    return quote ? "\"" + v + "\"" : v;
}

void IniDocument::set(std::string_view section, std::string_view key, std::string_view value) {
    const std::string cleanKey = cleanName(key, '=');
    const std::string cleanSection = cleanName(section, ']');
    const std::string text = cleanKey + "=" + encodeValue(value);
    const int found = findEntry(cleanSection, cleanKey);
    if (found >= 0) {
        Line& l = lines_[static_cast<std::size_t>(found)];
        // Keep the key as the file spells it; only the value changes.
        l.text = nameOf(l) + "=" + encodeValue(value);
    } else {
        std::size_t insertAt = lines_.size();
        bool sectionFound = false;
        for (std::size_t i = 0; i < lines_.size(); ++i) {
            if (!sectionFound) {
                if (lines_[i].kind == Kind::Section &&
                    iniNameEquals(nameOf(lines_[i]), cleanSection)) {
                    sectionFound = true;
                    insertAt = i + 1;
                }
                continue;
            }
            if (lines_[i].kind == Kind::Section)
                break;
            if (lines_[i].kind == Kind::Entry)
                insertAt = i + 1;
        }
        std::vector<Line> added;
        if (!sectionFound) {
            Line head;
            head.text = "[" + cleanSection + "]";
            head.end = newline_;
            added.push_back(std::move(head));
        }
        Line entry;
        entry.text = text;
        entry.end = newline_;
        added.push_back(std::move(entry));
        if (insertAt > 0 && lines_[insertAt - 1].end == End::None)
            lines_[insertAt - 1].end = newline_;
        lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insertAt), added.begin(),
                      added.end());
    }
    reindex();
}

std::string IniDocument::serialize() const {
    std::string out;
    if (bom_)
        out += kBom;
    for (const Line& l : lines_) {
        out += l.text;
        out += endText(l.end);
    }
    return out;
}

// ---------------------------------------------------------------------------------------

namespace {

// Replaces `target` by a file holding `data`, in one step: the bytes go to a temporary
// file in the same folder, which is flushed to disk and then renamed over the target,
// and the folder is flushed so that the rename itself survives a power cut. Whatever
// fails on the way (full disk, size limit, write error, rename refused), the temporary
// file is removed and the target stays as it was: it is never truncated in place.
IniWriteResult replaceFile(const std::string& target, const std::string& data, mode_t mode) {
    IniWriteResult result;
    const std::string folder = folderOf(target);
    const auto slash = target.rfind('/');
    const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    std::string temp = folder + "." + base + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) {
        result.error = std::strerror(errno);
        return result;
    }
    int err = 0;
    if (!writeAll(fd, data) || ::fchmod(fd, mode) != 0 || ::fsync(fd) != 0)
        err = errno;
    // close() can report a delayed write error of its own.
    if (::close(fd) != 0 && err == 0)
        err = errno;
    if (err == 0 && ::rename(temp.c_str(), target.c_str()) != 0)
        err = errno;
    if (err != 0) {
        ::unlink(temp.c_str());
        result.error = std::strerror(err);
        return result;
    }
    syncFolder(folder);
    result.ok = true;
    return result;
}

// The file's contents with one key changed, written over `target`.
IniWriteResult writeChanged(const std::string& target, std::string_view contents, mode_t mode,
                            std::string_view section, std::string_view key,
                            std::string_view value) {
    IniDocument doc = IniDocument::parse(contents);
    doc.set(section, key, value);
    return replaceFile(target, doc.serialize(), mode);
}

} // namespace

IniWriteResult writeIniValue(const std::string& path, std::string_view section,
                             std::string_view key, std::string_view value) {
    IniWriteResult result;
    std::string target = path;
    // Write through a link to the file it names, so the link stays a link.
    struct stat lst;
    if (::lstat(path.c_str(), &lst) == 0 && S_ISLNK(lst.st_mode)) {
        if (char* real = ::realpath(path.c_str(), nullptr)) {
            target = real;
            std::free(real);
        }
    }
    const std::string folder = folderOf(target);
    if (!makeFolders(folder)) {
        result.error = "cannot create folder " + folder;
        return result;
    }

    std::string contents;
    struct stat st;
    mode_t mode = 0644;
    if (::stat(target.c_str(), &st) == 0) {
        if (!S_ISREG(st.st_mode)) {
            result.error = "not a regular file";
            return result;
        }
        if (::access(target.c_str(), W_OK) != 0) {
            result.error = std::strerror(errno);
            return result;
        }
        // A file that exists but cannot be read would be replaced by the one key.
        if (!readWholeFile(target, contents, &result.error))
            return result;
        mode = st.st_mode & 07777;
    }
    return writeChanged(target, contents, mode, section, key, value);
}

std::string userConfigFolder() {
    std::string base;
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    // The XDG rules ignore a relative value.
    if (xdg && xdg[0] == '/') {
        base = xdg;
    } else {
        const char* home = std::getenv("HOME");
        std::string h = home ? home : "";
        if (h.empty()) {
            if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir)
                h = pw->pw_dir;
        }
        base = h + "/.config";
    }
    while (base.size() > 1 && base.back() == '/')
        base.pop_back();
    return base + "/varlime/";
}

bool folderIsWritable(const std::string& folder) {
    // Replacing a file needs to make a new name in its folder and to enter it.
    return ::access(folder.c_str(), W_OK | X_OK) == 0;
}

bool isInstalledProgramFolder(const std::string& folder) {
    char* real = ::realpath(folder.empty() ? "." : folder.c_str(), nullptr);
    if (!real)
        return false;
    std::string path = real;
    std::free(real);
    if (path.back() != '/')
        path += '/';
    for (const std::string_view system :
         {"/usr/", "/bin/", "/sbin/", "/lib/", "/lib32/", "/lib64/", "/libx32/"})
        if (path.starts_with(system))
            return true;
    // The bin/ folder of a tree that also holds share/varlime/, as an install lays out.
    struct stat st;
    return path.ends_with("/bin/") && ::stat((path + "../share/varlime").c_str(), &st) == 0 &&
           S_ISDIR(st.st_mode);
}

ConfigFileLocation locateConfigFile(const std::string& programFolder, std::string_view fileName,
                                    bool programFolderWritable) {
    std::string folder = programFolder.empty() ? std::string("./") : programFolder;
    if (folder.back() != '/')
        folder += '/';
    const std::string inProgram = folder + std::string(fileName);
    if (programFolderWritable)
        return {inProgram, inProgram};
    const std::string inUser = userConfigFolder() + std::string(fileName);
    struct stat st;
    // Once the user's file exists it holds every value, the program folder's included.
    if (::stat(inUser.c_str(), &st) == 0)
        return {inUser, inUser};
    // Until the first write, the program folder's file is still the one to read.
    if (::stat(inProgram.c_str(), &st) == 0)
        return {inProgram, inUser};
    return {inUser, inUser};
}

ConfigFileLocation locateConfigFile(const std::string& programFolder, std::string_view fileName) {
    std::string folder = programFolder.empty() ? std::string("./") : programFolder;
    return locateConfigFile(programFolder, fileName,
                            folderIsWritable(folder) && !isInstalledProgramFolder(folder));
}

std::string configFilePath(const std::string& programFolder, std::string_view fileName) {
    return locateConfigFile(programFolder, fileName).readPath;
}

IniWriteResult writeConfigValue(const ConfigFileLocation& where, std::string_view section,
                                std::string_view key, std::string_view value) {
    struct stat st;
    if (where.readPath == where.writePath || ::stat(where.writePath.c_str(), &st) == 0)
        return writeIniValue(where.writePath, section, key, value);
    // The user's file starts as a copy of the program folder's, so that moving loses no
    // stored value; the copy and the new key land in one step.
    IniWriteResult result;
    std::string contents;
    mode_t mode = 0644;
    if (::stat(where.readPath.c_str(), &st) == 0) {
        if (!readWholeFile(where.readPath, contents, &result.error))
            return result;
        // A file installed read-only must still be writable once it is the user's own.
        mode = (st.st_mode & 0777) | 0600;
    }
    const std::string folder = folderOf(where.writePath);
    if (!makeFolders(folder)) {
        result.error = "cannot create folder " + folder;
        return result;
    }
    return writeChanged(where.writePath, contents, mode, section, key, value);
}

} // namespace varlime
