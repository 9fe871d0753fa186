// SPDX-License-Identifier: GPL-3.0-or-later
#include "naming/reglagesNommage.h"

#include "core/messageFormat.h"
#include "core/nameUtils.h"
#include "i18n/uLocalization.h"
#include "platform/iniFile.h"

#include <algorithm>
#include <functional>

namespace varlime {

namespace {

constexpr const char* kSeparateurs[kNombreSeparateursExif] = {"_", "-", " "};

enum class Genre {
    Texte,      // stored as is
    Entier,     // a whole number: a text that is none ends the read
    Case,       // a box: "1" ticked, anything else not
    Separateur, // an index into the separators' drop-down
};

// One row of the table: a stored value and the option it fills.
struct Champ {
    const Reglage& reglage;
    Genre genre;
    std::function<std::string*(OptionsNommage&)> texte = {};
    std::function<int*(OptionsNommage&)> entier = {};
    std::function<bool*(OptionsNommage&)> coche = {};
    // Kept in a window's model rather than in a dialog's controls.
    bool modele = false;
};

// In the order the values are read: the first refused one ends the read.
const std::vector<Champ>& table() {
    using namespace reglages;
    static const std::vector<Champ> champs = {
        {kPrefixe, Genre::Texte, [](OptionsNommage& o) { return &o.prefixe; }},
        {kMasqueRecherche, Genre::Texte, [](OptionsNommage& o) { return &o.masqueRecherche; }},
        {kExtensionMinuscule,
         Genre::Case,
         {},
         {},
         [](OptionsNommage& o) { return &o.extensionMinuscule; },
         true},
        {kFormatHeure,
         Genre::Entier,
         {},
         [](OptionsNommage& o) { return &o.formatHeure; },
         {},
         true},
        {kFormatDate, Genre::Entier, {}, [](OptionsNommage& o) { return &o.formatDate; }, {}, true},
        {kFormatOuverture,
         Genre::Entier,
         {},
         [](OptionsNommage& o) { return &o.exif.formatOuverture; },
         {},
         true},
        {kFormatExposition,
         Genre::Entier,
         {},
         [](OptionsNommage& o) { return &o.exif.formatExposition; },
         {},
         true},
        {kZoneLibre, Genre::Texte, [](OptionsNommage& o) { return &o.exif.zoneLibre; }},
        {kMasqueCompteurCoche,
         Genre::Case,
         {},
         {},
         [](OptionsNommage& o) { return &o.exif.garderCompteur; }},
        {kSeparateurInfoCoche,
         Genre::Case,
         {},
         {},
         [](OptionsNommage& o) { return &o.exif.separateurInfoCoche; }},
        {kSeparateurFinalCoche,
         Genre::Case,
         {},
         {},
         [](OptionsNommage& o) { return &o.exif.separateurFinalCoche; }},
        {kCompteurCoche,
         Genre::Case,
         {},
         {},
         [](OptionsNommage& o) { return &o.exif.sansCompteur; }},
        {kSeparateurInfo, Genre::Separateur,
         [](OptionsNommage& o) { return &o.exif.separateurInfo; }},
        {kSeparateurFinal, Genre::Separateur,
         [](OptionsNommage& o) { return &o.exif.separateurFinal; }},
    };
    return champs;
}

} // namespace

std::string separateurExif(int index) {
    return index >= 0 && index < kNombreSeparateursExif ? kSeparateurs[index] : "";
}

int indexSeparateurExif(std::string_view separateur) {
    for (int i = 0; i < kNombreSeparateursExif; ++i)
        if (separateur == kSeparateurs[i])
            return i;
    return -1;
}

namespace {

// A value of the file into its option; false for a text that is no number.
bool lireChamp(const Champ& c, const std::string& valeur, OptionsNommage& o) {
    if (c.genre == Genre::Texte) {
        *c.texte(o) = valeur;
        return true;
    }
    if (valeur == reglages::kAbsent)
        return true;
    int n = 0;
    switch (c.genre) {
    case Genre::Case:
        *c.coche(o) = valeur == "1";
        return true;
    case Genre::Entier:
        if (!toInteger(valeur, n))
            return false;
        *c.entier(o) = std::clamp(n, c.reglage.min, c.reglage.max);
        return true;
    case Genre::Separateur:
        if (!toInteger(valeur, n))
            return false;
        *c.texte(o) = separateurExif(n);
        return true;
    case Genre::Texte:
        break;
    }
    return true;
}

// The text an option is stored as.
std::string texteChamp(const Champ& c, OptionsNommage& o) {
    switch (c.genre) {
    case Genre::Texte:
        return *c.texte(o);
    case Genre::Entier:
        return std::to_string(*c.entier(o));
    case Genre::Case:
        return *c.coche(o) ? "1" : "0";
    case Genre::Separateur:
        return std::to_string(indexSeparateurExif(*c.texte(o)));
    }
    return {};
}

} // namespace

std::optional<std::string> lireReglagesNommage(const IniDocument& ini, OptionsNommage& o,
                                               std::string& largeur) {
    largeur = ini.read(reglages::kLargeurCompteur.section, reglages::kLargeurCompteur.cle,
                       reglages::kLargeurCompteur.defaut);
    for (const Champ& c : table()) {
        const std::string valeur = ini.read(c.reglage.section, c.reglage.cle, c.reglage.defaut);
        if (!lireChamp(c, valeur, o))
            return valeur;
    }
    return std::nullopt;
}

std::optional<std::string> valeurReglage(const OptionsNommage& o, const Reglage& r) {
    if (&r == &reglages::kLargeurCompteur)
        return std::to_string(o.largeur);
    OptionsNommage lu = o; // the accessors point into options they may change
    for (const Champ& c : table())
        if (&c.reglage == &r)
            return texteChamp(c, lu);
    return std::nullopt;
}

std::optional<std::string> lireReglagesDuModele(const IniDocument& ini, OptionsNommage& o) {
    for (const Champ& c : table()) {
        if (!c.modele)
            continue;
        std::string valeur = ini.read(c.reglage.section, c.reglage.cle, c.reglage.defaut);
        if (!lireChamp(c, valeur, o))
            return valeur;
    }
    return std::nullopt;
}

std::vector<std::pair<const Reglage*, std::string>> reglagesChanges(const OptionsNommage& avant,
                                                                    const OptionsNommage& apres) {
    std::vector<std::pair<const Reglage*, std::string>> changes;
    OptionsNommage a = avant, b = apres;
    for (const Champ& c : table()) {
        if (!c.modele)
            continue;
        std::string texte = texteChamp(c, b);
        if (texte != texteChamp(c, a))
            changes.emplace_back(&c.reglage, std::move(texte));
    }
    return changes;
}

bool appliquerInterrupteur(std::string_view argument, OptionsNommage& o) {
    for (const Champ& c : table())
        if (c.genre == Genre::Case && c.reglage.option && argument == c.reglage.option) {
            *c.coche(o) = true;
            return true;
        }
    return false;
}

std::vector<std::string> avertissementsFichiers(const TextLookup& texte, const std::string& chemin,
                                                const IniProblem& probleme,
                                                Localization& localization) {
    std::string langue;
    const IniProblem probLangue = localization.ActiveFileProblem(&langue);
    std::vector<std::string> out;
    for (std::string m : {messageProblemeIni(texte, chemin, probleme),
                          messageProblemeIni(texte, langue, probLangue)})
        if (!m.empty())
            out.push_back(std::move(m));
    return out;
}

std::string messageValeurNonEntiere(std::string_view texte) {
    return formatMessage(std::string_view("'%s' is not a valid integer value"), {texte});
}

} // namespace varlime
