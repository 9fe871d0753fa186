// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Companion files renamed with their main file: Canon RAW files (a CRW beside its
// THM, a CR2 beside its JPG) and user-chosen pairs of extensions (an AVI beside the
// THM that carries its EXIF data). The rules decide which files are listed and
// which row's EXIF data names each row. Nothing here reads a file or needs a window.
#include "core/renameEngine.h"

#include <QDate>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace varlime {

class CacheFaitsExif;

// The extension of a name in capitals, as both modes compare them.
std::string extensionMajuscule(std::string_view nom);

// The listing filter of the Canon RAW mode: CRW and THM files are always kept, CR2 and
// JPG files when `cr2Vu` says the listing holds a CR2.
bool Fichier_canon_a_traiter(const OptionsCompagnons& o, bool& cr2Vu, std::string_view nom);
// Sets `cr2Vu` to whether the Canon RAW mode is on and the listing holds a CR2 file, before
// the filter sees the first entry: a folder lists its entries in no set order, and a
// JPG met before its CR2 must be kept too.
void Noter_cr2(const OptionsCompagnons& o, bool& cr2Vu, const std::vector<std::string>& noms);
// The listing filter of the association: only the two chosen extensions.
bool Fichier_association_a_traiter(const OptionsCompagnons& o, std::string_view nom);
// Both filters, Canon first, as the listing applies them.
bool Fichier_compagnon_a_traiter(const OptionsCompagnons& o, bool& cr2Vu, std::string_view nom);

// Whether a row takes its EXIF data from another row, and which way (+1 below, -1
// above). The Canon rule: a CRW reads its THM below, a CR2 its JPG.
bool Fichier_raw_canon(const OptionsCompagnons& o, std::string_view nom, int& decalage);
// The Canon rule first, then the association: a target reads the next row when its
// extension sorts before the source's (or equals it), the previous one otherwise.
bool Traiter_association(const OptionsCompagnons& o, std::string_view nom, int& decalage);

// Two base names as the listing compares names: case-insensitively, by the user's
// locale.
bool memesNomsDeBase(std::string_view a, std::string_view b);

// The row whose EXIF data names row `ligne`: itself, or its companion: the nearest row
// that way of the same base name and the companion's extension (rows of that base
// name and another extension passed over); nothing when there is none (the row is then
// left unrenamed rather than named from an unrelated photo or another RAW file).
std::optional<std::size_t> ligneSourceExif(const OptionsCompagnons& o,
                                           const std::vector<FileRow>& lignes, std::size_t ligne);

// For the counter: the row each companion row is named with (none for the others).
LigneCompagnonFn lignesCompagnons(const OptionsCompagnons& o, const std::vector<FileRow>& lignes);

// Outside the companion modes: true when row `ligne` and the row above it are photos
// shot together, as a RAW file and the JPEG the camera wrote with it: the same base
// name, both with EXIF data, and the same date and time.
bool prisEnsemble(CacheFaitsExif& cache, const DossierListe& dossier,
                  const std::vector<FileRow>& lignes, std::size_t ligne);

// For the counter and the letters in EXIF naming: the companion rows in a companion
// mode, otherwise each photo shot together with the row above it, which it is named
// with (so a RAW and its JPEG keep one base name).
LigneCompagnonFn lignesCompagnons(CacheFaitsExif& cache, const DossierListe& dossier,
                                  const OptionsCompagnons& o, const std::vector<FileRow>& lignes);

// The name part of each row in EXIF naming, the companion rules applied: a companion
// row is composed from its source row's facts and name, and photos shot together
// from the first of them.
NamePartFn partieNomExifCompagnons(CacheFaitsExif& cache, const DossierListe& dossier,
                                   const std::vector<FileRow>& lignes,
                                   const OptionsNommage& options, const QDate& aujourdhui);

} // namespace varlime
