// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What `varlime --help` and `varlime --version` print, and how an option the program
// does not know is told.
#include <string>
#include <string_view>

namespace varlime {

// Every command and option, one line each, grouped as the README groups them, then
// the exit statuses.
std::string texteAide();

// "varlime VERSION" on one line.
std::string texteVersion();

// Two lines for standard error: the unknown argument named, then where to look.
std::string texteOptionInconnue(std::string_view argument);

} // namespace varlime
