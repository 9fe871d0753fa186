// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary bytes to each container walker (ISO boxes, PNG and WebP chunks, JPEG XL
// boxes, compressed ones included, RAF, CRW and MRW headers), to the picture loaders' box
// walks (a film's stored picture, a HEIF picture's item tables) and to the reader's
// recognition by first bytes: nothing may crash, read outside a buffer, leak, hang or read
// more than the file's budget.
#include "ecrireEntree.h"
#include "exif/dEXIF.h"
#include "exif/exifContainers.h"
#include "exif/exifDump.h"
#include "imaging/structureHeif.h"
#include "imaging/vignetteFilm.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <optional>
#include <string>
#include <string_view>
#include <unistd.h>

namespace {

std::string gDir, gPath;

void removeInput() {
    ::unlink(gPath.c_str());
    ::rmdir(gDir.c_str());
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const char* base = std::getenv("TMPDIR");
    std::string dir = std::string(base && *base ? base : "/tmp") + "/varlime-fuzzc-XXXXXX";
    if (!::mkdtemp(dir.data()))
        std::abort();
    // A name the reader does not know: the first bytes decide.
    gDir = dir;
    gPath = dir + "/input.bin";
    std::atexit(removeInput);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using varlime::Container;
    ecrireEntree(gPath, data, size);
    // Every walker on the same bytes, whatever they announce.
    const int fd = ::open(gPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        std::abort();
    // The picture loaders' walks of the same boxes: a film's stored picture, a HEIF
    // picture's item tables.
    {
        const std::optional<std::string> vignette = varlime::vignetteFilm(fd, size);
        if (vignette && (vignette->size() > size || vignette->compare(0, 2, "\xFF\xD8") != 0))
            std::abort(); // only a JPEG, and only bytes of the file
        volatile std::size_t sink = varlime::verifierStructureHeif(fd, size).size();
        (void)sink;
    }
    for (Container c : {Container::IsoMedia, Container::Png, Container::WebP, Container::JpegXl,
                        Container::Raf, Container::Crw, Container::Mrw}) {
        varlime::FileWindow window(fd, size);
        const varlime::ContainerFind found = varlime::findExif(window, c);
        if (window.bytesRead() > size * 4 + (1u << 20))
            std::abort(); // the window's budget was passed
        volatile std::size_t sink = found.parts.size() + found.error.size();
        (void)sink;
    }
    ::close(fd);
    // The whole reader, and the lighter walk of naming, for the containers this target is
    // about (the JPEG and TIFF walks have their own target).
    const Container c = varlime::containerOfBytes(
        std::string_view(reinterpret_cast<const char*>(data), std::min<std::size_t>(size, 16)));
    if (c == Container::None || c == Container::Jpeg || c == Container::Tiff)
        return 0;
    static varlime::TimgData reader;
    volatile std::size_t lines = varlime::DumpExifFile(reader, gPath).size();
    (void)lines;
    static varlime::TimgData faits;
    faits.NamingFactsOnly = true;
    faits.ReadImageFile(gPath);
    return 0;
}
