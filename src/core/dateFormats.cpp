// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/dateFormats.h"

#include "core/nameUtils.h"
#include "platform/fileSystem.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace varlime {

namespace {
std::string deuxChiffres(int v) {
    // Months, days, hours, minutes and seconds: two digits made directly, as naming a
    // folder asks for several of them per photo.
    if (v >= 0 && v < 100)
        return {static_cast<char>('0' + v / 10), static_cast<char>('0' + v % 10)};
    char b[16];
    std::snprintf(b, sizeof b, "%2.2d", v);
    return b;
}

// The two last digits of the year as characters 3 and 4 of "%4.4d".
std::string anneeCourte(int annee) {
    char b[16];
    std::snprintf(b, sizeof b, "%4.4d", annee);
    return std::string(b).substr(2, 2);
}

std::string annee(int a) {
    if (a >= 0 && a <= 9999)
        return {static_cast<char>('0' + a / 1000), static_cast<char>('0' + a / 100 % 10),
                static_cast<char>('0' + a / 10 % 10), static_cast<char>('0' + a % 10)};
    char b[16];
    std::snprintf(b, sizeof b, "%4.4d", a);
    return b;
}
} // namespace

std::string Formate_date(int index, const QDate& date) {
    if (!date.isValid())
        return {};
    const int y = date.year(), m = date.month(), d = date.day();
    const std::string Y = annee(y), M = deuxChiffres(m), D = deuxChiffres(d);
    switch (index) {
    case 0:
        return Y + M + D;
    case 1:
        return Y + "-" + M + "-" + D;
    case 2:
        return D + M + Y;
    case 3:
        return D + "-" + M + "-" + Y;
    case 4:
        return anneeCourte(y) + M + D;
    case 5:
        return anneeCourte(y) + "-" + M + "-" + D;
    case 6:
        return D + M + anneeCourte(y);
    case 7:
        return D + "-" + M + "-" + anneeCourte(y);
    default:
        return {};
    }
}

std::string Formate_heure(int index, const QTime& heure) {
    const QTime t = heure.isValid() ? heure : QTime(0, 0, 0);
    const std::string H = deuxChiffres(t.hour()), M = deuxChiffres(t.minute()),
                      S = deuxChiffres(t.second());
    switch (index) {
    case 1:
        return H + "-" + M + "-" + S;
    case 2:
        return H + "h" + M + "mn" + S + "s";
    default:
        return H + M + S;
    }
}

std::string Retourne_date_et_compteur_formate(std::string_view date, const SeparateurDate& sep,
                                              bool compteurADroite) {
    if (!sep.coche)
        return std::string(date);
    return compteurADroite ? std::string(date) + sep.texte : sep.texte + std::string(date);
}

namespace {
std::optional<QDate> dateLocale(std::optional<std::time_t> quand) {
    if (!quand)
        return std::nullopt;
    const std::time_t t = *quand;
    std::tm local{};
    if (!::localtime_r(&t, &local))
        return std::nullopt;
    const QDate d(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
    if (!d.isValid())
        return std::nullopt;
    return d;
}

std::string prefixeDate(const std::optional<QDate>& date, int format, const SeparateurDate& sep,
                        bool compteurADroite) {
    if (!date)
        return {};
    // A format the dialog does not offer gives no date text; the separator still
    // follows, as it does for the fixed date.
    return Retourne_date_et_compteur_formate(Formate_date(format, *date), sep, compteurADroite);
}
} // namespace

std::optional<QDate> dateModificationFichier(const std::string& chemin) {
    return dateLocale(dateModification(chemin));
}

std::string Retourne_date_creation_fichier_at(int dossierFd, const std::string& nom, int format,
                                              const SeparateurDate& sep, bool compteurADroite) {
    return prefixeDate(dateLocale(dateModificationAt(dossierFd, nom)), format, sep,
                       compteurADroite);
}

std::string Retourne_date_creation_fichier(const std::string& dossier, const std::string& nom,
                                           int format, const SeparateurDate& sep,
                                           bool compteurADroite) {
    if (nom.empty())
        return {};
    return prefixeDate(dateModificationFichier(Retourne_repertoire_slash(dossier) + nom), format,
                       sep, compteurADroite);
}

QDate dateDepuisTexte(std::string_view texte) {
    if (texte.size() != 10 || texte[4] != '-' || texte[7] != '-')
        return {};
    int y = 0, m = 0, d = 0;
    if (!toInteger(texte.substr(0, 4), y) || !toInteger(texte.substr(5, 2), m) ||
        !toInteger(texte.substr(8, 2), d))
        return {};
    for (std::size_t i : {0u, 1u, 2u, 3u, 5u, 6u, 8u, 9u})
        if (!Est_numerique(texte[i]))
            return {};
    return QDate(y, m, d);
}

} // namespace varlime

namespace varlime {
QDate dateDuJour() {
    if (const char* fixe = std::getenv("VARLIME_TODAY")) {
        const QDate d = dateDepuisTexte(fixe);
        if (d.isValid())
            return d;
    }
    return QDate::currentDate();
}
} // namespace varlime
