#include "exif/msText.h"

#include "core/nameUtils.h"

#include <charconv>
#include <cmath>

namespace varlime {

namespace {

bool readNumber(std::string_view s, double& v) {
    if (s.empty())
        return false;
    const char* first = s.data();
    const char* last = s.data() + s.size();
    if (*first == '+')
        ++first;
    auto [ptr, ec] = std::from_chars(first, last, v);
    return ec == std::errc() && ptr == last && std::isfinite(v);
}

} // namespace

std::string_view TrimBlanks(std::string_view s) {
    std::size_t b = 0;
    std::size_t e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= ' ')
        ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ')
        --e;
    return s.substr(b, e - b);
}

std::string DecodeField(std::string_view codes, std::string_view value) {
    std::string key = ",";
    key += TrimBlanks(value);
    key += ':';
    std::string list = ",";
    list += codes;
    list += ',';
    const std::size_t at = list.find(key);
    if (at == std::string::npos)
        return {};
    const std::size_t from = at + key.size();
    const std::size_t to = list.find(',', from);
    return list.substr(from, to - from);
}

double ParseFraction(std::string_view s) {
    s = TrimBlanks(s);
    double whole = 0;
    const std::size_t blank = s.find(' ');
    if (blank != std::string_view::npos) {
        if (!readNumber(s.substr(0, blank), whole))
            return 0;
        s = TrimBlanks(s.substr(blank + 1));
    }
    const std::size_t slash = s.find('/');
    if (slash == std::string_view::npos)
        return 0;
    double num = 0;
    double den = 0;
    if (!readNumber(s.substr(0, slash), num) || !readNumber(s.substr(slash + 1), den) || den == 0)
        return 0;
    return (whole * den + num) / den;
}

std::string FormatFixed1(double v) {
    char buf[64];
    auto [ptr, ec] = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, 1);
    if (ec != std::errc())
        return "0.0";
    return std::string(buf, ptr);
}

std::size_t Utf8Offset(std::string_view s, std::size_t index) {
    return utf8Offset(s, index);
}

} // namespace varlime
