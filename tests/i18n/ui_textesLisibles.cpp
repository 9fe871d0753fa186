// SPDX-License-Identifier: GPL-3.0-or-later
// Every text a user reads, in the built-in French and in the shipped English file, is
// written right: no French word that lost the letter where its accent belongs, no
// doubled space, no sentence running into the next one.
#include "i18n/ui/TranslateForm.h"
#include "support/test_sourceMessages.h"
#include "support/ui_support.h"
#include "window/Main.h"

#include <QDialog>
#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace varlime;
using namespace varlime::test;

namespace {

// Words as they came out when their accented letters were dropped; each pattern stands
// alone between non-letters.
constexpr const char* kMotsSansAccent[] = {
    "en-tte", "slectionn", "slectionne", "sr",    "rpertoire", "Rpertoire", "dj",       "tre",
    "mme",    "varlim",    "varlims",    "crer",  "occupes",   "apparat",   "diffrent", "Etes",
    "prfixe", "numro",     "donnes",     "dfaut", "fentre",    "A propos",  "A droite", "A gauche",
};

struct Texte {
    std::string where;
    QString text;
};

// What is wrong with a text, or nothing.
std::string defauts(const QString& text) {
    std::string out;
    for (const char* mot : kMotsSansAccent) {
        const QRegularExpression re(QStringLiteral("(?<!\\p{L})") +
                                    QRegularExpression::escape(QString::fromUtf8(mot)) +
                                    QStringLiteral("(?!\\p{L})"));
        if (re.match(text).hasMatch())
            out += std::string(" lost accent \"") + mot + "\";";
    }
    if (text.contains(QStringLiteral("  ")))
        out += " doubled space;";
    static const QRegularExpression accolee(QStringLiteral("\\p{Ll}[.!?]\\p{Lu}"));
    if (const auto m = accolee.match(text); m.hasMatch())
        out += " sentence runs into the next at \"" + m.captured().toStdString() + "\";";
    return out;
}

// The rule itself: each row is a text and whether it is right.
TEST(TextesLisibles, RuleFindsEachFault) {
    const std::pair<const char*, bool> cases[] = {
        {"Le fichier %s n'a pas d'en-tête Exif", true},
        {"Le fichier %s n'a pas d'en-tte Exif", false},
        {"Rpertoire inexistant", false},
        {"Êtes-vous sûr de vouloir continuer ?", true},
        {"Etes-vous sr de vouloir continuer ?", false},
        {"le fichier %s peut donc tre varlim", false},
        {"%d fichiers varlimés", true},
        {"Rapport des  erreurs possibles", false},
        {"vos critères.Chaîne vide possible.", false},
        {"vos critères. Chaîne vide possible.", true},
        {"IMG_0042.jpg, lang_en.ini, F2.8, 1.5", true},
        {"Lecture des informations EXIF...", true},
        {"À propos", true},
        {"A propos", false},
    };
    for (const auto& [text, right] : cases)
        EXPECT_EQ(defauts(QString::fromUtf8(text)).empty(), right) << text;
}

std::vector<Texte> textesFrancais() {
    std::vector<Texte> out;
    for (const auto& [key, def] : keysUsedBySources())
        if (!def.empty())
            out.push_back({"message " + key, QString::fromStdString(def)});
    AppFixture f;
    std::vector<QWidget*> fenetres{&f.app->MainForm()};
    for (QDialog* d : f.app->MainForm().findChildren<QDialog*>())
        fenetres.push_back(d);
    for (QWidget* w : fenetres)
        for (const FormText& t : translatableTexts(w))
            out.push_back(
                {formInstanceName(w).toStdString() + " " + t.key().toStdString(), t.text});
    return out;
}

std::vector<Texte> textesAnglais() {
    std::vector<Texte> out;
    const QString file =
        QString::fromStdString(readFile(std::string(VARLIME_SOURCE_DIR) + "/lang/lang_en.ini"));
    for (const QString& line : file.split(u'\n')) {
        const qsizetype eq = line.indexOf(u'=');
        if (line.startsWith(u';') || line.startsWith(u'[') || eq < 0)
            continue;
        out.push_back({"lang_en.ini " + line.left(eq).toStdString(), line.mid(eq + 1)});
    }
    return out;
}

TEST(TextesLisibles, BuiltInFrenchAndShippedEnglish) {
    for (const auto& [langue, textes] :
         {std::pair{"French", textesFrancais()}, std::pair{"English", textesAnglais()}}) {
        EXPECT_GT(textes.size(), 150u) << langue;
        std::string fautes;
        for (const Texte& t : textes)
            if (const std::string d = defauts(t.text); !d.empty())
                fautes += t.where + ": \"" + t.text.toStdString() + "\"" + d + "\n";
        EXPECT_TRUE(fautes.empty()) << langue << " texts to correct:\n" << fautes;
    }
}

} // namespace
