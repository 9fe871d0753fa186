// SPDX-License-Identifier: GPL-3.0-or-later
#include "exif_naming/composeurExif.h"

#include <array>

#include "core/maskEngine.h"
#include "core/nameUtils.h"
#include "exif/dEXIF.h"
#include "exif/exifFormat.h"

#include <charconv>
#include <climits>
#include <cmath>

namespace varlime {

namespace {

std::string_view sansBlancs(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

// The value up to the first of the given characters (or the end).
std::string_view jusqua(std::string_view s, std::string_view arrets) {
    return s.substr(0, std::min(s.find_first_of(arrets), s.size()));
}

} // namespace

std::string Retourne_decimal_formatee(double valeur, int formatOuverture) {
    if (!std::isfinite(valeur))
        return {};
    // Seven significant digits first, so that a focal length listed as 18.45 is 18.45 and not
    // the binary 18.4499…; then the second decimal rounds half away from zero, as the digits
    // a person reads would. to_chars knows no locale: the mark is ours to choose.
    char buffer[64];
    const auto r =
        std::to_chars(buffer, buffer + sizeof buffer, valeur, std::chars_format::scientific, 6);
    if (r.ec != std::errc())
        return {};
    std::string_view s(buffer, static_cast<std::size_t>(r.ptr - buffer)); // [-]d.dddddde±x
    const bool negatif = s.front() == '-';
    if (negatif)
        s.remove_prefix(1);
    const std::size_t e = s.find('e');
    if (e != 8)
        return {};
    int exposant = 0;
    const char* debutExposant = s.data() + e + 1 + (s[e + 1] == '+' ? 1 : 0);
    if (std::from_chars(debutExposant, s.data() + s.size(), exposant).ec != std::errc())
        return {};
    std::string chiffres(1, s[0]);
    chiffres += s.substr(2, 6);
    // The value times ten has exposant + 2 digits before its point.
    const int entiers = exposant + 2;
    std::string dixiemes; // the value times ten, rounded, as decimal digits
    bool arrondirHaut = false;
    if (entiers >= 7) {
        dixiemes = chiffres + std::string(static_cast<std::size_t>(entiers - 7), '0');
    } else if (entiers > 0) {
        dixiemes = chiffres.substr(0, static_cast<std::size_t>(entiers));
        arrondirHaut = chiffres[static_cast<std::size_t>(entiers)] >= '5';
    } else {
        dixiemes = "0";
        arrondirHaut = entiers == 0 && chiffres[0] >= '5';
    }
    if (arrondirHaut) {
        std::size_t i = dixiemes.size();
        while (i > 0 && dixiemes[i - 1] == '9')
            dixiemes[--i] = '0';
        if (i == 0)
            dixiemes.insert(dixiemes.begin(), '1');
        else
            ++dixiemes[i - 1];
    }
    if (dixiemes.size() < 2)
        dixiemes.insert(dixiemes.begin(), '0');
    std::string out = negatif && dixiemes.find_first_not_of('0') != std::string::npos ? "-" : "";
    out += dixiemes.substr(0, dixiemes.size() - 1);
    out += formatOuverture == 1 ? '.' : ',';
    out += dixiemes.back();
    return out;
}

std::string Retourne_ouverture_formatee(double valeur, int formatOuverture) {
    std::string out = "F";
    out += Retourne_decimal_formatee(valeur, formatOuverture);
    return out;
}

std::string Retourne_focale_formatee(double valeur, int formatOuverture) {
    return Retourne_decimal_formatee(valeur, formatOuverture) + "mm";
}

std::string Retourne_exposition_formatee(double secondes, int formatExposition) {
    return Retourne_exposition_formatee(secondes, formatExposition, {});
}

std::string Retourne_exposition_formatee(double secondes, int formatExposition,
                                         std::string_view suffixe) {
    if (!(secondes > 0) || !std::isfinite(secondes))
        return {};
    if (secondes >= 1)
        return std::to_string(RoundHalfEven(secondes));
    const std::int32_t n = RoundHalfEven(1.0 / secondes);
    if (suffixe.empty())
        suffixe = formatExposition == 1 ? "_ème" : "_eme";
    return "1_" + std::to_string(n) + std::string(suffixe);
}

std::optional<std::string_view> valeurListing(std::string_view listing,
                                              std::string_view description) {
    // A description is looked for at the start of a line and followed by " = ", so
    // that "Focal Length" never lands on "Focal Length in 35mm Film" or on a value.
    std::size_t debut = 0;
    while (debut <= listing.size()) {
        auto fin = listing.find('\n', debut);
        if (fin == std::string_view::npos)
            fin = listing.size();
        std::string_view ligne = listing.substr(debut, fin - debut);
        if (!ligne.empty() && ligne.back() == '\r')
            ligne.remove_suffix(1);
        if (ligne.size() >= description.size() + 3 && ligne.starts_with(description) &&
            ligne.substr(description.size(), 3) == " = ")
            return ligne.substr(description.size() + 3);
        debut = fin + 1;
    }
    return std::nullopt;
}

std::optional<double> lireNombre(std::string_view texte) {
    texte = sansBlancs(texte);
    if (texte.empty())
        return std::nullopt;
    std::string s(texte);
    // The reader wrote its numbers with the program-wide mark; from_chars reads '.'.
    for (char& c : s)
        if (c == decimalMark())
            c = '.';
    double v = 0;
    const auto r = std::from_chars(s.data(), s.data() + s.size(), v);
    if (r.ec != std::errc() || r.ptr != s.data() + s.size() || !std::isfinite(v))
        return std::nullopt;
    return v;
}

namespace {

using Valeur = std::optional<std::string_view>;

// The lines a file's facts come from, found in one pass over the listing (a folder of
// thousands of photos is read at once); the first line of a description wins, as in
// valeurListing.
enum Ligne : std::size_t {
    kFNumber,
    kAperture,
    kExposure,
    kShutter,
    kFocal,
    kFocal35,
    kOrientation,
    kLignes
};
constexpr std::array<std::string_view, kLignes> kDescriptions = {
    "FNumber",       "Aperture Value",
    "Exposure Time", "Shutter Speed Value",
    "Focal Length",  "Focal Length in 35mm Film",
    "Orientation"};

std::array<Valeur, kLignes> valeursListing(std::string_view listing) {
    std::array<Valeur, kLignes> out{};
    std::size_t debut = 0;
    while (debut <= listing.size()) {
        auto fin = listing.find('\n', debut);
        if (fin == std::string_view::npos)
            fin = listing.size();
        std::string_view ligne = listing.substr(debut, fin - debut);
        if (!ligne.empty() && ligne.back() == '\r')
            ligne.remove_suffix(1);
        const auto egal = ligne.find(" = ");
        if (egal != std::string_view::npos) {
            const std::string_view cle = ligne.substr(0, egal);
            for (std::size_t i = 0; i < kLignes; ++i)
                if (!out[i] && cle == kDescriptions[i])
                    out[i] = ligne.substr(egal + 3);
        }
        debut = fin + 1;
    }
    return out;
}

// The aperture value is an APEX number, not an f-number: f = 2^(Av/2), so Av 5 is
// f/5.7. Naming a photo without an FNumber by the bare Av would call f/5.7 "F5,0".
double nombreFDeApex(double av) {
    return std::nearbyint(std::exp2(av / 2) * 10.0) / 10.0;
}

std::optional<double> ouvertureDe(Valeur valeur) {
    if (!valeur || valeur->empty())
        return std::nullopt;
    return lireNombre(valeur->substr(1)); // after the "F" of the presented f-number
}

std::optional<double> expositionDe(Valeur valeur) {
    if (!valeur)
        return std::nullopt;
    const std::string_view texte = jusqua(*valeur, " ");
    const auto barre = texte.find('/');
    if (barre == std::string_view::npos)
        return lireNombre(texte);
    int num = 0, den = 0;
    const std::string_view a = texte.substr(0, barre), b = texte.substr(barre + 1);
    if (std::from_chars(a.data(), a.data() + a.size(), num).ptr != a.data() + a.size() ||
        std::from_chars(b.data(), b.data() + b.size(), den).ptr != b.data() + b.size() ||
        a.empty() || b.empty() || den == 0)
        return std::nullopt;
    return static_cast<double>(num) / den;
}

std::optional<double> focaleDe(Valeur valeur) {
    if (!valeur)
        return std::nullopt;
    return lireNombre(jusqua(*valeur, "m"));
}

int orientationDe(Valeur valeur) {
    if (!valeur)
        return 0;
    if (*valeur == "Clockwise 90°")
        return 270;
    if (*valeur == "CounterClockwise 90°")
        return 90;
    return 0;
}

} // namespace

std::optional<double> Retourne_ouverture(std::string_view listingExif) {
    const auto v = valeursListing(listingExif);
    if (v[kFNumber])
        return ouvertureDe(v[kFNumber]);
    const auto apex = ouvertureDe(v[kAperture]);
    return apex ? std::optional(nombreFDeApex(*apex)) : std::nullopt;
}

std::optional<double> Retourne_exposition(std::string_view listingExif) {
    const auto v = valeursListing(listingExif);
    return expositionDe(v[kExposure] ? v[kExposure] : v[kShutter]);
}

std::optional<double> Retourne_focale(std::string_view listingExif, bool equivalent35) {
    return focaleDe(valeursListing(listingExif)[equivalent35 ? kFocal35 : kFocal]);
}

std::string Retourne_proprietaire(std::string_view listingMakerNote) {
    const auto valeur = valeurListing(listingMakerNote, "OwnerName");
    if (!valeur || valeur->empty())
        return {};
    // Text values stand between double quotes; the quotes are no part of the name.
    std::string out;
    for (char c : *valeur)
        if (c != '"')
            out += c;
    return std::string(sansBlancs(out));
}

int Retourne_orientation(std::string_view listingExif) {
    return orientationDe(valeursListing(listingExif)[kOrientation]);
}

std::optional<DateHeure> ExploiteDateHeure(std::string_view texte) {
    // "YYYY:MM:DD HH:MM:SS": the groups are read at their places, and each must be digits.
    if (texte.size() < 19)
        return std::nullopt;
    auto groupe = [&](std::size_t pos, std::size_t n, int& out) {
        const std::string_view g = texte.substr(pos, n);
        for (char c : g)
            if (c < '0' || c > '9')
                return false;
        std::from_chars(g.data(), g.data() + g.size(), out);
        return true;
    };
    int an = 0, mois = 0, jour = 0, h = 0, mn = 0, s = 0;
    if (!groupe(0, 4, an) || !groupe(5, 2, mois) || !groupe(8, 2, jour) || !groupe(11, 2, h) ||
        !groupe(14, 2, mn) || !groupe(17, 2, s))
        return std::nullopt;
    const QDate date(an, mois, jour);
    const QTime heure(h, mn, s);
    if (!date.isValid() || !heure.isValid())
        return std::nullopt;
    return DateHeure{date, heure};
}

namespace {

// A number rounded to the decimals the listing shows it with, so that names come out
// as they did when they were read back from the listing.
double auxDecimales(double v, int decimales) {
    const double echelle = decimales == 1 ? 10.0 : decimales == 2 ? 100.0 : 10000.0;
    return std::nearbyint(v * echelle) / echelle;
}

std::optional<double> ouvertureTypee(const TImageInfo& info) {
    if (const TTagEntry* e = info.EntryByTag(tag::FNumber))
        return auxDecimales(e->Number(), 1);
    // Taken at the precision the listing shows, as the listing's reader takes it.
    if (const TTagEntry* e = info.EntryByTag(tag::ApertureValue))
        return nombreFDeApex(auxDecimales(e->Number(), 1));
    return std::nullopt;
}

std::optional<double> expositionTypee(const TImageInfo& info) {
    if (const TTagEntry* e = info.EntryByTag(tag::ExposureTime)) {
        // A fraction of two 32-bit integers; several values, or a zero denominator,
        // make no exposure.
        if (e->ComponentCount() != 1)
            return std::nullopt;
        const TTagEntry::Rational r = e->RationalAt();
        if (e->ValueType != ExifType::Rational && e->ValueType != ExifType::SRational)
            return e->Number();
        if (r.den == 0 || r.num > INT32_MAX || r.den > INT32_MAX)
            return std::nullopt;
        return static_cast<double>(r.num) / static_cast<double>(r.den);
    }
    if (const TTagEntry* e = info.EntryByTag(tag::ShutterSpeedValue)) {
        // The shutter speed is an exponent of two; listed to four decimals.
        return auxDecimales(std::pow(2.0, -e->Number()), 4);
    }
    return std::nullopt;
}

std::optional<double> focaleTypee(const TImageInfo& info, std::uint16_t tag) {
    const TTagEntry* e = info.EntryByTag(tag);
    if (!e)
        return std::nullopt;
    return auxDecimales(e->Number(), 2);
}

int orientationTypee(const TImageInfo& info) {
    const TTagEntry* e = info.EntryByTag(tag::Orientation);
    if (!e)
        return 0;
    // 6: the picture lies turned a quarter counter-clockwise; 8: clockwise.
    switch (RoundHalfEven(e->Number())) {
    case 6:
        return 90;
    case 8:
        return 270;
    default:
        return 0;
    }
}

} // namespace

FaitsExif faitsDepuisLecteur(bool exifTrouve, const TImageInfo* info) {
    FaitsExif f;
    if (!exifTrouve || !info)
        return f;
    // EXIF without a make (a film, a scan, an editor's copy) still names the file: its
    // make item is empty, as with a make of blanks.
    f.exif = true;
    f.fabricant = std::string(sansBlancs(info->MakeForNames));
    f.modele = std::string(sansBlancs(info->ModelForNames));
    for (const auto& [texte, source] :
         {std::pair{&info->OriginalDateText, DateSource::DateTimeOriginal},
          std::pair{&info->DigitizedDateText, DateSource::CreateDate},
          std::pair{&info->ModifyDateText, DateSource::ModifyDate}})
        if (isDateText(*texte)) {
            f.dateHeure = texte->substr(0, 19);
            f.sourceDate = source;
            break;
        }
    f.ouverture = ouvertureTypee(*info);
    f.exposition = expositionTypee(*info);
    f.focale = focaleTypee(*info, tag::FocalLength);
    f.focale35 = info->Focal35ForNames;
    f.proprietaire = Retourne_proprietaire(info->MakerText);
    f.orientation = orientationTypee(*info);
    f.largeur = info->PixelWidth;
    f.hauteur = info->PixelHeight;
    f.serie = info->CameraSerial();
    return f;
}

FaitsExif faitsDepuisLecteur(const TimgData& lecteur, bool lu) {
    FaitsExif f = faitsDepuisLecteur(lu && lecteur.HasExifBlock(), lecteur.ExifInfo.get());
    f.exif = f.exif || lecteur.HasMetadata();
    f.dateHeure = lecteur.DateForNaming.text;
    f.sourceDate = lecteur.DateForNaming.source;
    return f;
}

std::optional<DateHeure> dateDeNommage(const FaitsExif& faits) {
    return ExploiteDateHeure(faits.dateHeure);
}

std::string nettoyerPourNom(std::string_view valeur) {
    std::string out(valeur);
    for (char& c : out)
        if (c == '/' || static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = '-';
    return out;
}

namespace {

// A missing or unreadable date-time, and one at 00:00:00 today, both stand for "undated".
std::optional<DateHeure> dateDeLaPhoto(const FaitsExif& faits, const QDate& aujourdhui) {
    auto dh = ExploiteDateHeure(faits.dateHeure);
    if (dh && dh->date == aujourdhui && dh->heure == QTime(0, 0, 0))
        return std::nullopt;
    return dh;
}

std::string nombre(const std::optional<double>& v, auto&& forme) {
    return v ? forme(*v) : std::string();
}

} // namespace

namespace {

// The text of one item for one photo (the free text aside), made only when asked for:
// naming a folder asks for the few items of the name, not for all of them.
// `date` is the photo's date once read (see dateDeLaPhoto), read here when not yet.
std::string valeurItem(ItemExif item, const FaitsExif& faits, const OptionsNommage& options,
                       const QDate& aujourdhui, std::optional<std::optional<DateHeure>>& date) {
    const OptionsExif& e = options.exif;
    auto dateLue = [&]() -> const std::optional<DateHeure>& {
        if (!date)
            date = dateDeLaPhoto(faits, aujourdhui);
        return *date;
    };
    switch (item) {
    case ItemExif::Fabricant:
        return nettoyerPourNom(faits.fabricant);
    case ItemExif::Modele:
        return nettoyerPourNom(faits.modele);
    case ItemExif::Date: {
        // An undated file gets an empty date item, never another day's date.
        const auto& dh = dateLue();
        return dh ? Formate_date(options.formatDate, dh->date) : std::string();
    }
    case ItemExif::Heure: {
        const auto& dh = dateLue();
        return dh ? Formate_heure(options.formatHeure, dh->heure) : std::string();
    }
    case ItemExif::Ouverture:
        return nombre(faits.ouverture,
                      [&](double x) { return Retourne_ouverture_formatee(x, e.formatOuverture); });
    case ItemExif::Exposition:
        return nombre(faits.exposition, [&](double x) {
            return Retourne_exposition_formatee(x, e.formatExposition, e.suffixeExposition);
        });
    case ItemExif::Focale:
        return nombre(faits.focale,
                      [&](double x) { return Retourne_focale_formatee(x, e.formatOuverture); });
    case ItemExif::Focale35:
        return nombre(faits.focale35,
                      [&](double x) { return Retourne_focale_formatee(x, e.formatOuverture); });
    case ItemExif::Proprietaire:
        return nettoyerPourNom(faits.proprietaire);
    default:
        return {};
    }
}

} // namespace

ValeursExif valeursAffichees(const FaitsExif& faits, const OptionsNommage& options,
                             const QDate& aujourdhui) {
    std::optional<std::optional<DateHeure>> date;
    auto item = [&](ItemExif i) { return valeurItem(i, faits, options, aujourdhui, date); };
    ValeursExif v;
    v.fabricant = item(ItemExif::Fabricant);
    v.modele = item(ItemExif::Modele);
    v.date = item(ItemExif::Date);
    v.heure = item(ItemExif::Heure);
    v.ouverture = item(ItemExif::Ouverture);
    v.exposition = item(ItemExif::Exposition);
    v.focale = item(ItemExif::Focale);
    v.focale35 = item(ItemExif::Focale35);
    v.proprietaire = item(ItemExif::Proprietaire);
    return v;
}

namespace {

// The example, and whether it ends with the "001" placeholder.
// `vide`, when given, tells whether the file gave no value to any of the items chosen
// (the free text aside) while some were.
std::string exemple(const FaitsExif& faits, const OptionsNommage& options, std::string_view ancien,
                    const QDate& aujourdhui, bool& avecPlaceholder, bool* vide = nullptr) {
    const OptionsExif& e = options.exif;
    std::optional<std::optional<DateHeure>> date;
    std::string out;
    bool item = false, valeur = false;
    for (std::size_t i = 0; i < e.ordre.size(); ++i) {
        // An empty value still gets its separator, so the items keep their places.
        if (i > 0 && e.separateurInfoCoche)
            out += e.separateurInfo;
        if (e.ordre[i] == ItemExif::ZoneLibre) {
            out += e.zoneLibre;
            continue;
        }
        const std::string v = valeurItem(e.ordre[i], faits, options, aujourdhui, date);
        item = true;
        valeur = valeur || !v.empty();
        out += v;
    }
    if (vide)
        *vide = item && !valeur;
    std::string garde;
    if (e.garderCompteur)
        garde = Exploiter_masque(ancien, kMasqueGarderCompteur, true).nom;
    out += garde;
    avecPlaceholder = !e.sansCompteur && garde.empty();
    if (avecPlaceholder) {
        if (e.separateurFinalCoche)
            out += e.separateurFinal;
        out += "001";
    }
    return out;
}

} // namespace

std::string Compose_exemple(const FaitsExif& faits, const OptionsNommage& options,
                            std::string_view ancien, const QDate& aujourdhui) {
    bool placeholder = false;
    std::string texte = exemple(faits, options, ancien, aujourdhui, placeholder);
    if (placeholder) {
        // The counter the first file gets, on the side the engine puts it.
        texte.resize(texte.size() - 3);
        const std::string compteur =
            Maj_compteur(options.alphabetique, options.largeur,
                         static_cast<long long>(options.initialisation) - 1);
        texte = options.compteurADroite ? texte + compteur : compteur + texte;
    }
    return texte;
}

std::string Retourne_nom_exif(const FaitsExif& faits, const OptionsNommage& options,
                              std::string_view ancien, const QDate& aujourdhui) {
    if (!faits.exif)
        return std::string(kNonVarlimeSansExif);
    // A name asking for the date or the time of a file that has none; and a name whose
    // items all come out empty for this file.
    const auto& ordre = options.exif.ordre;
    const bool veutDate = std::any_of(ordre.begin(), ordre.end(), [](ItemExif i) {
        return i == ItemExif::Date || i == ItemExif::Heure;
    });
    if (veutDate && !dateDeLaPhoto(faits, aujourdhui))
        return std::string(kNonVarlimeSansDate);
    bool placeholder = false, vide = false;
    std::string texte = exemple(faits, options, ancien, aujourdhui, placeholder, &vide);
    if (vide)
        return std::string(kNonVarlimeSansExif);
    if (placeholder) {
        // Where the example shows "001", the engine puts the real counter — unless
        // the prefix field's mask already gives the old name's own.
        std::string masque;
        if (Type_masque(options.prefixe) != kPasDeMasque)
            masque = Exploiter_masque(ancien, options.prefixe, true).nom;
        if (masque.empty())
            texte.resize(texte.size() - 3);
    }
    return texte;
}

} // namespace varlime
