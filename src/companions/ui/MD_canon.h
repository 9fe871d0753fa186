#pragma once
// The Canon RAW data module: whether the mode is on, and its listing filter, which
// knows for each listing whether the folder holds a CR2 file.
#include <string>
#include <vector>

namespace varlime {

class TDB_association_fichier;

class TDB_canon {
public:
    explicit TDB_canon(const TDB_association_fichier& association);
    bool Fichier_canon_a_traiter(const std::string& nom);
    // Notes a CR2 of the listing before its entries are filtered.
    void Voir_listing(const std::vector<std::string>& noms);
    bool Fichier_raw_canon(const std::string& nom, int& decalage) const;

private:
    const TDB_association_fichier& association_;
    bool cr2Vu_ = false;
};

} // namespace varlime
