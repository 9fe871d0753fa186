// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The messages the program looks up, read from its sources: each "RSC_..." key written in
// src/ with the built-in French text written beside it.
#include <map>
#include <string>

namespace varlime::test {

// key -> built-in default (empty when the sources never give one next to the key).
std::map<std::string, std::string> keysUsedBySources();

} // namespace varlime::test
