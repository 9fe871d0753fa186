// SPDX-License-Identifier: GPL-3.0-or-later
// Ini files of any content: parsing never reads outside its input, and writing a key
// keeps every other line and reads back what was written.
#include "platform/iniFile.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    varlime::IniDocument doc = varlime::IniDocument::parse(bytes);
    (void)doc.hasSection("MAIN");
    (void)doc.keys("EXIF");
    (void)doc.read("CHEMINS", "DEFAUT", "Erreur");
    if (doc.serialize() != bytes)
        std::abort(); // an untouched document is written back byte for byte
    doc.set("MAIN", "PREFIXE_REMPLACEMENT", " IMG_");
    const varlime::IniDocument again = varlime::IniDocument::parse(doc.serialize());
    if (again.read("MAIN", "PREFIXE_REMPLACEMENT", "") != " IMG_")
        std::abort();
    return 0;
}
