// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/annexes.h"

#include "core/fileKinds.h"
#include "platform/textEncoding.h"

#include <QString>
#include <algorithm>
#include <unordered_map>
#include <unordered_set>

namespace varlime {

namespace {

std::string minusculesAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return out;
}

// Names compared ignoring letter case; bytes that are no UTF-8 are compared as they are.
std::string plie(std::string_view s) {
    // ASCII folds by lowering A-Z alone: the common name needs no detour through Qt.
    if (std::all_of(s.begin(), s.end(),
                    [](char c) { return static_cast<unsigned char>(c) < 0x80; }) ||
        !isValidUtf8(s))
        return minusculesAscii(s);
    return QString::fromUtf8(s.data(), qsizetype(s.size())).toCaseFolded().toUtf8().toStdString();
}

std::string_view suffixeDe(std::string_view nom) {
    const auto point = nom.rfind('.');
    return point == std::string_view::npos ? std::string_view() : nom.substr(point + 1);
}

std::string_view baseDe(std::string_view nom) {
    const auto point = nom.rfind('.');
    return point == std::string_view::npos ? nom : nom.substr(0, point);
}

// A RAW file is the photo a lone BASE.xmp was written for when the camera also saved
// a JPEG under the same base name.
bool estRaw(std::string_view nom) {
    return kindOfName(nom) == FileKind::Raw;
}

} // namespace

// Every sidecar kind's suffix is a sidecar in the file kinds table too.
bool estNomAnnexe(std::string_view nom) {
    if (nom.size() == suffixeDe(nom).size() + 1)
        return false; // ".xmp" alone names no photo
    return kindOfName(nom) == FileKind::Sidecar;
}

std::string nomAnnexe(std::string_view nouveauPhoto, const Annexe& annexe) {
    const std::string_view garde =
        std::string_view(annexe.nom).substr(std::min(annexe.debutSuffixe, annexe.nom.size()));
    std::string out(annexe.forme == FormeAnnexe::Base ? baseDe(nouveauPhoto) : nouveauPhoto);
    out += garde;
    return out;
}

std::vector<Rattachement> rattacherAnnexes(const std::vector<std::string>& noms) {
    std::vector<Rattachement> out(noms.size());
    // What the sidecars ask for, folded: only the photos that may answer are indexed, and
    // a folder without sidecars costs one pass over the suffixes.
    std::unordered_set<std::string> cherches;
    for (const std::string& nom : noms)
        if (estNomAnnexe(nom))
            cherches.insert(plie(baseDe(nom)));
    if (cherches.empty())
        return out;
    // The photos, by whole name and by base name, folded.
    std::unordered_map<std::string, std::vector<std::size_t>> parNom, parBase;
    for (std::size_t i = 0; i < noms.size(); ++i) {
        if (estNomAnnexe(noms[i]))
            continue;
        std::string entier = plie(noms[i]);
        std::string base = plie(baseDe(noms[i]));
        if (cherches.count(entier))
            parNom[std::move(entier)].push_back(i);
        if (cherches.count(base))
            parBase[std::move(base)].push_back(i);
    }
    for (std::size_t i = 0; i < noms.size(); ++i) {
        const std::string& nom = noms[i];
        if (!estNomAnnexe(nom))
            continue;
        const std::size_t point = nom.rfind('.');
        const std::string_view tronc = std::string_view(nom).substr(0, point);
        for (const FormeAnnexe forme : {FormeAnnexe::NomComplet, FormeAnnexe::Base}) {
            const FileKindRow* genre = rowOfName(nom);
            const std::uint8_t bit =
                forme == FormeAnnexe::NomComplet ? kAnnexeNomComplet : kAnnexeBase;
            if (!genre || !(genre->formesAnnexe & bit))
                continue;
            const auto& index = forme == FormeAnnexe::NomComplet ? parNom : parBase;
            const auto trouve = index.find(plie(tronc));
            if (trouve == index.end())
                continue;
            auto rang = [&](std::size_t p) {
                const std::string_view cle =
                    forme == FormeAnnexe::NomComplet ? std::string_view(noms[p]) : baseDe(noms[p]);
                return std::make_tuple(cle != tronc, !estRaw(noms[p]), std::string_view(noms[p]));
            };
            const std::vector<std::size_t>& candidats = trouve->second;
            const std::size_t photo =
                *std::min_element(candidats.begin(), candidats.end(),
                                  [&](std::size_t a, std::size_t b) { return rang(a) < rang(b); });
            out[i].photo = photo;
            out[i].annexe = Annexe{nom, point, forme};
            break;
        }
    }
    return out;
}

} // namespace varlime
