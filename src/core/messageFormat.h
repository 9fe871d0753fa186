#pragma once
// Message texts: looking a text up by its key with the built-in French default, and
// filling its "%s"/"%d" fields. A language file may hold any text, so the filling
// never trusts the fields to match the values given.
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace varlime {

class Localization;

// Text of a message key of section MESSAGES, or the default when the key is missing.
using TextLookup = std::function<std::string(std::string_view key, std::string_view defaut)>;

// A lookup over the active language file.
TextLookup lookupMessages(Localization& localization);
// The built-in French texts only (headless runs without language files, tests).
TextLookup defaultMessages();

// Fills each printf-style field of fmt ("%s", "%d", "%2.2d", ...) with the next
// value, written as text; "%%" gives "%". A field without a value gives nothing,
// surplus values are ignored, a lone "%" at the end stays.
std::string formatMessage(std::string_view fmt, std::initializer_list<std::string_view> values);

// Lines of a message as a memo shows them: split at "\r\n", "\n" or "\r"; a text
// ending in a line break gives an empty last line.
std::vector<std::string> messageLines(std::string_view text);

} // namespace varlime
