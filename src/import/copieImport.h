// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The one verified copy of a card file into one destination folder, as the import uses
// it: hashed while read, written into an unnamed file, flushed, dropped from the page
// cache, read back and compared, then linked under its name without replacing anything.
#include <cstdint>
#include <functional>
#include <string>

namespace varlime {

struct CopieImport {
    bool ok = false;
    int erreur = 0;         // errno of what failed (ENOSPC: the disk is full)
    bool relecture = false; // the read-back differed: nothing was left
    bool lecture = false;   // the source could not be read
    std::string empreinte;  // XXH3-128 of the source as read, 32 hex digits
};

// Copies `source` to `dossier` + `nom`. `avantRelecture` (a test hook) gets the written
// file's path or /proc/self/fd link before it is read back; `octets` is told the bytes
// read so far.
CopieImport copierVerifie(const std::string& source, const std::string& dossier,
                          const std::string& nom,
                          const std::function<void(const std::string&)>& avantRelecture,
                          const std::function<void(std::int64_t)>& octets);

} // namespace varlime
