// SPDX-License-Identifier: GPL-3.0-or-later
// The English language file has every message the program looks up: each "RSC_..." key
// written in the sources has an entry in section MESSAGES, with the same placeholders
// as its built-in French text (a translation with others would be ignored).
#include "i18n/uLocalization.h"
#include "platform/iniFile.h"
#include "support/test_sourceMessages.h"
#include "support/test_support.h"

#include <QRegularExpression>
#include <QString>
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

using namespace varlime;
using varlime::test::keysUsedBySources;

namespace {

const std::string kSource = VARLIME_SOURCE_DIR;

TEST(LangEnMessages, EveryKeyOfTheSourcesIsTranslated) {
    bool exists = false;
    const IniDocument doc = IniDocument::load(kSource + "/lang/lang_en.ini", &exists);
    ASSERT_TRUE(exists);
    const auto keys = keysUsedBySources();
    EXPECT_GT(keys.size(), 10u);
    std::string missing, mismatched;
    for (const auto& [key, def] : keys) {
        const auto value = doc.value("MESSAGES", key);
        if (!value) {
            missing += key + "=" + def + "\n";
            continue;
        }
        if (!def.empty() && formatPlaceholders(*value) != formatPlaceholders(def))
            mismatched += key + ": \"" + *value + "\" against \"" + def + "\"\n";
    }
    EXPECT_TRUE(missing.empty()) << "lang/lang_en.ini [MESSAGES] lacks (French default shown):\n"
                                 << missing;
    EXPECT_TRUE(mismatched.empty()) << "placeholders differ from the built-in text:\n"
                                    << mismatched;
}

// Several people add entries: a section or key written twice would hide one of them
// (the first occurrence wins).
TEST(LangEnMessages, NoSectionOrKeyTwice) {
    const QString text = QString::fromStdString(test::readFile(kSource + "/lang/lang_en.ini"));
    QStringList seen, twice;
    QString section;
    for (QString line : text.split(u'\n')) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(u';'))
            continue;
        QString name;
        if (line.startsWith(u'[')) {
            section = line.mid(1, line.indexOf(u']') - 1).trimmed();
            name = section;
        } else {
            name = section + u'/' + line.left(line.indexOf(u'=')).trimmed();
        }
        if (seen.contains(name, Qt::CaseInsensitive))
            twice << name;
        seen << name;
    }
    EXPECT_TRUE(twice.isEmpty()) << twice.join(u' ').toStdString();
}

TEST(LangEnMessages, FileNamesItsLanguage) {
    const IniDocument doc = IniDocument::load(kSource + "/lang/lang_en.ini");
    EXPECT_EQ(doc.read("langue", "LangCode", ""), "en");
    EXPECT_EQ(doc.read("langue", "LangNom", ""), "English");
    // The title is the message followed directly by the version: the blank must stay.
    EXPECT_EQ(doc.read("MESSAGES", "RSC_main_caption", ""), "Varlime ");
}

} // namespace

namespace {

// French is built in with its accents: the shipped French file only names the
// language, and any message it holds is one the program looks up, with the built-in
// text's placeholders.
TEST(LangFrMessages, ShippedFileOnlyNamesTheLanguage) {
    bool exists = false;
    const IniDocument doc = IniDocument::load(kSource + "/lang/lang_fr.ini", &exists);
    ASSERT_TRUE(exists);
    EXPECT_EQ(doc.read("langue", "LangCode", ""), "fr");
    const auto keys = keysUsedBySources();
    const QString text = QString::fromStdString(test::readFile(kSource + "/lang/lang_fr.ini"));
    for (const QString& line : text.split(u'\n')) {
        if (!line.startsWith(QStringLiteral("RSC_")))
            continue;
        const std::string key = line.left(line.indexOf(u'=')).toStdString();
        const auto def = keys.find(key);
        ASSERT_NE(def, keys.end()) << key << " is not used by the program";
        EXPECT_EQ(formatPlaceholders(*doc.value("MESSAGES", key)), formatPlaceholders(def->second))
            << key;
    }
}

// A French file written for the texts that had lost their accents keeps working: its
// messages are shown as it gives them, the others come with their accents.
TEST(LangFrMessages, FileWithTheOldSpellingStillWorks) {
    test::TempDir dir;
    dir.write("lang_fr.ini", "[langue]\nLangCode=fr\n[MESSAGES]\n"
                             "RSC_msg_repertoire_inexistant=Rpertoire inexistant\n");
    Localization loc(dir.path());
    loc.SetActiveLanguage("fr");
    const auto keys = keysUsedBySources();
    const std::pair<const char*, const char*> cases[] = {
        {"RSC_msg_repertoire_inexistant", "Rpertoire inexistant"},
        {"RSC_msg_test_fichier_existe_deja", "ce fichier existe déjà,"},
        {"RSC_msg_impossible_creer_repertoire", "Impossible de créer le répertoire"},
    };
    for (const auto& [key, shown] : cases) {
        ASSERT_TRUE(keys.count(key)) << key;
        EXPECT_EQ(loc.GetLangText("MESSAGES", key, keys.at(key)), shown) << key;
    }
}

} // namespace
