#pragma once
// The Canon RAW data module: whether the mode is on, and which row names a RAW file.
#include <string>
#include <vector>

namespace varlime {

class Application;

class TDB_canon {
public:
    explicit TDB_canon(Application& app);
    bool Traite_raw_canon() const;
    bool Fichier_raw_canon(const std::string& nom, int& decalage) const;

private:
    Application& app_;
};

} // namespace varlime
