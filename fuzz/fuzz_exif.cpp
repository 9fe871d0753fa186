// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary bytes to the EXIF reader through its real entry point, once as a
// JPEG and once as a TIFF file, and dumps what it found: nothing may crash, read
// outside a buffer, leak or hang, whatever the bytes.
#include "ecrireEntree.h"
#include "exif/exifDump.h"

#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace {

std::string gData, gJpeg, gTiff;

void readAndDump(varlime::TimgData& reader, const std::string& path) {
    const auto lines = varlime::DumpExifFile(reader, path);
    volatile std::size_t sink = lines.size();
    (void)sink;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const char* base = std::getenv("TMPDIR");
    std::string dir = std::string(base && *base ? base : "/tmp") + "/varlime-fuzz-XXXXXX";
    if (!::mkdtemp(dir.data()))
        std::abort();
    // One data file seen under both extensions, so each input takes both paths.
    gData = dir + "/input";
    gJpeg = dir + "/input.jpg";
    gTiff = dir + "/input.tif";
    ecrireEntree(gData, nullptr, 0);
    if (::symlink("input", gJpeg.c_str()) != 0 || ::symlink("input", gTiff.c_str()) != 0)
        std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static varlime::TimgData reader;
    ecrireEntree(gData, data, size);
    readAndDump(reader, gJpeg);
    readAndDump(reader, gTiff);
    // The lighter walk used when naming a folder.
    static varlime::TimgData faits;
    faits.NamingFactsOnly = true;
    faits.ReadImageFile(gJpeg);
    faits.ReadImageFile(gTiff);
    return 0;
}
