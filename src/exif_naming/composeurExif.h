// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Names composed from the EXIF facts of a photo: the number forms of apertures,
// exposures and focal lengths, the values read out of the EXIF text listings, and
// the composer that joins the chosen items with their separators and counter.
// Nothing here reads a file or needs a window.
#include "core/renameEngine.h"
#include "exif/exifDates.h"

#include <QDate>
#include <QTime>
#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace varlime {

// The ten items (ItemExif, in the engine), in the order their display names are
// compared (a later item wins).
struct DescriptionItem {
    ItemExif item;
    const char* cle;    // message key of its display name
    const char* defaut; // the built-in French display name
    const char* motCle; // the word of the command line's --exif list
};

inline constexpr std::array<DescriptionItem, 10> kItemsExif = {{
    {ItemExif::ZoneLibre, "RSC_zone_libre", "Zone libre", "free"},
    {ItemExif::Fabricant, "RSC_fabricant", "Fabricant", "make"},
    {ItemExif::Modele, "RSC_modele", "Modèle", "model"},
    {ItemExif::Date, "RSC_date", "Date", "date"},
    {ItemExif::Heure, "RSC_heure", "Heure", "time"},
    {ItemExif::Ouverture, "RSC_ouverture", "Ouverture", "aperture"},
    {ItemExif::Exposition, "RSC_exposition", "Exposition", "exposure"},
    {ItemExif::Focale, "RSC_focale", "Focale", "focal"},
    {ItemExif::Focale35, "RSC_focale_35", "Foc.équiv.35mm", "focal35"},
    {ItemExif::Proprietaire, "RSC_proprietaire", "Propriétaire", "owner"},
}};

// The counter mask that keeps the counter already in an old name.
inline constexpr std::string_view kMasqueGarderCompteur = "[*&N]";

// --- Number forms -------------------------------------------------------------

// One digit after the mark: "," unless the aperture choice is 1 (then ".").
std::string Retourne_decimal_formatee(double valeur, int formatOuverture);
std::string Retourne_ouverture_formatee(double valeur, int formatOuverture); // F2,8
std::string Retourne_focale_formatee(double valeur, int formatOuverture);    // 50,0mm
// Whole seconds from 1 s up, "1_N_eme" (or "1_N_ème" for choice 1) below; a zero,
// negative or unreadable exposure gives "" (there is no reciprocal to show).
std::string Retourne_exposition_formatee(double secondes, int formatExposition);
// The same with the suffix of the active language after "1_N" ("th" in English); the
// format's own one when `suffixe` is empty.
std::string Retourne_exposition_formatee(double secondes, int formatExposition,
                                         std::string_view suffixe);

// --- Values read out of the listings --------------------------------------------

// The text after "description = " on the first line that carries that description,
// up to the end of the line; nothing when no line does.
std::optional<std::string_view> valeurListing(std::string_view listing,
                                              std::string_view description);
// A number as the EXIF reader presented it (with the program-wide decimal mark).
std::optional<double> lireNombre(std::string_view texte);

std::optional<double> Retourne_ouverture(std::string_view listingExif);
// Seconds; nothing when absent, or when the fraction has a zero denominator.
std::optional<double> Retourne_exposition(std::string_view listingExif);
std::optional<double> Retourne_focale(std::string_view listingExif, bool equivalent35);
std::string Retourne_proprietaire(std::string_view listingMakerNote);
// 270 for "Clockwise 90°", 90 for "CounterClockwise 90°", otherwise 0.
int Retourne_orientation(std::string_view listingExif);

// The date-time of "YYYY:MM:DD HH:MM:SS"; nothing for an empty text, a text whose
// digit groups are no numbers, or one that makes no real date: the photo is undated.
struct DateHeure {
    QDate date;
    QTime heure;
};
std::optional<DateHeure> ExploiteDateHeure(std::string_view texte);

// --- The facts of one photo, and the composer -----------------------------------

// What the composer needs of a photo, read once from its EXIF data, whatever the
// container: every value is taken from the typed entries by tag number.
struct FaitsExif {
    // Metadata found: an EXIF block (with or without a make), or a date in XMP or IPTC.
    bool exif = false;
    std::string fabricant; // trimmed, cut at the first zero byte; "" when none
    std::string modele;
    // The date used for naming, "YYYY:MM:DD HH:MM:SS" ("" when the file has none), and
    // where it was found: a photo's capture date, a film's own date, XMP, IPTC...
    // (see exifDates.h). This is the date any feature naming files by date takes.
    std::string dateHeure;
    DateSource sourceDate = DateSource::None;
    std::optional<double> ouverture, exposition, focale, focale35;
    std::string proprietaire;
    int orientation = 0;
    // Pixel sizes as recorded (0 when not).
    int largeur = 0, hauteur = 0;
    // The camera body's serial number, "" when the file records none.
    std::string serie;
    bool operator==(const FaitsExif&) const = default;
};

class TImageInfo;
class TimgData;
// The facts of the photo just read by a reader (`exifTrouve` false: no EXIF block),
// from its EXIF block alone: its date is DateTimeOriginal, CreateDate or DateTime.
FaitsExif faitsDepuisLecteur(bool exifTrouve, const TImageInfo* info);
// The facts of the file the reader just read, its date searched everywhere it may be
// kept (`lu`: what ReadImageFile returned).
FaitsExif faitsDepuisLecteur(const TimgData& lecteur, bool lu);

// The date and time a file is named by, or nothing when it has none: never another day.
std::optional<DateHeure> dateDeNommage(const FaitsExif& faits);

// The text of each item for one photo, as the dialog's value labels show them.
struct ValeursExif {
    std::string fabricant, modele, date, heure, ouverture, exposition, focale, focale35,
        proprietaire;
};
ValeursExif valeursAffichees(const FaitsExif& faits, const OptionsNommage& options,
                             const QDate& aujourdhui);

// The dialog's example line for a photo whose old name is `ancien`, with the counter
// the first file gets from the counter options.
std::string Compose_exemple(const FaitsExif& faits, const OptionsNommage& options,
                            std::string_view ancien, const QDate& aujourdhui);
// The name part of a photo: the example without its "001" placeholder when the
// engine adds the counter, or the not-renamed marker for a photo without EXIF.
std::string Retourne_nom_exif(const FaitsExif& faits, const OptionsNommage& options,
                              std::string_view ancien, const QDate& aujourdhui);

// A value from a photo may hold what no name can: '/' and control characters become '-'.
std::string nettoyerPourNom(std::string_view valeur);

} // namespace varlime
