// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Dates and times in new names: the eight date formats, the three time formats, the
// final separator that falls between the date and the counter, and each file's own
// modification date in local time.
#include <QDate>
#include <QTime>
#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace varlime {

// Captions of the date formats, in the order of their index (FORMATS/DATE).
inline constexpr std::array<std::string_view, 8> kFormatsDate = {
    "Date inverse type AAAAMMJJ",
    "Date inverse avec séparateur AAAA-MM-JJ",
    "Date JJMMAAAA",
    "Date avec séparateur JJ-MM-AAAA",
    "Date inverse type AAMMJJ",
    "Date inverse avec séparateur AA-MM-JJ",
    "Date JJMMAA",
    "Date avec séparateur JJ-MM-AA",
};

// Captions of the time formats, in the order of their index (FORMATS/HEURE).
inline constexpr std::array<std::string_view, 3> kFormatsHeure = {
    "Heure sans séparateur HHMMSS",
    "Heure avec séparateur HH-MM-SS",
    "Heure avec identificateurs HHhMMmnSSs",
};

// The date in format `index` (0..7); any other index, or an invalid date, gives "".
std::string Formate_date(int index, const QDate& date);
// The time in format `index`; no choice (-1) and any index outside 0..2 give HHMMSS.
std::string Formate_heure(int index, const QTime& heure);

// Options of the final separator.
struct SeparateurDate {
    bool coche = true;       // CKB_separateur
    std::string texte = "_"; // CBB_separateur_final

    bool operator==(const SeparateurDate&) const = default;
};

// Adds the separator on the counter's side: after the date when the counter stands
// right of the name, before it when the counter stands left.
std::string Retourne_date_et_compteur_formate(std::string_view date, const SeparateurDate& sep,
                                              bool compteurADroite);

// A file's last-modification date in local time, or nothing when it cannot be read.
std::optional<QDate> dateModificationFichier(const std::string& chemin);

// Date prefix of one file (a bare name is resolved in `dossier`): its modification
// date formatted and given its separator. A file whose date cannot be read gets an
// empty date part, never a made-up date.
std::string Retourne_date_creation_fichier(const std::string& dossier, const std::string& nom,
                                           int format, const SeparateurDate& sep,
                                           bool compteurADroite);

// The same for an entry of a folder already opened (a directory file descriptor).
std::string Retourne_date_creation_fichier_at(int dossierFd, const std::string& nom, int format,
                                              const SeparateurDate& sep, bool compteurADroite);

// Parses "YYYY-MM-DD" strictly; an invalid date gives an invalid QDate.
QDate dateDepuisTexte(std::string_view texte);

} // namespace varlime

namespace varlime {
// Today's date for the date dialog's start value. VARLIME_TODAY=YYYY-MM-DD in the
// environment fixes it, so that tests and headless runs get the same names any day.
QDate dateDuJour();
} // namespace varlime
