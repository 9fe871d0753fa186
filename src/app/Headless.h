// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Runs without a window: the command's options fill the naming engine's options, as
// the main window's controls do, and the result is printed. No widget is created.
#include <ostream>
#include <string>
#include <vector>

namespace varlime {

// True when the arguments (as the bytes given) name a command run without a window.
bool estCommandeSansFenetre(const std::vector<std::string>& args);

// Runs the command; returns the process exit status. `programFolder` holds the
// settings and language files.
int executerSansFenetre(const std::vector<std::string>& args, const std::string& programFolder,
                        std::ostream& out, std::ostream& err);

} // namespace varlime
