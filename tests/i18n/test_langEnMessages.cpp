// The English language file has every message the program looks up: each "RSC_..." key
// written in the sources has an entry in section MESSAGES, with the same placeholders
// as its built-in French text (a translation with others would be ignored).
#include "i18n/uLocalization.h"
#include "platform/iniFile.h"
#include "support/test_support.h"

#include <QRegularExpression>
#include <QString>
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

using namespace varlime;

namespace {

const std::string kSource = VARLIME_SOURCE_DIR;

// key -> built-in default (empty when the sources never give one next to the key).
std::map<std::string, std::string> keysUsedBySources() {
    // The key, then its default: one string literal or several written side by side.
    static const QRegularExpression pattern(
        QStringLiteral(R"re("(RSC_[A-Za-z0-9_]+)"(?:\s*,\s*((?:"(?:[^"\\]|\\.)*"\s*)+))?)re"));
    static const QRegularExpression literal(QStringLiteral(R"re("((?:[^"\\]|\\.)*)")re"));
    std::map<std::string, std::string> keys;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(kSource + "/src")) {
        const auto ext = entry.path().extension();
        if (!entry.is_regular_file() || (ext != ".cpp" && ext != ".h"))
            continue;
        const QString text = QString::fromStdString(test::readFile(entry.path().string()));
        for (auto it = pattern.globalMatch(text); it.hasNext();) {
            const auto m = it.next();
            std::string& def = keys[m.captured(1).toStdString()];
            if (!def.empty())
                continue;
            for (auto piece = literal.globalMatch(m.captured(2)); piece.hasNext();)
                def += piece.next().captured(1).toStdString();
        }
    }
    return keys;
}

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

// The shipped French file only restores accents: each of its messages is one the
// program looks up, with the built-in text's placeholders, and differs from it.
TEST(LangFrMessages, OnlyAccentedFormsOfBuiltInMessages) {
    bool exists = false;
    const IniDocument doc = IniDocument::load(kSource + "/lang/lang_fr.ini", &exists);
    ASSERT_TRUE(exists);
    EXPECT_EQ(doc.read("langue", "LangCode", ""), "fr");
    const auto keys = keysUsedBySources();
    const QString text = QString::fromStdString(test::readFile(kSource + "/lang/lang_fr.ini"));
    int checked = 0;
    for (const QString& line : text.split(u'\n')) {
        if (!line.startsWith(QStringLiteral("RSC_")))
            continue;
        const std::string key = line.left(line.indexOf(u'=')).toStdString();
        const auto def = keys.find(key);
        ASSERT_NE(def, keys.end()) << key << " is not used by the program";
        const auto value = doc.value("MESSAGES", key);
        ASSERT_TRUE(value.has_value()) << key;
        EXPECT_EQ(formatPlaceholders(*value), formatPlaceholders(def->second)) << key;
        EXPECT_NE(*value, def->second) << key;
        ++checked;
    }
    EXPECT_EQ(checked, 8);
}

} // namespace
