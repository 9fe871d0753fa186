// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The command line's import: its own options beside the naming ones, and the run with
// its progress and result lines.
#include "import/importCarte.h"

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace varlime {

struct ArgumentsImport {
    OptionsImport options;
    bool apercu = false; // --preview: the plan, nothing changed
};

// Takes args[i] when it is one of the import's options (moving `i` past its value):
// an empty text then, or what is wrong with it; nothing when it is no import option.
std::optional<std::string> lireOptionImport(const std::vector<std::string>& args, std::size_t& i,
                                            ArgumentsImport& a);

// Plans, then shows the plan (--preview) or runs it. Returns the exit status.
int lancerImport(ArgumentsImport& a, const std::string& programFolder, std::ostream& out,
                 std::ostream& err);

} // namespace varlime
