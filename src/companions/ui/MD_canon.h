// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The Canon RAW data module: whether the mode is on, and which row names a RAW file.
#include <string>
#include <vector>

namespace varlime {

class TDB_association_fichier;

class TDB_canon {
public:
    explicit TDB_canon(const TDB_association_fichier& association);
    bool Fichier_raw_canon(const std::string& nom, int& decalage) const;

private:
    const TDB_association_fichier& association_;
};

} // namespace varlime
