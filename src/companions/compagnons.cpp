// SPDX-License-Identifier: GPL-3.0-or-later
#include "companions/compagnons.h"
#include "platform/texteQt.h"

#include "core/fileKinds.h"
#include "core/nameUtils.h"
#include "exif_naming/faitsExif.h"

#include <QString>

namespace varlime {

namespace {
// The files the Canon RAW mode knows, told by the file kinds table: the RAW files
// (CRW with its heap of records, CR2) and the pictures beside them carrying the EXIF
// data (the camera's THM thumbnail, JPG).
using GenreCanon = PaireCanon;

GenreCanon genreCanon(std::string_view nom) {
    // A name without a dot is its own extension.
    std::string avecPoint;
    if (nom.find('.') == std::string_view::npos) {
        avecPoint.reserve(nom.size() + 1);
        avecPoint.push_back('.');
        avecPoint.append(nom);
        nom = avecPoint;
    }
    const FileKindRow* r = rowOfName(nom);
    return r ? r->canon : GenreCanon::Aucune;
}

// Whether `autre` is the file whose EXIF data names `nom` (a target of the Canon rule
// or of the association), judged by the extensions alone.
bool compagnonDe(const OptionsCompagnons& o, std::string_view nom, std::string_view autre) {
    int decalage = 0;
    if (Fichier_raw_canon(o, nom, decalage))
        return genreCanon(autre) ==
               (genreCanon(nom) == GenreCanon::Crw ? GenreCanon::Thm : GenreCanon::Jpg);
    return qs(extensionMajuscule(autre)) == qs(o.source).toUpper();
}
} // namespace

std::string extensionMajuscule(std::string_view nom) {
    return qs(Extension(nom)).toUpper().toStdString();
}

bool Fichier_canon_a_traiter(const OptionsCompagnons& o, bool& cr2Vu, std::string_view nom) {
    if (!o.rawCanon)
        return true;
    const GenreCanon genre = genreCanon(nom);
    if (genre == GenreCanon::Cr2)
        cr2Vu = true;
    // The first cameras wrote a CRW beside a THM; later ones a CR2 beside a JPG. A
    // folder may hold both: the CRW pairs are always listed, the JPG files only when
    // the folder holds a CR2 (otherwise they are plain photos, not companions).
    if (genre == GenreCanon::Crw || genre == GenreCanon::Thm)
        return true;
    return cr2Vu && (genre == GenreCanon::Cr2 || genre == GenreCanon::Jpg);
}

void Noter_cr2(const OptionsCompagnons& o, bool& cr2Vu, const std::vector<std::string>& noms) {
    // Each listing decides for itself: a folder visited before says nothing of this one.
    cr2Vu = false;
    if (!o.rawCanon)
        return;
    for (const std::string& n : noms)
        if (genreCanon(nomAffichable(n)) == GenreCanon::Cr2)
            cr2Vu = true;
}

bool Fichier_association_a_traiter(const OptionsCompagnons& o, std::string_view nom) {
    if (!o.association)
        return true;
    const QString ext = qs(extensionMajuscule(nom));
    return ext == qs(o.cible).toUpper() || ext == qs(o.source).toUpper();
}

bool Fichier_compagnon_a_traiter(const OptionsCompagnons& o, bool& cr2Vu, std::string_view nom) {
    return Fichier_canon_a_traiter(o, cr2Vu, nom) && Fichier_association_a_traiter(o, nom);
}

bool Fichier_raw_canon(const OptionsCompagnons& o, std::string_view nom, int& decalage) {
    if (!o.rawCanon)
        return false;
    const GenreCanon genre = genreCanon(nom);
    if (genre != GenreCanon::Crw && genre != GenreCanon::Cr2)
        return false;
    // Sorted by name, the THM or JPG of the same base name comes after.
    decalage = 1;
    return true;
}

bool Traiter_association(const OptionsCompagnons& o, std::string_view nom, int& decalage) {
    if (Fichier_raw_canon(o, nom, decalage))
        return true;
    if (!o.association)
        return false;
    const QString cible = qs(o.cible).toUpper();
    if (qs(extensionMajuscule(nom)) != cible)
        return false; // a source file is named from its own data
    // The companion of the same base name stands where its extension sorts.
    decalage = QString::compare(cible, qs(o.source), Qt::CaseInsensitive) <= 0 ? 1 : -1;
    return true;
}

bool memesNomsDeBase(std::string_view a, std::string_view b) {
    return nomsEgauxPourLaListe(Prefixe(a), Prefixe(b));
}

std::optional<std::size_t> ligneSourceExif(const OptionsCompagnons& o,
                                           const std::vector<FileRow>& lignes, std::size_t ligne) {
    int decalage = 0;
    if (ligne >= lignes.size() || !Traiter_association(o, lignes[ligne].ancien, decalage))
        return ligne;
    // The nearest row that way of the same base name and the companion's extension:
    // another file of that base name (IMG_1.CRW between IMG_1.CR2 and IMG_1.JPG) is
    // passed over, never read in the companion's stead.
    const std::string& nom = lignes[ligne].ancien;
    for (std::size_t j = ligne;;) {
        if (decalage > 0 ? j + 1 >= lignes.size() : j == 0)
            return std::nullopt;
        j = decalage > 0 ? j + 1 : j - 1;
        if (!memesNomsDeBase(nom, lignes[j].ancien))
            return std::nullopt;
        if (compagnonDe(o, nom, lignes[j].ancien))
            return j;
    }
}

LigneCompagnonFn lignesCompagnons(const OptionsCompagnons& o, const std::vector<FileRow>& lignes) {
    return [&o, &lignes](std::size_t ligne) -> std::optional<std::size_t> {
        const auto source = ligneSourceExif(o, lignes, ligne);
        if (!source || *source == ligne)
            return std::nullopt;
        return source;
    };
}

bool prisEnsemble(CacheFaitsExif& cache, const DossierListe& dossier,
                  const std::vector<FileRow>& lignes, std::size_t ligne) {
    if (ligne == 0 || ligne >= lignes.size())
        return false;
    const FileRow& haut = lignes[ligne - 1];
    const FileRow& bas = lignes[ligne];
    // The dates first: they are kept facts, and rarely equal, while comparing the names
    // the way the list sorts them is slow.
    const FaitsExif& a = cache.faits(dossier, haut.ancienSurDisque());
    if (!a.exif)
        return false;
    const std::string date = a.dateHeure; // the cache may move its entries
    const FaitsExif& b = cache.faits(dossier, bas.ancienSurDisque());
    return b.exif && b.dateHeure == date && memesNomsDeBase(haut.ancien, bas.ancien);
}

LigneCompagnonFn lignesCompagnons(CacheFaitsExif& cache, const DossierListe& dossier,
                                  const OptionsCompagnons& o, const std::vector<FileRow>& lignes) {
    if (o.rawCanon || o.association)
        return lignesCompagnons(o, lignes);
    return [&cache, &dossier, &lignes](std::size_t ligne) -> std::optional<std::size_t> {
        if (prisEnsemble(cache, dossier, lignes, ligne))
            return ligne - 1;
        return std::nullopt;
    };
}

NamePartFn partieNomExifCompagnons(CacheFaitsExif& cache, const DossierListe& dossier,
                                   const std::vector<FileRow>& lignes,
                                   const OptionsNommage& options, const QDate& aujourdhui) {
    return
        [&cache, &dossier, &lignes, &options, aujourdhui](std::size_t ligne, const FileRow& row) {
            auto source = ligneSourceExif(options.compagnons, lignes, ligne);
            if (source && *source == ligne && !options.compagnons.rawCanon &&
                !options.compagnons.association)
                while (*source > 0 && prisEnsemble(cache, dossier, lignes, *source))
                    --*source;
            if (!source)
                return std::string(kNonVarlimeSansCompagnon);
            // The source's name too: a counter kept from an old name is the source's, which
            // the companion shares.
            const std::string& nom =
                *source == ligne ? row.ancienSurDisque() : lignes[*source].ancienSurDisque();
            return Retourne_nom_exif(cache.faits(dossier, nom), options, nom, aujourdhui);
        };
}

} // namespace varlime
