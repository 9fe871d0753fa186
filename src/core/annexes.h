// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Sidecar files: the small files that raw developers and photo catalogues write beside
// a photo to keep its edits, ratings and keywords (IMG_0001.xmp or IMG_0001.CR3.xmp
// beside IMG_0001.CR3). Renamed apart from its photo, a sidecar is lost to the program
// that wrote it, so it goes wherever its photo goes: renamed in the same run, copied and
// moved with it. One table says which names are sidecars and how each names its photo.
#include "core/fileKinds.h"

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace varlime {

// How a sidecar's name is made from its photo's.
enum class FormeAnnexe {
    Base,       // BASE.suffix: the photo's name without its extension (IMG_0001.xmp)
    NomComplet, // BASE.EXT.suffix: the photo's whole name (IMG_0001.CR3.xmp)
};

struct GenreAnnexe {
    std::string_view suffixe; // without the dot; letter case is ignored
    FormeAnnexe forme = FormeAnnexe::Base;
};

// The sidecar kinds, one row per kind and form, as the file kinds table lists them.
namespace detail {
constexpr std::size_t nombreGenresAnnexes() {
    std::size_t n = 0;
    for (const FileKindRow& r : kFileKindRows)
        n += ((r.formesAnnexe & kAnnexeBase) != 0) + ((r.formesAnnexe & kAnnexeNomComplet) != 0);
    return n;
}
} // namespace detail
inline constexpr auto kGenresAnnexes = [] {
    std::array<GenreAnnexe, detail::nombreGenresAnnexes()> out{};
    std::size_t i = 0;
    for (const FileKindRow& r : kFileKindRows) {
        if (r.formesAnnexe & kAnnexeBase)
            out[i++] = {r.extension, FormeAnnexe::Base};
        if (r.formesAnnexe & kAnnexeNomComplet)
            out[i++] = {r.extension, FormeAnnexe::NomComplet};
    }
    return out;
}();

// A sidecar as its photo carries it.
struct Annexe {
    std::string nom;              // its name on disk (bytes)
    std::size_t debutSuffixe = 0; // where the part it keeps (".xmp") begins in `nom`
    FormeAnnexe forme = FormeAnnexe::Base;
    bool operator==(const Annexe&) const = default;
};

// True when the name ends in a sidecar kind's suffix (such a file never carries
// sidecars of its own).
bool estNomAnnexe(std::string_view nom);

// The sidecar's name once its photo is named `nouveauPhoto`: IMG_0001.xmp follows
// X_001.CR3 as X_001.xmp, IMG_0001.CR3.xmp as X_001.CR3.xmp. The suffix keeps its case.
std::string nomAnnexe(std::string_view nouveauPhoto, const Annexe& annexe);

// Which files of a folder are sidecars, and of which photo. `noms` are the folder's
// files (no folders), as bytes. For each name: the index in `noms` of its photo, or
// kSansPhoto (a photo, another file, or a sidecar whose photo is not there). Names are
// matched ignoring letter case. When several photos fit (IMG_1.xmp beside IMG_1.CR2 and
// IMG_1.JPG), the whole-name form wins over the base form, then a name fitting letter case
// and all, then a RAW file, then the first name in byte order.
inline constexpr std::size_t kSansPhoto = static_cast<std::size_t>(-1);
struct Rattachement {
    std::size_t photo = kSansPhoto;
    Annexe annexe; // filled when `photo` is set
};
std::vector<Rattachement> rattacherAnnexes(const std::vector<std::string>& noms);

} // namespace varlime
