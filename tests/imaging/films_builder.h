// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Films built box by box, holding the picture a camera stores of its film where that
// camera keeps it.
#include "exif/container_builder.h"

#include <string>

namespace varlime::test {

inline const std::string kFtypMp4 = box("ftyp", std::string("isom\0\0\x02\0isommp41", 16));
inline const std::string kFtypMov = box("ftyp", std::string("qt  \0\0\0\0qt  ", 12));
inline const std::string
    kUuidCanon("\x85\xc0\xb6\x87\x82\x0f\x11\xe0\x81\x11\xf4\xce\x46\x2b\x6a\x48", 16);

inline std::string film(const std::string& ftyp, const std::string& moov) {
    return ftyp + box("moov", test::movieHeader(3600000000u) + moov) +
           box("mdat", std::string(64, '\0'));
}

// Canon's THMB box: version and flags, width, height, the JPEG's length, 4 bytes, the JPEG.
inline std::string thmb(const std::string& jpeg, std::uint32_t longueur) {
    return box("uuid", kUuidCanon + box("THMB", std::string(4, '\0') + be16(160) + be16(120) +
                                                    be32(longueur) + be32(0) + jpeg));
}

} // namespace varlime::test
