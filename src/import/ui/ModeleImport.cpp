// SPDX-License-Identifier: GPL-3.0-or-later
#include "import/ui/ModeleImport.h"

#include "platform/iniFile.h"

#include <algorithm>

namespace varlime {

namespace {

constexpr const char* kSection = "IMPORT";
// Shared with the command line, which keeps the offsets it is given there too.
constexpr const char* kSectionDecalages = "DECALAGES_HORAIRES";

} // namespace

void ModeleImport::definirSource(const std::string& source) {
    if (source == options_.source)
        return;
    options_.source = source;
    emit change(Champ::Source);
}

void ModeleImport::definirArchive(const std::string& archive) {
    if (archive == options_.archive)
        return;
    options_.archive = archive;
    emit change(Champ::Destinations);
}

void ModeleImport::definirSauvegarde(int rang, const std::string& dossier) {
    if (rang < 0 || rang > 1 || sauvegardes_[rang] == dossier)
        return;
    sauvegardes_[rang] = dossier;
    recomposerSauvegardes();
    emit change(Champ::Destinations);
}

std::string ModeleImport::sauvegarde(int rang) const {
    return rang < 0 || rang > 1 ? std::string() : sauvegardes_[rang];
}

void ModeleImport::recomposerSauvegardes() {
    options_.sauvegardes.clear();
    for (const std::string& s : sauvegardes_)
        if (!s.empty())
            options_.sauvegardes.push_back(s);
}

void ModeleImport::definirModele(const std::string& modele) {
    if (modele == options_.modeleDossiers)
        return;
    options_.modeleDossiers = modele;
    emit change(Champ::Modele);
}

void ModeleImport::definirDecalage(const std::string& appareil, long secondes) {
    auto& d = options_.decalages;
    auto it = std::find_if(d.begin(), d.end(),
                           [&](const DecalageHoraire& x) { return x.appareil == appareil; });
    if (it != d.end() && it->secondes == secondes)
        return;
    if (it == d.end() && secondes == 0)
        return;
    if (it == d.end())
        d.push_back({appareil, secondes});
    else
        it->secondes = secondes;
    emit change(Champ::Decalages);
}

long ModeleImport::decalage(const std::string& appareil) const {
    for (const DecalageHoraire& x : options_.decalages)
        if (x.appareil == appareil)
            return x.secondes;
    return 0;
}

void ModeleImport::definirNommage(const OptionsNommage& nommage) {
    options_.nommage = nommage;
    emit change(Champ::Nommage);
}

void ModeleImport::remplacer(const OptionsImport& options) {
    options_ = options;
    for (int k = 0; k < 2; ++k)
        sauvegardes_[k] = k < int(options.sauvegardes.size()) ? options.sauvegardes[k] : "";
    recomposerSauvegardes();
    emit change(Champ::Source);
}

void ModeleImport::lire(const std::string& programFolder) {
    const IniDocument ini =
        IniDocument::load(locateConfigFile(programFolder, "varlime.ini").readPath);
    OptionsImport o = options_;
    o.archive = ini.read(kSection, "ARCHIVE", o.archive);
    o.modeleDossiers = ini.read(kSection, "MODELE_DOSSIERS", o.modeleDossiers);
    o.sauvegardes.clear();
    for (const char* cle : {"SAUVEGARDE1", "SAUVEGARDE2"}) {
        const std::string s = ini.read(kSection, cle, "");
        if (!s.empty())
            o.sauvegardes.push_back(s);
    }
    o.decalages.clear();
    for (const std::string& appareil : ini.keys(kSectionDecalages))
        if (auto d = lireDecalage(appareil + "=" + ini.read(kSectionDecalages, appareil, "")))
            o.decalages.push_back(*d);
    remplacer(o);
}

void ModeleImport::enregistrer(const std::string& programFolder) const {
    const ConfigFileLocation ou = locateConfigFile(programFolder, "varlime.ini");
    const IniDocument ini = IniDocument::load(ou.readPath);
    auto ecrire = [&](const char* section, const std::string& cle, const std::string& valeur) {
        if (ini.read(section, cle, "\x01") != valeur)
            writeConfigValue(ou, section, cle, valeur);
    };
    ecrire(kSection, "ARCHIVE", options_.archive);
    ecrire(kSection, "MODELE_DOSSIERS", options_.modeleDossiers);
    ecrire(kSection, "SAUVEGARDE1", sauvegardes_[0]);
    ecrire(kSection, "SAUVEGARDE2", sauvegardes_[1]);
    for (const DecalageHoraire& d : options_.decalages)
        ecrire(kSectionDecalages, d.appareil, texteDecalage(d.secondes));
}

} // namespace varlime
