// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The few text helpers that planning an import and running it both need.
#include <algorithm>
#include <string>

namespace varlime::import_detail {

// A folder path as the import joins it: ending in '/'.
inline std::string avecSlash(std::string s) {
    if (s.empty() || s.back() != '/')
        s += '/';
    return s;
}

inline std::string deuxChiffres(int n, int largeur = 2) {
    std::string s = std::to_string(n);
    return std::string(std::max(0, largeur - int(s.size())), '0') + s;
}

} // namespace varlime::import_detail
