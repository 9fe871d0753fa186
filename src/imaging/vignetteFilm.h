// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The picture a film keeps of itself: the thumbnail a camera writes into the movie's
// metadata (a Canon "THMB" or "CNTH" box, a Nikon "NCTH" box), a cover picture of an
// item list ("covr"), or the first frame of a track of JPEG frames. The film itself is
// never decoded: a film without such a picture shows nothing.
#include <cstdint>
#include <optional>
#include <string>

namespace varlime {

// The largest stored picture taken (a camera's are some kilobytes).
inline constexpr std::uint64_t kVignetteFilmMax = 16u << 20;

// The JPEG bytes of the picture stored in the film open as `fd` (`taille` bytes, an ISO
// base media file: MP4, MOV, M4V, 3GP), or nothing. Reads box headers and a few small
// tables, never the media data, and nothing outside the file.
std::optional<std::string> vignetteFilm(int fd, std::uint64_t taille);

// The same for a file by its path.
std::optional<std::string> vignetteFilmFichier(const std::string& chemin);

} // namespace varlime
