// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the imaging library's fuzz targets share: the input handed to one of the library's
// readers as a file (they read paths), asked into a thumbnail's box and at full size, and
// the bitmap it returns checked against what was asked.
#include "imaging/tailles.h"
#include "lecteurs.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

namespace varlime::fuzz {

using Lecteur = GFL_ERROR (*)(const char*, const GFL_LOAD_PARAMS&, GFL_BITMAP**,
                              GFL_FILE_INFORMATION*);

// A file in memory, written again for each input.
inline const char* fichier(const std::uint8_t* data, std::size_t size) {
    static const int fd = memfd_create("varlime-fuzz", 0);
    static const std::string chemin = "/proc/self/fd/" + std::to_string(fd);
    if (fd < 0 || ftruncate(fd, 0) != 0)
        __builtin_trap();
    std::size_t ecrit = 0;
    while (ecrit < size) {
        const ssize_t n = pwrite(fd, data + ecrit, size - ecrit, static_cast<off_t>(ecrit));
        if (n <= 0)
            __builtin_trap();
        ecrit += static_cast<std::size_t>(n);
    }
    return chemin.c_str();
}

inline void essayer(Lecteur lire, const char* chemin, int boite, bool bgr) {
    GFL_LOAD_PARAMS p{};
    p.ColorModel = bgr ? GFL_BGR : GFL_RGB;
    p.WantedWidth = boite;
    p.WantedHeight = boite;
    p.Flags = boite > 0 ? GFL_LOAD_STORED_COPY : 0;
    GFL_BITMAP* b = nullptr;
    GFL_FILE_INFORMATION info{};
    if (lire(chemin, p, &b, &info) != GFL_NO_ERROR) {
        if (b)
            __builtin_trap();
        return;
    }
    // What comes back is whole, never larger than the box nor the budget.
    if (!b || !b->Data || b->Width <= 0 || b->Height <= 0 ||
        static_cast<long long>(b->Width) * b->Height > kPixelsCibleMax ||
        (boite > 0 && (b->Width > boite || b->Height > boite)) ||
        b->BytesPerLine < static_cast<std::uint32_t>(b->Width) * b->BytesPerPixel)
        __builtin_trap();
    // Every row is there: its last byte can be read (AddressSanitizer watches).
    volatile std::uint8_t dernier = 0;
    for (GFL_INT32 y = 0; y < b->Height; ++y)
        dernier = b->Data[static_cast<std::size_t>(y) * b->BytesPerLine + b->BytesPerLine - 1];
    if (b->ColorMap)
        dernier = b->ColorMap->Blue[255];
    (void)dernier;
    gfl::libererBitmap(b);
}

// Every input into a thumbnail's box; one in four at full size as well (a full-size
// decode of a large picture is slow, and the budget is checked the same way).
inline int lireEntree(Lecteur lire, const std::uint8_t* data, std::size_t size) {
    const char* chemin = fichier(data, size);
    essayer(lire, chemin, 160, size % 2 != 0);
    if (size % 4 == 0)
        essayer(lire, chemin, 0, size % 8 == 0);
    return 0;
}

} // namespace varlime::fuzz
