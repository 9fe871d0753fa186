// SPDX-License-Identifier: GPL-3.0-or-later
// Language files: choosing the active language, message lookup, the language list.
#include "i18n/uLocalization.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

using namespace varlime;
using varlime::test::TempDir;
using namespace std::string_literals;

namespace {

TEST(LangHelpers, LineBreakMarks) {
    const std::pair<std::string, std::string> cases[] = {
        {"a\\nb", "a\nb"},
        {"\\n\\n", "\n\n"},
        {"a\\\\nb", "a\\\nb"}, // only the pair "\n" counts, whatever stands before it
        {"a\\tb", "a\\tb"},
        {"end\\", "end\\"},
        {"", ""},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(replaceLineBreakMarks(in), out) << in;
}

TEST(LangHelpers, Placeholders) {
    using V = std::vector<std::string>;
    const std::pair<std::string, V> cases[] = {
        {"%d fichiers\\n%d erreurs", V{"d", "d"}},
        {"Le fichier %s n'a pas", V{"s"}},
        {"100%% sûr", V{}},
        {"%5.2f et %-3ld", V{"f", "ld"}},
        {"fin %", V{"?"}},
        {"% z", V{"?"}},
        {"%s%d", V{"s", "d"}},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(formatPlaceholders(in), out) << in;
}

TEST(LangHelpers, LanguageFileNames) {
    struct Case {
        const char* name;
        bool isLanguageFile;
        const char* code;
    };
    const Case cases[] = {
        {"lang_de.ini", true, "de"}, {"langue_portugues.ini", true, "portugues"},
        {"LANG_EN.INI", true, "EN"}, {"lang_pt.br.ini", true, "pt.br"},
        {"lang.ini", false, ""},     {"lang_.ini", true, ""},
        {"lang_de.txt", false, ""},  {"language_de.ini", false, ""},
        {"xlang_de.ini", false, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(isLanguageFileName(c.name), c.isLanguageFile) << c.name;
        EXPECT_EQ(codeFromLanguageFileName(c.name), c.code) << c.name;
    }
}

// A program folder holding the given files.
void writeFiles(const TempDir& dir, const std::map<std::string, std::string>& files) {
    for (const auto& [name, content] : files)
        dir.write(name, content);
}

TEST(ActiveLanguage, FileSearchOrder) {
    struct Case {
        const char* name;
        std::map<std::string, std::string> files;
        const char* code;
        const char* expectedCode;
        const char* expectedFile;
        bool exists;
    };
    const std::string de = "[langue]\nLangCode=de\n";
    const Case cases[] = {
        {"lang_before_langue",
         {{"lang_de.ini", de}, {"langue_de.ini", de}},
         "de",
         "de",
         "lang_de.ini",
         true},
        {"langue_alone", {{"langue_de.ini", de}}, "de", "de", "langue_de.ini", true},
        {"named_file_before_declared_code",
         {{"lang_a.ini", de}, {"langue_de.ini", "[langue]\nLangCode=xx\n"}},
         "de",
         "de",
         "langue_de.ini",
         true},
        {"declared_code_with_blank",
         {{"lang_portugues.ini", "[langue]\nLangCode=PT \nLangNom=Português\n"}},
         "pt",
         "pt",
         "lang_portugues.ini",
         true},
        {"lang_scan_before_langue_scan",
         {{"langue_a.ini", "[langue]\nLangCode=pt\n"}, {"lang_z.ini", "[langue]\nLangCode=pt\n"}},
         "pt",
         "pt",
         "lang_z.ini",
         true},
        {"scan_in_name_order",
         {{"lang_b.ini", "[langue]\nLangCode=pt\n"}, {"lang_a.ini", "[langue]\nLangCode=pt\n"}},
         "pt",
         "pt",
         "lang_a.ini",
         true},
        {"file_name_case_ignored", {{"LANG_DE.INI", de}}, "de", "de", "LANG_DE.INI", true},
        {"code_case_kept_file_found", {{"lang_de.ini", de}}, "DE", "DE", "lang_de.ini", true},
        {"nothing_found", {{"lang_de.ini", de}}, "xx", "xx", "lang_xx.ini", false},
        {"french_no_search",
         {{"lang_a.ini", "[langue]\nLangCode=fr\n"}},
         "FR",
         "fr",
         "lang_fr.ini",
         false},
        {"empty_is_french", {}, "", "fr", "lang_fr.ini", false},
        {"blank_is_french", {}, "  ", "fr", "lang_fr.ini", false},
        {"lang_ini_is_no_language_file",
         {{"lang.ini", "[langue]\nLangCode=de\n"}},
         "de",
         "de",
         "lang_de.ini",
         false},
        {"code_with_slash", {{"lang_de.ini", de}}, "../de", "../de", "lang_../de.ini", false},
    };
    for (const auto& c : cases) {
        TempDir dir;
        writeFiles(dir, c.files);
        Localization loc(dir.path());
        loc.SetActiveLanguage(c.code);
        EXPECT_EQ(loc.ActiveLanguageCode(), c.expectedCode) << c.name;
        EXPECT_EQ(loc.ActiveLanguageFile(), c.expectedFile) << c.name;
        EXPECT_EQ(loc.ActiveLanguagePath(), c.exists ? dir.path() + c.expectedFile : "") << c.name;
    }
}

TEST(ActiveLanguage, FolderAsLanguageFileIsSkipped) {
    TempDir dir;
    dir.write("lang_de.ini/x", "");
    dir.write("langue_de.ini", "[MESSAGES]\nRSC_a=Deutsch\n");
    Localization loc(dir.path());
    loc.SetActiveLanguage("de");
    EXPECT_EQ(loc.ActiveLanguageFile(), "langue_de.ini");
    EXPECT_EQ(loc.GetLangText("MESSAGES", "RSC_a", "Français"), "Deutsch");
}

TEST(ActiveLanguage, ReadFromLangIniOnFirstUse) {
    struct Case {
        const char* name;
        std::optional<std::string> langIni;
        const char* expectedCode;
    };
    const Case cases[] = {
        {"no_lang_ini", std::nullopt, "fr"},
        {"plain", "[CONFIG]\nActiveLanguage=en\n", "en"},
        {"blanks_and_case", "[config]\r\nactivelanguage=  en \r\n", "en"},
        {"empty_value", "[CONFIG]\nActiveLanguage=\n", "fr"},
        {"other_section", "[OTHER]\nActiveLanguage=en\n", "fr"},
        {"junk", "\x00\xFF[CONFIG\nActiveLanguage=en\n"s, "fr"},
    };
    for (const auto& c : cases) {
        TempDir dir;
        dir.write("lang_en.ini", "[MESSAGES]\nRSC_x=English\n");
        if (c.langIni)
            dir.write("lang.ini", *c.langIni);
        Localization loc(dir.path());
        EXPECT_EQ(loc.ActiveLanguageCode(), c.expectedCode) << c.name;
    }
}

// With no choice stored, the program starts in the user's language when a file for
// it exists; a stored choice always wins.
TEST(ActiveLanguage, FirstStartFollowsTheUsersLocale) {
    struct Case {
        const char* name;
        const char* lcAll;
        const char* lang;
        const char* langIni;
        const char* expectedCode;
    };
    const Case cases[] = {
        {"locale/english", "", "en_GB.UTF-8", nullptr, "en"},
        {"locale/lc_all_wins", "en_US.UTF-8", "de_DE.UTF-8", nullptr, "en"},
        {"locale/no_file_for_it", "", "de_DE.UTF-8", nullptr, "fr"},
        {"locale/c", "", "C.UTF-8", nullptr, "fr"},
        {"locale/stored_choice_wins", "", "en_GB.UTF-8", "[CONFIG]\nActiveLanguage=fr\n", "fr"},
    };
    const char* savedAll = std::getenv("LC_ALL");
    const char* savedMessages = std::getenv("LC_MESSAGES");
    const char* savedLang = std::getenv("LANG");
    const std::string all = savedAll ? savedAll : "", messages = savedMessages ? savedMessages : "",
                      lang = savedLang ? savedLang : "";
    for (const auto& c : cases) {
        TempDir dir;
        dir.write("lang_en.ini", "[langue]\nLangCode=en\n[MESSAGES]\nRSC_x=English\n");
        if (c.langIni)
            dir.write("lang.ini", c.langIni);
        ::setenv("LC_ALL", c.lcAll, 1);
        ::unsetenv("LC_MESSAGES");
        ::setenv("LANG", c.lang, 1);
        Localization loc(dir.path());
        EXPECT_EQ(loc.ActiveLanguageCode(), c.expectedCode) << c.name;
    }
    ::setenv("LC_ALL", all.c_str(), 1);
    ::setenv("LC_MESSAGES", messages.c_str(), 1);
    ::setenv("LANG", lang.c_str(), 1);
}

TEST(ActiveLanguage, SavedChoiceIsReadByTheNextStart) {
    TempDir dir;
    dir.write("lang_en.ini", "[MESSAGES]\nRSC_x=English\n");
    {
        Localization loc(dir.path());
        ASSERT_TRUE(loc.SaveActiveLanguage("en"));
    }
    EXPECT_EQ(dir.read("lang.ini"), "[CONFIG]\nActiveLanguage=en\n");
    Localization next(dir.path());
    EXPECT_EQ(next.GetLangText("MESSAGES", "RSC_x", "Français"), "English");
}

TEST(ActiveLanguage, RefusedSaveNamesTheFile) {
    TempDir dir;
    dir.write("lang.ini/blocker", ""); // a folder where lang.ini should be
    Localization loc(dir.path());
    std::string failed;
    EXPECT_FALSE(loc.SaveActiveLanguage("en", &failed));
    EXPECT_EQ(failed, dir.path() + "lang.ini");
}

TEST(ActiveLanguage, InstalledDataFolder) {
    // bin/varlime with its language files in share/varlime/lang/ (installed layout) and
    // a user's own file beside the executable, which wins.
    TempDir dir;
    dir.write("share/varlime/lang/lang_en.ini",
              "[langue]\nLangNom=English\nLangCode=en\n[MESSAGES]\nRSC_x=installed\n");
    dir.write("share/varlime/lang/lang_de.ini", "[MESSAGES]\nRSC_x=Deutsch\n");
    dir.write("bin/lang_en.ini", "[MESSAGES]\nRSC_x=beside the program\n");
    Localization loc(dir.path() + "bin/");
    loc.SetActiveLanguage("de");
    EXPECT_EQ(loc.GetLangText("MESSAGES", "RSC_x", "x"), "Deutsch");
    loc.SetActiveLanguage("en");
    EXPECT_EQ(loc.GetLangText("MESSAGES", "RSC_x", "x"), "beside the program");
    const auto list = loc.LanguageList();
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[1].path, dir.path() + "bin/lang_en.ini");
    EXPECT_EQ(list[2].code, "de");
}

TEST(GetLangText, Table) {
    struct Case {
        const char* name;
        std::optional<std::string> file; // lang_en.ini, nullopt for none
        const char* section;
        const char* key;
        const char* defaultText;
        const char* expected;
    };
    const Case cases[] = {
        {"no_file_default_unchanged", std::nullopt, "MESSAGES", "RSC_a", "a\\nb", "a\\nb"},
        {"found", "[MESSAGES]\nRSC_a=Before\n", "MESSAGES", "RSC_a", "Avant", "Before"},
        {"line_break", "[MESSAGES]\nRSC_a=one\\ntwo\n", "MESSAGES", "RSC_a", "x", "one\ntwo"},
        {"missing_key_default_with_breaks", "[MESSAGES]\nRSC_b=x\n", "MESSAGES", "RSC_a", "a\\nb",
         "a\nb"},
        {"names_ignore_case", "[messages]\nrsc_A=yes\n", "MESSAGES", "RSC_a", "non", "yes"},
        {"same_placeholders", "[MESSAGES]\nRSC_a=%d renamed, %d errors\n", "MESSAGES", "RSC_a",
         "%d varlimés, %d erreurs", "%d renamed, %d errors"},
        {"placeholders_swapped", "[MESSAGES]\nRSC_a=%s then %d\n", "MESSAGES", "RSC_a",
         "%d puis %s", "%d puis %s"},
        {"placeholder_missing", "[MESSAGES]\nRSC_a=File has no EXIF\n", "MESSAGES", "RSC_a",
         "Le fichier %s", "Le fichier %s"},
        {"empty_translation", "[MESSAGES]\nRSC_a=\n", "MESSAGES", "RSC_a", "Avant", ""},
        {"windows_1252_file", "[MESSAGES]\nRSC_a=S\xE9lection\n", "MESSAGES", "RSC_a", "x",
         "S\xC3\xA9lection"},
        {"binary_junk", "\x00\x01\xFF\n[MESSAGES]\n\x02\x03\nRSC_a=ok\n\xFF=\xFE\n"s, "MESSAGES",
         "RSC_a", "x", "ok"},
        {"duplicate_keys_first_wins", "[MESSAGES]\nRSC_a=first\nRSC_a=second\n", "MESSAGES",
         "RSC_a", "x", "first"},
    };
    for (const auto& c : cases) {
        TempDir dir;
        if (c.file)
            dir.write("lang_en.ini", *c.file);
        Localization loc(dir.path());
        loc.SetActiveLanguage("en");
        EXPECT_EQ(loc.GetLangText(c.section, c.key, c.defaultText), c.expected) << c.name;
    }
}

TEST(GetLangText, FrenchFileOverridesBuiltInTexts) {
    TempDir dir;
    {
        Localization loc(dir.path());
        EXPECT_EQ(loc.GetLangText("MESSAGES", "RSC_a", "Avant"), "Avant");
        EXPECT_EQ(loc.ActiveLanguagePath(), "");
    }
    dir.write("lang_fr.ini", "[MESSAGES]\nRSC_a=Auparavant\n");
    Localization loc(dir.path());
    EXPECT_EQ(loc.GetLangText("MESSAGES", "RSC_a", "Avant"), "Auparavant");
    EXPECT_EQ(loc.GetLangText("MESSAGES", "RSC_b", "Après"), "Après");
}

TEST(GetLangText, HugeLineAndFileChangedOnDisk) {
    TempDir dir;
    const std::string big(2 << 20, 'w');
    dir.write("lang_en.ini", "[MESSAGES]\nRSC_big=" + big + "\nRSC_a=one\n");
    Localization loc(dir.path());
    loc.SetActiveLanguage("en");
    EXPECT_EQ(loc.GetLangText("MESSAGES", "RSC_big", "x"), big);
    EXPECT_EQ(loc.GetLangText("MESSAGES", "RSC_a", "x"), "one");
    dir.write("lang_en.ini", "[MESSAGES]\nRSC_a=two, a longer text\n");
    EXPECT_EQ(loc.GetLangText("MESSAGES", "RSC_a", "x"), "two, a longer text");
}

TEST(GetLangText, LanguageChangeTakesEffectAtOnce) {
    TempDir dir;
    dir.write("lang_en.ini", "[MESSAGES]\nRSC_a=Before\n");
    dir.write("lang_de.ini", "[MESSAGES]\nRSC_a=Vorher\n");
    Localization loc(dir.path());
    EXPECT_EQ(loc.GetLangText("MESSAGES", "RSC_a", "Avant"), "Avant");
    loc.SetActiveLanguage("en");
    EXPECT_EQ(loc.GetLangText("MESSAGES", "RSC_a", "Avant"), "Before");
    loc.SetActiveLanguage("de");
    EXPECT_EQ(loc.GetLangText("MESSAGES", "RSC_a", "Avant"), "Vorher");
    loc.SetActiveLanguage("fr");
    EXPECT_EQ(loc.GetLangText("MESSAGES", "RSC_a", "Avant"), "Avant");
}

TEST(GetLangLines, Table) {
    struct Case {
        const char* name;
        std::string file;
        std::vector<std::string> expected;
    };
    const std::vector<std::string> defaults{"Ligne 1", "Ligne 2"};
    const Case cases[] = {
        {"translated", "[MESSAGES]\nRSC_m=one\\ntwo\\n\\nfour\n", {"one", "two", "", "four"}},
        {"single_line", "[MESSAGES]\nRSC_m=only\n", {"only"}},
        {"empty_value", "[MESSAGES]\nRSC_m=\n", defaults},
        {"missing", "[MESSAGES]\nRSC_other=x\n", defaults},
    };
    for (const auto& c : cases) {
        TempDir dir;
        dir.write("lang_en.ini", c.file);
        Localization loc(dir.path());
        loc.SetActiveLanguage("en");
        EXPECT_EQ(loc.GetLangLines("MESSAGES", "RSC_m", defaults), c.expected) << c.name;
    }
}

TEST(LanguageList, Entries) {
    TempDir dir;
    writeFiles(dir, {
                        {"lang_en.ini", "[langue]\nLangNom= English \nLangCode= en\n"
                                        "MessageLangue=Restart\\nplease\n"},
                        {"langue_english.ini", "[langue]\nLangNom=Other English\nLangCode=EN\n"},
                        {"lang_it.ini", "[MESSAGES]\nRSC_a=Prima\n"},
                        {"lang_fr.ini", "[langue]\nLangNom=Français bis\n"},
                        {"lang_x.ini", "[langue]\nLangCode=FR\n"},
                        {"lang_.ini", "[langue]\nLangNom=Nothing\n"},
                        {"lang.ini", "[CONFIG]\nActiveLanguage=en\n"},
                        {"langue_de.ini", "[langue]\nLangNom=Deutsch\n"},
                        {"lang_folder.ini/x", ""},
                        {"readme.txt", "[langue]\nLangCode=nl\n"},
                    });
    Localization loc(dir.path());
    const auto list = loc.LanguageList();
    struct Expected {
        const char* name;
        const char* code;
        const char* message;
        const char* fileName;
    };
    const Expected expected[] = {
        {"Français", "fr",
         "La langue sélectionnée sera active au prochain démarrage de l'application.", ""},
        {"English", "en", "Restart\nplease", "lang_en.ini"},
        {"it", "it", "The selected language will be active when the application restarts.",
         "lang_it.ini"},
        {"Deutsch", "de", "The selected language will be active when the application restarts.",
         "langue_de.ini"},
    };
    ASSERT_EQ(list.size(), std::size(expected));
    for (std::size_t i = 0; i < list.size(); ++i) {
        EXPECT_EQ(list[i].name, expected[i].name) << i;
        EXPECT_EQ(list[i].code, expected[i].code) << i;
        EXPECT_EQ(list[i].message, expected[i].message) << i;
        EXPECT_EQ(list[i].fileName, expected[i].fileName) << i;
    }
}

TEST(LanguageList, ShippedEnglishFile) {
    // The English file shipped with the program is found and names itself.
    Localization loc(std::string(VARLIME_SOURCE_DIR) + "/lang/");
    const auto list = loc.LanguageList();
    ASSERT_GE(list.size(), 2u);
    EXPECT_EQ(list[1].code, "en");
    EXPECT_EQ(list[1].name, "English");
    EXPECT_EQ(list[1].fileName, "lang_en.ini");
}

} // namespace
