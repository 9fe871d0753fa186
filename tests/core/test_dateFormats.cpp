// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/dateFormats.h"
#include "support/test_support.h"

#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace varlime;

namespace {

struct DateCase {
    int index;
    QDate date;
    const char* attendu;
};

TEST(DateFormats, EightDateFormats) {
    const QDate d(2024, 3, 5);
    const DateCase cases[] = {
        {0, d, "20240305"},
        {1, d, "2024-03-05"},
        {2, d, "05032024"},
        {3, d, "05-03-2024"},
        {4, d, "240305"},
        {5, d, "24-03-05"},
        {6, d, "050324"},
        {7, d, "05-03-24"},
        {8, d, ""},
        {-1, d, ""},
        {0, QDate(987, 12, 31), "09871231"},
        {4, QDate(987, 12, 31), "871231"},
        {7, QDate(2000, 1, 9), "09-01-00"},
        {1, QDate(), ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Formate_date(c.index, c.date), c.attendu) << c.index;
}

TEST(DateFormats, ThreeTimeFormats) {
    const struct {
        int index;
        QTime heure;
        const char* attendu;
    } cases[] = {
        {0, QTime(9, 5, 7), "090507"},     {1, QTime(9, 5, 7), "09-05-07"},
        {2, QTime(9, 5, 7), "09h05mn07s"}, {2, QTime(23, 59, 0), "23h59mn00s"},
        {-1, QTime(9, 5, 7), "090507"},    {3, QTime(9, 5, 7), "090507"},
        {1, QTime(0, 0, 0), "00-00-00"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Formate_heure(c.index, c.heure), c.attendu) << c.index;
}

TEST(DateFormats, SeparatorOnTheCounterSide) {
    const struct {
        const char* nom;
        SeparateurDate sep;
        bool droite;
        const char* attendu;
    } cases[] = {
        {"right", {true, "_"}, true, "2024-03-05_"},
        {"left", {true, "_"}, false, "_2024-03-05"},
        {"dash_right", {true, "-"}, true, "2024-03-05-"},
        {"free_text_left", {true, " à "}, false, " à 2024-03-05"},
        {"unchecked_right", {false, "_"}, true, "2024-03-05"},
        {"unchecked_left", {false, "_"}, false, "2024-03-05"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Retourne_date_et_compteur_formate("2024-03-05", c.sep, c.droite), c.attendu)
            << c.nom;
}

// Sets a file's modification time to a moment given in UTC seconds.
void dater(const std::string& chemin, std::time_t t) {
    struct timespec ts[2] = {{t, 0}, {t, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, chemin.c_str(), ts, 0), 0);
}

// Runs with a fixed time zone nine hours east of UTC (no zone database needed).
class FileDate : public ::testing::Test {
protected:
    void SetUp() override {
        const char* tz = std::getenv("TZ");
        hadTz_ = tz != nullptr;
        if (tz)
            oldTz_ = tz;
        ::setenv("TZ", "XYZ-9", 1);
        ::tzset();
    }
    void TearDown() override {
        if (hadTz_)
            ::setenv("TZ", oldTz_.c_str(), 1);
        else
            ::unsetenv("TZ");
        ::tzset();
    }

private:
    bool hadTz_ = false;
    std::string oldTz_;
};

TEST_F(FileDate, EachFileItsOwnLocalDate) {
    test::TempDir dir;
    // 2024-03-05 20:00 UTC is already 6 March in local time (UTC+9).
    dater(dir.write("late.jpg"), 1709668800);
    // 2024-03-05 01:00 and 10:00 UTC: both 5 March in local time.
    dater(dir.write("a.jpg"), 1709600400);
    dater(dir.write("b.jpg"), 1709632800);
    const SeparateurDate sep{true, "_"};
    EXPECT_EQ(Retourne_date_creation_fichier(dir.path(), "late.jpg", 0, sep, true), "20240306_");
    EXPECT_EQ(Retourne_date_creation_fichier(dir.path(), "a.jpg", 1, sep, true), "2024-03-05_");
    EXPECT_EQ(Retourne_date_creation_fichier(dir.path(), "b.jpg", 1, sep, true), "2024-03-05_");
    EXPECT_EQ(Retourne_date_creation_fichier(dir.path(), "b.jpg", 3, sep, false), "_05-03-2024");
    EXPECT_EQ(Retourne_date_creation_fichier(dir.path(), "b.jpg", 1, {false, "_"}, true),
              "2024-03-05");
    // A file that cannot be read gets no date at all, not even its separator.
    EXPECT_EQ(Retourne_date_creation_fichier(dir.path(), "missing.jpg", 1, sep, true), "");
    EXPECT_EQ(Retourne_date_creation_fichier(dir.path(), "", 1, sep, true), "");
    // A format outside the table gives an empty date text, followed by its separator as
    // the fixed date is.
    EXPECT_EQ(Retourne_date_creation_fichier(dir.path(), "a.jpg", 9, sep, true), "_");
    ASSERT_TRUE(dateModificationFichier(dir.path() + "late.jpg").has_value());
    EXPECT_EQ(*dateModificationFichier(dir.path() + "late.jpg"), QDate(2024, 3, 6));
}

TEST(DateFormats, DateFromText) {
    const struct {
        const char* texte;
        QDate attendu;
    } cases[] = {
        {"2024-03-05", QDate(2024, 3, 5)}, {"2024-02-29", QDate(2024, 2, 29)},
        {"2023-02-29", QDate()},           {"2024-3-05", QDate()},
        {"2024/03/05", QDate()},           {"+024-03-05", QDate()},
        {"abcd-ef-gh", QDate()},           {"", QDate()},
        {"2024-03-05x", QDate()},
    };
    for (const auto& c : cases)
        EXPECT_EQ(dateDepuisTexte(c.texte), c.attendu) << c.texte;
}

} // namespace
