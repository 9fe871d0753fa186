// SPDX-License-Identifier: GPL-3.0-or-later
// Initialisation files: reading as the Windows profile functions do, writing one key
// without disturbing the rest of the file, and where the settings file lives.
#include "platform/iniFile.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <optional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace varlime;
using varlime::test::TempDir;
using namespace std::string_literals;

namespace {

struct ReadCase {
    const char* name;
    std::string file;
    const char* section;
    const char* key;
    std::optional<std::string> expected;
};

TEST(IniRead, Table) {
    const ReadCase cases[] = {
        {"plain", "[MAIN]\nMASQUE_RECHERCHE=*.jpg\n", "MAIN", "MASQUE_RECHERCHE", "*.jpg"},
        {"names_ignore_case", "[main]\nmasque_Recherche=x\n", "MAIN", "MASQUE_RECHERCHE", "x"},
        {"crlf", "[A]\r\nk=v\r\n", "A", "k", "v"},
        {"blanks_around", "  [ A ]  \n  k  =  v w  \n", "A", "k", "v w"},
        {"quotes_removed", "[A]\nk=\" x \"\n", "A", "k", " x "},
        {"single_quotes_removed", "[A]\nk='y'\n", "A", "k", "y"},
        {"unmatched_quote_kept", "[A]\nk=\"y\n", "A", "k", "\"y"},
        {"first_key_wins", "[A]\nk=1\nK=2\n", "A", "k", "1"},
        {"second_section_of_same_name", "[A]\nx=1\n[B]\nk=0\n[a]\nk=2\n", "A", "k", "2"},
        {"key_before_any_section", "k=1\n[A]\n", "A", "k", std::nullopt},
        {"line_without_equals", "[A]\njunk\nk=v\n", "A", "junk", std::nullopt},
        {"after_line_without_equals", "[A]\njunk\nk=v\n", "A", "k", "v"},
        {"semicolon_comment", "[A]\n;k=1\nk=2\n", "A", "k", "2"},
        {"hash_comment", "[A]\n#k=1\n", "A", "k", std::nullopt},
        {"empty_value", "[A]\nk=\n", "A", "k", ""},
        {"equals_in_value", "[A]\nk=a=b\n", "A", "k", "a=b"},
        {"empty_key_ignored", "[A]\n=v\n", "A", "", std::nullopt},
        {"no_final_newline", "[A]\nk=v", "A", "k", "v"},
        {"missing_bracket", "[A\nk=v\n", "A", "k", std::nullopt},
        {"other_section", "[A]\nk=v\n[B]\n", "B", "k", std::nullopt},
        {"windows_1252", "[CHEMINS]\nDEFAUT=/Photos/\xC9t\xE9/\n", "CHEMINS", "DEFAUT",
         "/Photos/\xC3\x89t\xC3\xA9/"},
        {"windows_1252_euro", "[A]\nk=5\x80\n", "A", "k", "5\xE2\x82\xAC"},
        {"utf8_kept", "[A]\nk=/home/\xC3\xA9/\n", "A", "k", "/home/\xC3\xA9/"},
        {"bom", "\xEF\xBB\xBF[A]\nk=v\n", "A", "k", "v"},
        {"binary_junk_around", "\xFF\xFE\x00junk\n[A]\nk=v\n\x01\x02=\x03\n\x00\x00"s, "A", "k",
         "v"},
        {"nul_inside_value", "[A]\nk=a\0b\n"s, "A", "k", "a\0b"s},
        {"accented_section", "[Réglages]\nk=1\n", "RÉGLAGES", "k", "1"},
    };
    for (const auto& c : cases) {
        const IniDocument doc = IniDocument::parse(c.file);
        EXPECT_EQ(doc.value(c.section, c.key), c.expected) << c.name;
    }
}

TEST(IniRead, DefaultOnlyWhenMissing) {
    const IniDocument doc = IniDocument::parse("[A]\nempty=\n");
    EXPECT_EQ(doc.read("A", "empty", "ERREUR"), "");
    EXPECT_EQ(doc.read("A", "missing", "ERREUR"), "ERREUR");
    EXPECT_EQ(doc.read("B", "empty", "Erreur"), "Erreur");
}

TEST(IniRead, SectionWithoutKeysCountsAsAbsent) {
    const IniDocument doc = IniDocument::parse("[A]\n; nothing\n[B]\nk=1\n[C]\nno equals\n");
    EXPECT_FALSE(doc.hasSection("A"));
    EXPECT_TRUE(doc.hasSection("b"));
    EXPECT_FALSE(doc.hasSection("C"));
    EXPECT_FALSE(doc.hasSection("D"));
}

TEST(IniRead, KeysInFileOrderOnce) {
    const IniDocument doc = IniDocument::parse("[A]\nz=1\na=2\nZ=3\n[B]\nb=1\n[A]\nm=4\n");
    EXPECT_EQ(doc.keys("a"), (std::vector<std::string>{"z", "a", "m"}));
}

TEST(IniRead, MegabyteValue) {
    const std::string big(1 << 20, 'x');
    const IniDocument doc = IniDocument::parse("[EXIF]\nZONE_LIBRE=" + big + "\n[MAIN]\nk=v\n");
    EXPECT_EQ(doc.read("EXIF", "ZONE_LIBRE", "").size(), big.size());
    EXPECT_EQ(doc.read("MAIN", "k", ""), "v");
}

struct SetCase {
    const char* name;
    std::string before;
    const char* section;
    const char* key;
    std::string value;
    std::string after;
};

TEST(IniSet, KeepsEveryOtherLine) {
    const SetCase cases[] = {
        {"empty_file", "", "MAIN", "K", "v", "[MAIN]\nK=v\n"},
        {"replace_in_place", "; comment\n[MAIN]\nA=1\nK=old\n[X]\nY=2\n", "MAIN", "k", "new",
         "; comment\n[MAIN]\nA=1\nK=new\n[X]\nY=2\n"},
        {"add_after_last_entry", "[A]\nx=1\n\n[B]\ny=2\n", "A", "z", "3",
         "[A]\nx=1\nz=3\n\n[B]\ny=2\n"},
        {"add_to_section_without_entries", "[A]\nnoequals\n[B]\n", "A", "k", "v",
         "[A]\nk=v\nnoequals\n[B]\n"},
        {"new_section_crlf", "[A]\r\nx=1\r\n", "B", "y", "2", "[A]\r\nx=1\r\n[B]\r\ny=2\r\n"},
        {"replace_crlf", "[A]\r\nx=1\r\nz=2\r\n", "A", "x", "9", "[A]\r\nx=9\r\nz=2\r\n"},
        {"no_final_newline", "[A]\nx=1", "A", "y", "2", "[A]\nx=1\ny=2\n"},
        {"names_keep_their_case", "[chemins]\ndefaut=a\n", "CHEMINS", "DEFAUT", "b",
         "[chemins]\ndefaut=b\n"},
        {"leading_blank_quoted", "", "A", "k", " x", "[A]\nk=\" x\"\n"},
        {"quoted_value_quoted_again", "", "A", "k", "\"q\"", "[A]\nk=\"\"q\"\"\n"},
        {"line_break_in_value", "", "A", "k", "a\nb\r", "[A]\nk=\"a b \"\n"},
        {"line_break_in_names", "", "A\n[B", "k\n=x", "v", "[A [B]\nk  x=v\n"},
        {"windows_1252_lines_kept", "[A]\nn=\xE9t\xE9\n", "A", "k", "v", "[A]\nn=\xE9t\xE9\nk=v\n"},
        {"junk_kept", "garbage\x01\n[A]\nx=1\n\x02\x03\n", "A", "x", "2",
         "garbage\x01\n[A]\nx=2\n\x02\x03\n"},
        {"bom_kept", "\xEF\xBB\xBF[A]\nx=1\n", "A", "x", "2", "\xEF\xBB\xBF[A]\nx=2\n"},
        {"key_outside_section_untouched", "k=1\n[A]\n", "A", "k", "2", "k=1\n[A]\nk=2\n"},
        {"first_of_duplicates_replaced", "[A]\nk=1\nk=2\n", "A", "k", "3", "[A]\nk=3\nk=2\n"},
        {"comment_out_key_untouched", "[A]\n;k=1\n", "A", "k", "2", "[A]\nk=2\n;k=1\n"},
    };
    for (const auto& c : cases) {
        IniDocument doc = IniDocument::parse(c.before);
        doc.set(c.section, c.key, c.value);
        EXPECT_EQ(doc.serialize(), c.after) << c.name;
    }
}

TEST(IniSet, ValuesReadBackUnchanged) {
    const std::string values[] = {"",      " lead", "trail ",       "\"q\"",  "'x'", "a=b",
                                  "[*&N]", ";semi", "/Photos/Été/", "\"open", " "};
    for (const auto& v : values) {
        IniDocument doc = IniDocument::parse("[A]\nk=old\n");
        doc.set("A", "k", v);
        EXPECT_EQ(IniDocument::parse(doc.serialize()).read("A", "k", "missing"), v) << v;
    }
}

// ---------------------------------------------------------------------------------------

TEST(IniWrite, CreatesFolderAndFile) {
    TempDir dir;
    const std::string path = dir.path() + "conf/varlime/varlime.ini";
    ASSERT_TRUE(writeIniValue(path, "CHEMINS", "DEFAUT", "/photos/").ok);
    EXPECT_EQ(dir.read("conf/varlime/varlime.ini"), "[CHEMINS]\nDEFAUT=/photos/\n");
}

TEST(IniWrite, SuccessiveWritesKeepTheOthersAndLeaveNoTemporaryFile) {
    TempDir dir;
    const std::string path = dir.write("varlime.ini", "; mine\r\n[OTHER]\r\nx=1\r\n");
    ASSERT_TRUE(writeIniValue(path, "MAIN", "MASQUE_RECHERCHE", "*.jpg").ok);
    ASSERT_TRUE(writeIniValue(path, "MAIN", "PREFIXE_REMPLACEMENT", "IMG").ok);
    ASSERT_TRUE(writeIniValue(path, "main", "masque_recherche", "*.*").ok);
    EXPECT_EQ(dir.read("varlime.ini"),
              "; mine\r\n[OTHER]\r\nx=1\r\n[MAIN]\r\nMASQUE_RECHERCHE=*.*\r\n"
              "PREFIXE_REMPLACEMENT=IMG\r\n");
    EXPECT_EQ(dir.names(), std::vector<std::string>{"varlime.ini"});
}

TEST(IniWrite, DamagedFileKeepsItsOtherKeys) {
    TempDir dir;
    const std::string big(1 << 20, 'z');
    const std::string junk = "\x00\xFF\xFEjunk\nstray=1\n[EXIF]\nZONE_LIBRE="s;
    const std::string path = dir.write(
        "varlime.ini", junk + big + "\r\n[CHEMINS]\r\nDEFAUT=C:\\Photos\\\xC9t\xE9\\\r\n");
    ASSERT_TRUE(writeIniValue(path, "MAIN", "LARGEUR_COMPTEUR", "4").ok);
    const IniDocument doc = IniDocument::load(path);
    EXPECT_EQ(doc.read("EXIF", "ZONE_LIBRE", ""), big);
    EXPECT_EQ(doc.read("CHEMINS", "DEFAUT", ""), "C:\\Photos\\\xC3\x89t\xC3\xA9\\");
    EXPECT_EQ(doc.read("MAIN", "LARGEUR_COMPTEUR", ""), "4");
    // The untouched bytes are still there as they were.
    EXPECT_EQ(dir.read("varlime.ini").substr(0, junk.size()), junk);
}

TEST(IniWrite, RefusedWhenTheFolderCannotExist) {
    TempDir dir;
    dir.write("blocker", "keep");
    // A file stands where the folder should be: refused even for the superuser.
    const auto r = writeIniValue(dir.path() + "blocker/varlime.ini", "A", "k", "v");
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.error.empty());
    EXPECT_EQ(dir.read("blocker"), "keep");
}

TEST(IniRead, PipeInPlaceOfTheFileDoesNotHang) {
    TempDir dir;
    const std::string path = dir.path() + "varlime.ini";
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    bool exists = true;
    const IniDocument doc = IniDocument::load(path, &exists);
    EXPECT_FALSE(exists);
    EXPECT_FALSE(doc.hasKey("MAIN", "MASQUE_RECHERCHE"));
    EXPECT_FALSE(writeIniValue(path, "MAIN", "MASQUE_RECHERCHE", "*.*").ok);
}

TEST(IniWrite, RefusedWhenThePathIsAFolder) {
    TempDir dir;
    dir.write("varlime.ini/inside", "x");
    EXPECT_FALSE(writeIniValue(dir.path() + "varlime.ini", "A", "k", "v").ok);
    EXPECT_EQ(dir.read("varlime.ini/inside"), "x");
}

TEST(IniWrite, ReadOnlyFileIsRefusedAndUnchanged) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "the superuser writes read-only files";
    TempDir dir;
    const std::string path = dir.write("varlime.ini", "[A]\nk=1\n");
    ::chmod(path.c_str(), 0444);
    EXPECT_FALSE(writeIniValue(path, "A", "k", "2").ok);
    EXPECT_EQ(dir.read("varlime.ini"), "[A]\nk=1\n");
}

TEST(IniWrite, WritableFileInReadOnlyFolderIsRefusedAndWhole) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "the superuser writes into read-only folders";
    TempDir dir;
    const std::string path = dir.write("sub/varlime.ini", "[A]\nk=1\n");
    ::chmod((dir.path() + "sub").c_str(), 0555);
    // Writing in place would truncate the file first: a failure then would lose it.
    EXPECT_FALSE(writeIniValue(path, "A", "k", "2").ok);
    ::chmod((dir.path() + "sub").c_str(), 0755);
    EXPECT_EQ(dir.read("sub/varlime.ini"), "[A]\nk=1\n");
}

// A write that really fails half way: in a child process, files may not grow past a few
// kilobytes (and the signal that limit raises is ignored, so write() returns EFBIG).
TEST(IniWrite, FailedWriteLeavesTheOldFileWholeAndNoTemporaryFile) {
    struct Case {
        const char* name;
        std::string old;
        std::string value;
    };
    constexpr rlim_t kLimit = 4096;
    const Case cases[] = {
        {"new_value_too_large", "; mine\r\n[A]\r\nk=1\r\n", std::string(3 * kLimit, 'v')},
        // The old file is already past the limit: even a one-byte change cannot be written.
        {"old_file_too_large", "[A]\nk=1\n[B]\nbig=" + std::string(2 * kLimit, 'b') + "\n", "2"},
    };
    for (const auto& c : cases) {
        TempDir dir;
        const std::string path = dir.write("varlime.ini", c.old);
        ::chmod(path.c_str(), 0640);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{kLimit, kLimit};
            ::setrlimit(RLIMIT_FSIZE, &limit);
            const IniWriteResult r = writeIniValue(path, "A", "k", c.value);
            // 0: refused with a reason; 1: claimed success; 2: refused without a reason.
            ::_exit(r.ok ? 1 : r.error.empty() ? 2 : 0);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status)) << c.name;
        EXPECT_EQ(WEXITSTATUS(status), 0) << c.name;
        EXPECT_EQ(dir.read("varlime.ini"), c.old) << c.name;
        EXPECT_EQ(dir.names(), std::vector<std::string>{"varlime.ini"}) << c.name;
        struct stat st;
        ASSERT_EQ(::stat(path.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0640u) << c.name;
    }
}

TEST(IniWrite, KeepsPermissionsAndLinks) {
    TempDir dir;
    const std::string real = dir.write("real.ini", "[A]\nk=1\n");
    ::chmod(real.c_str(), 0640);
    ASSERT_EQ(::symlink(real.c_str(), (dir.path() + "varlime.ini").c_str()), 0);
    ASSERT_TRUE(writeIniValue(dir.path() + "varlime.ini", "A", "k", "2").ok);
    struct stat st;
    ASSERT_EQ(::lstat((dir.path() + "varlime.ini").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    ASSERT_EQ(::stat(real.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(dir.read("real.ini"), "[A]\nk=2\n");
}

// ---------------------------------------------------------------------------------------

// Sets or clears an environment variable for the length of a test.
class EnvOverride {
public:
    EnvOverride(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name))
            old_ = old;
        if (value)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    }
    ~EnvOverride() {
        if (old_)
            ::setenv(name_, old_->c_str(), 1);
        else
            ::unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST(ConfigLocation, UserFolderFollowsXdgRules) {
    struct Case {
        const char* xdg;
        const char* home;
        const char* expected;
    };
    const Case cases[] = {
        {"/cfg", "/home/u", "/cfg/varlime/"},
        {"/cfg/", "/home/u", "/cfg/varlime/"},
        {nullptr, "/home/u", "/home/u/.config/varlime/"},
        {"", "/home/u", "/home/u/.config/varlime/"},
        {"relative/cfg", "/home/u", "/home/u/.config/varlime/"},
    };
    for (const auto& c : cases) {
        EnvOverride xdg("XDG_CONFIG_HOME", c.xdg);
        EnvOverride home("HOME", c.home);
        EXPECT_EQ(userConfigFolder(), c.expected) << (c.xdg ? c.xdg : "(unset)");
    }
}

TEST(ConfigLocation, ProgramFolderWhenWritableOrFilePresent) {
    TempDir dir;
    EnvOverride xdg("XDG_CONFIG_HOME", (dir.path() + "xdg").c_str());
    dir.write("prog/keep", "");
    EXPECT_EQ(configFilePath(dir.path() + "prog/", "varlime.ini"), dir.path() + "prog/varlime.ini");
    EXPECT_EQ(configFilePath(dir.path() + "prog", "lang.ini"), dir.path() + "prog/lang.ini");
    // A program folder that cannot hold the file sends it to the user's folder.
    EXPECT_EQ(configFilePath(dir.path() + "missing/", "varlime.ini"),
              dir.path() + "xdg/varlime/varlime.ini");
}

TEST(ConfigLocation, ReadOnlyProgramFolder) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "the superuser writes into read-only folders";
    TempDir dir;
    EnvOverride xdg("XDG_CONFIG_HOME", (dir.path() + "xdg").c_str());
    dir.write("ro/lang.ini", "[CONFIG]\nActiveLanguage=en\n");
    ::chmod((dir.path() + "ro").c_str(), 0555);
    EXPECT_EQ(configFilePath(dir.path() + "ro/", "varlime.ini"),
              dir.path() + "xdg/varlime/varlime.ini");
    // An existing file is read where it is until the first write moves it.
    const ConfigFileLocation lang = locateConfigFile(dir.path() + "ro/", "lang.ini");
    EXPECT_EQ(lang.readPath, dir.path() + "ro/lang.ini");
    EXPECT_EQ(lang.writePath, dir.path() + "xdg/varlime/lang.ini");
    ASSERT_TRUE(writeConfigValue(lang, "CONFIG", "Other", "1").ok);
    ::chmod((dir.path() + "ro").c_str(), 0755);
    EXPECT_EQ(dir.read("xdg/varlime/lang.ini"), "[CONFIG]\nActiveLanguage=en\nOther=1\n");
    EXPECT_EQ(configFilePath(dir.path() + "ro/", "lang.ini"), dir.path() + "ro/lang.ini");
}

TEST(ConfigLocation, RuleFromWhatIsOnDisk) {
    enum Where { Program, User };
    struct Case {
        const char* name;
        bool writable, programFile, userFile;
        Where read, write;
    };
    const Case cases[] = {
        {"portable", true, true, false, Program, Program},
        {"portable_new", true, false, false, Program, Program},
        {"portable_ignores_user_file", true, false, true, Program, Program},
        {"read_only_nothing_yet", false, false, false, User, User},
        {"read_only_copy_on_first_write", false, true, false, Program, User},
        {"read_only_already_moved", false, true, true, User, User},
        {"read_only_user_only", false, false, true, User, User},
    };
    for (const auto& c : cases) {
        TempDir dir;
        EnvOverride xdg("XDG_CONFIG_HOME", (dir.path() + "xdg").c_str());
        dir.write("prog/keep", "");
        if (c.programFile)
            dir.write("prog/varlime.ini", "");
        if (c.userFile)
            dir.write("xdg/varlime/varlime.ini", "");
        const std::string paths[] = {dir.path() + "prog/varlime.ini",
                                     dir.path() + "xdg/varlime/varlime.ini"};
        const ConfigFileLocation got =
            locateConfigFile(dir.path() + "prog", "varlime.ini", c.writable);
        EXPECT_EQ(got.readPath, paths[c.read]) << c.name;
        EXPECT_EQ(got.writePath, paths[c.write]) << c.name;
    }
}

// The program folder cannot be written (given as such, since the superuser who runs the
// tests writes everywhere): the settings move to the user's folder with every value.
TEST(ConfigLocation, MoveToTheUserFolderKeepsEveryStoredValue) {
    TempDir dir;
    EnvOverride xdg("XDG_CONFIG_HOME", (dir.path() + "xdg").c_str());
    const std::string old =
        "; mine\r\n[CHEMINS]\r\nDEFAUT=/photos/\r\n[MAIN]\r\nLARGEUR_COMPTEUR=5\r\n";
    const std::string programFile = dir.write("prog/varlime.ini", old);
    ::chmod(programFile.c_str(), 0444);
    const std::string prog = dir.path() + "prog/";

    ASSERT_TRUE(writeConfigValue(locateConfigFile(prog, "varlime.ini", false), "MAIN",
                                 "LARGEUR_COMPTEUR", "3")
                    .ok);
    EXPECT_EQ(dir.read("xdg/varlime/varlime.ini"),
              "; mine\r\n[CHEMINS]\r\nDEFAUT=/photos/\r\n[MAIN]\r\nLARGEUR_COMPTEUR=3\r\n");
    EXPECT_EQ(dir.read("prog/varlime.ini"), old);
    struct stat st;
    ASSERT_EQ(::stat((dir.path() + "xdg/varlime/varlime.ini").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0644u); // the user's own copy stays writable

    // From now on the user's file is read and written; the program folder's is left alone.
    const ConfigFileLocation next = locateConfigFile(prog, "varlime.ini", false);
    EXPECT_EQ(next.readPath, dir.path() + "xdg/varlime/varlime.ini");
    EXPECT_EQ(next.writePath, next.readPath);
    ASSERT_TRUE(writeConfigValue(next, "CHEMINS", "DEFAUT", "/other/").ok);
    const IniDocument doc = IniDocument::load(next.readPath);
    EXPECT_EQ(doc.read("CHEMINS", "DEFAUT", ""), "/other/");
    EXPECT_EQ(doc.read("MAIN", "LARGEUR_COMPTEUR", ""), "3");
    EXPECT_EQ(dir.read("prog/varlime.ini"), old);
}

// An installed program never writes beside itself, even for the superuser who could: its
// settings and language choice go to the user's folder. A copy run from its build folder
// keeps the settings file beside it. Each program folder is made for real (a package
// unpacked into a temporary root lays out usr/bin beside usr/share/varlime).
TEST(ConfigLocation, InstalledProgramWritesInTheUserFolder) {
    TempDir dir;
    EnvOverride xdg("XDG_CONFIG_HOME", (dir.path() + "xdg").c_str());
    dir.write("root/usr/share/varlime/lang/lang_en.ini", "");
    dir.write("root/usr/bin/varlime", "");
    dir.write("build/src/app/varlime.ini", "[MAIN]\nLARGEUR_COMPTEUR=4\n");
    dir.write("own/bin/varlime", "");
    ASSERT_EQ(::symlink("/usr/bin", (dir.path() + "link").c_str()), 0);
    const std::string user = dir.path() + "xdg/varlime/";
    struct Case {
        std::string folder;
        bool installed;
    };
    const Case cases[] = {
        {dir.path() + "root/usr/bin/", true},
        {dir.path() + "root/usr/bin/../bin", true},
        {dir.path() + "build/src/app/", false},
        // A folder named bin is not enough: the installed tree holds share/varlime too.
        {dir.path() + "own/bin/", false},
        {dir.path() + "link/", true},
        {"/usr/bin/", true},
        {"/usr/local/bin", true},
        {"/sbin/", true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(isInstalledProgramFolder(c.folder), c.installed) << c.folder;
        std::string beside = c.folder;
        if (beside.back() != '/')
            beside += '/';
        for (const char* name : {"varlime.ini", "lang.ini"}) {
            const ConfigFileLocation got = locateConfigFile(c.folder, name);
            EXPECT_EQ(got.writePath, (c.installed ? user : beside) + name) << c.folder;
        }
    }

    // The installed program's first write lands in the user's folder; the build folder's
    // settings file is read and written where it is.
    ASSERT_TRUE(writeConfigValue(locateConfigFile(dir.path() + "root/usr/bin/", "varlime.ini"),
                                 "MAIN", "LARGEUR_COMPTEUR", "3")
                    .ok);
    EXPECT_EQ(dir.read("xdg/varlime/varlime.ini"), "[MAIN]\nLARGEUR_COMPTEUR=3\n");
    EXPECT_FALSE(dir.exists("root/usr/bin/varlime.ini"));
    const ConfigFileLocation build = locateConfigFile(dir.path() + "build/src/app/", "varlime.ini");
    EXPECT_EQ(build.readPath, dir.path() + "build/src/app/varlime.ini");
    ASSERT_TRUE(writeConfigValue(build, "MAIN", "LARGEUR_COMPTEUR", "5").ok);
    EXPECT_EQ(dir.read("build/src/app/varlime.ini"), "[MAIN]\nLARGEUR_COMPTEUR=5\n");
    EXPECT_EQ(dir.read("xdg/varlime/varlime.ini"), "[MAIN]\nLARGEUR_COMPTEUR=3\n");
}

} // namespace

namespace {

// What is left out of a file is told: a file over the size bound is not read at all, and
// the first entry holding a NUL is named by its section and key; a NUL in a comment or a
// stray line is no one's value.
TEST(IniRead, ProblemsNameTheirEntry) {
    const struct {
        const char* name;
        std::string contenu;
        IniProblem::Kind kind;
        const char* section;
        const char* key;
    } cases[] = {
        {"clean", "[A]\nk=v\n", IniProblem::Kind::None, "", ""},
        {"nul in a comment", "[A]\n; a\0b\nk=v\n\0\0\n"s, IniProblem::Kind::None, "", ""},
        {"nul in a value", "[A]\nk=v\n[Formats]\nDate=1\0002\nx=\0\n"s, IniProblem::Kind::NulByte,
         "Formats", "Date"},
        {"just under the bound", "[A]\nk=v\n" + std::string(kIniMaxFileSize - 9, '\n'),
         IniProblem::Kind::None, "", ""},
        {"over the bound", "[A]\nk=v\n" + std::string(kIniMaxFileSize, '\n'),
         IniProblem::Kind::TooLarge, "", ""},
    };
    for (const auto& c : cases) {
        TempDir dir;
        const std::string path = dir.write("f.ini", c.contenu);
        bool exists = false;
        const IniDocument doc = IniDocument::load(path, &exists);
        EXPECT_EQ(exists, c.kind != IniProblem::Kind::TooLarge) << c.name;
        EXPECT_EQ(doc.problem().kind, c.kind) << c.name;
        EXPECT_EQ(doc.problem().section, c.section) << c.name;
        EXPECT_EQ(doc.problem().key, c.key) << c.name;
        if (exists) {
            EXPECT_EQ(doc.read("A", "k", ""), "v") << c.name;
        }
    }
}

} // namespace
