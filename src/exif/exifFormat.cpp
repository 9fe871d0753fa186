// SPDX-License-Identifier: GPL-3.0-or-later
#include "exif/exifFormat.h"

#include "core/curseurOctets.h"
#include "core/nameUtils.h"
#include "platform/textEncoding.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

namespace varlime {

namespace {

std::atomic<char> gDecimalMark{'.'};

bool isTrimmed(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

// Leading and trailing blanks and control characters removed.
std::string_view trim(std::string_view s) {
    while (!s.empty() && isTrimmed(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isTrimmed(s.back()))
        s.remove_suffix(1);
    return s;
}

// A decimal number as the program writes it: optional sign, digits, optionally the
// decimal mark and more digits. Anything else fails.
bool parseNumber(std::string_view s, double& out) {
    s = trim(s);
    if (s.empty() || s.size() > 400)
        return false;
    std::string norm;
    norm.reserve(s.size());
    std::size_t i = 0;
    if (s[0] == '+' || s[0] == '-') {
        if (s[0] == '-')
            norm += '-';
        i = 1;
    }
    bool digits = false, mark = false;
    for (; i < s.size(); ++i) {
        const char c = s[i];
        if (c >= '0' && c <= '9') {
            norm += c;
            digits = true;
        } else if (c == decimalMark() && !mark) {
            norm += '.';
            mark = true;
        } else {
            return false;
        }
    }
    if (!digits)
        return false;
    const auto r =
        std::from_chars(norm.data(), norm.data() + norm.size(), out, std::chars_format::fixed);
    return r.ec == std::errc() && r.ptr == norm.data() + norm.size();
}

// One %f/%d conversion of FormatNumbers.
std::string formatOne(bool leftAlign, bool zeroPad, int width, int precision, char conv, double v) {
    char buf[512];
    std::string digits;
    if (conv == 'd') {
        const auto r = std::to_chars(buf, buf + sizeof buf, RoundHalfEven(v));
        digits.assign(buf, r.ptr);
    } else {
        if (precision < 0)
            precision = 6;
        precision = std::min(precision, 30);
        if (std::isnan(v)) {
            digits = "NAN";
        } else if (std::isinf(v)) {
            digits = v < 0 ? "-INF" : "INF";
        } else {
            const auto r =
                std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, precision);
            // The buffer holds any double at the capped precision; a failure is
            // still shown as 0 rather than nothing.
            if (r.ec != std::errc())
                digits.assign(1, '0');
            else
                digits.assign(buf, r.ptr);
            std::replace(digits.begin(), digits.end(), '.', decimalMark());
        }
    }
    const auto len = static_cast<int>(digits.size());
    if (width > len) {
        const std::string pad(static_cast<std::size_t>(width - len), zeroPad ? '0' : ' ');
        if (leftAlign)
            digits += std::string(static_cast<std::size_t>(width - len), ' ');
        else if (zeroPad && !digits.empty() && digits[0] == '-')
            digits.insert(1, pad);
        else
            digits.insert(0, pad);
    }
    return digits;
}

std::string formatNumbers(std::string_view pattern, const double* values, std::size_t count) {
    std::string out;
    std::size_t next = 0;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c != '%') {
            out += c;
            continue;
        }
        if (i + 1 < pattern.size() && pattern[i + 1] == '%') {
            out += '%';
            ++i;
            continue;
        }
        std::size_t j = i + 1;
        bool left = false, zero = false;
        while (j < pattern.size() && (pattern[j] == '-' || pattern[j] == '0')) {
            left |= pattern[j] == '-';
            zero |= pattern[j] == '0';
            ++j;
        }
        int width = 0;
        while (j < pattern.size() && pattern[j] >= '0' && pattern[j] <= '9') {
            width = std::min(width * 10 + (pattern[j] - '0'), 64);
            ++j;
        }
        int precision = -1;
        if (j < pattern.size() && pattern[j] == '.') {
            precision = 0;
            ++j;
            while (j < pattern.size() && pattern[j] >= '0' && pattern[j] <= '9') {
                precision = std::min(precision * 10 + (pattern[j] - '0'), 64);
                ++j;
            }
        }
        if (j < pattern.size() && (pattern[j] == 'f' || pattern[j] == 'd')) {
            // A conversion without a number to fill it gives nothing.
            if (next < count)
                out += formatOne(left, zero, width, precision, pattern[j], values[next++]);
            i = j;
        } else {
            out += c;
        }
    }
    return out;
}

std::string fmt(std::string_view pattern, std::initializer_list<double> values) {
    return formatNumbers(pattern, values.begin(), values.size());
}

} // namespace

void setDecimalMark(char mark) {
    gDecimalMark = mark;
}
char decimalMark() {
    return gDecimalMark;
}

int TypeByteSize(int type) {
    switch (type) {
    case ExifType::Byte:
    case ExifType::Ascii:
    case ExifType::SByte:
    case ExifType::Undefined:
        return 1;
    case ExifType::Short:
    case ExifType::SShort:
        return 2;
    case ExifType::Long:
    case ExifType::SLong:
    case ExifType::Float:
        return 4;
    case ExifType::Rational:
    case ExifType::SRational:
    case ExifType::Double:
        return 8;
    default:
        return 0;
    }
}

std::uint32_t BytesToUnsigned(bool bigEndian, std::string_view bytes) {
    // Only the bytes of the low 32 bits count.
    if (bytes.size() > 4)
        bytes = bigEndian ? bytes.substr(bytes.size() - 4) : bytes.substr(0, 4);
    return static_cast<std::uint32_t>(
        octetsEn(bigEndian, bytes, 0, static_cast<unsigned>(bytes.size())));
}

std::int32_t BytesToInt(bool bigEndian, std::string_view bytes) {
    return static_cast<std::int32_t>(BytesToUnsigned(bigEndian, bytes));
}

namespace {

// BYTE, SHORT, LONG and RATIONAL hold unsigned numbers: a LONG of 0xFFFFFFF0 is
// 4294967280, never -16. SBYTE and SSHORT keep the reading they always had (their
// one or two bytes as they are); SLONG and SRATIONAL are signed.
bool isUnsignedType(int type) {
    return type == ExifType::Byte || type == ExifType::Short || type == ExifType::Long ||
           type == ExifType::Rational;
}

// One 32-bit number of a value of the given type, as a double so that neither
// reading is cut.
double integerOf(bool bigEndian, std::string_view bytes, int type) {
    if (isUnsignedType(type))
        return BytesToUnsigned(bigEndian, bytes);
    return BytesToInt(bigEndian, bytes);
}

// The same number as decimal digits.
void appendInteger(std::string& text, bool bigEndian, std::string_view bytes, int type) {
    char buf[16];
    const auto r = isUnsignedType(type)
                       ? std::to_chars(buf, buf + sizeof buf, BytesToUnsigned(bigEndian, bytes))
                       : std::to_chars(buf, buf + sizeof buf, BytesToInt(bigEndian, bytes));
    text.append(buf, r.ptr);
}

} // namespace

double ValueAsNumber(bool bigEndian, std::string_view raw, int type) {
    switch (type) {
    case ExifType::Byte:
    case ExifType::Short:
    case ExifType::Long:
    case ExifType::SByte:
    case ExifType::SShort:
    case ExifType::SLong:
        return integerOf(bigEndian, raw, type);
    case ExifType::Rational:
    case ExifType::SRational: {
        if (raw.size() < 8)
            return 0; // a value cut short by the end of the data has no denominator
        const double den = integerOf(bigEndian, raw.substr(4, 4), type);
        if (den == 0)
            return 0;
        return integerOf(bigEndian, raw.substr(0, 4), type) / den;
    }
    case ExifType::Float: {
        if (raw.size() < 4)
            return 0;
        const std::uint32_t bits = BytesToUnsigned(bigEndian, raw.substr(0, 4));
        float f;
        std::memcpy(&f, &bits, sizeof f);
        return f;
    }
    case ExifType::Double: {
        if (raw.size() < 8)
            return 0;
        const std::uint32_t hi = BytesToUnsigned(bigEndian, raw.substr(bigEndian ? 0 : 4, 4));
        const std::uint32_t lo = BytesToUnsigned(bigEndian, raw.substr(bigEndian ? 4 : 0, 4));
        const std::uint64_t bits = (std::uint64_t{hi} << 32) | lo;
        double d;
        std::memcpy(&d, &bits, sizeof d);
        return d;
    }
    default:
        return 0;
    }
}

std::int32_t RoundHalfEven(double v) {
    if (std::isnan(v))
        return 0;
    constexpr double lo = std::numeric_limits<std::int32_t>::min();
    constexpr double hi = std::numeric_limits<std::int32_t>::max();
    if (v <= lo)
        return std::numeric_limits<std::int32_t>::min();
    if (v >= hi)
        return std::numeric_limits<std::int32_t>::max();
    double r = std::floor(v);
    const double diff = v - r;
    if (diff > 0.5 || (diff == 0.5 && std::fmod(r, 2.0) != 0.0))
        r += 1.0;
    return static_cast<std::int32_t>(r);
}

std::string FormatNumber(std::string_view pattern, double value) {
    return formatNumbers(pattern, &value, 1);
}

std::string BytesAsText(std::string_view bytes) {
    return textFromFileBytes(bytes);
}

std::string FormatValue(bool bigEndian, std::string_view raw, int type, std::string_view codes,
                        std::string_view pattern) {
    const int size = TypeByteSize(type);
    if (size == 0)
        return "0";
    const std::size_t n = std::min<std::size_t>(raw.size() / static_cast<std::size_t>(size), 128);
    std::string text;
    for (std::size_t i = 0; i < n; ++i) {
        if (i > 0)
            text += ", ";
        const std::string_view comp =
            raw.substr(i * static_cast<std::size_t>(size), static_cast<std::size_t>(size));
        if (type == ExifType::Rational || type == ExifType::SRational) {
            appendInteger(text, bigEndian, comp.substr(0, 4), type);
            text += '/';
            appendInteger(text, bigEndian, comp.substr(4, 4), type);
            if (!codes.empty())
                text += DecodeField(codes, text);
        } else if (type == ExifType::Float || type == ExifType::Double) {
            text += "-9999.99";
        } else if (!codes.empty()) {
            std::string number;
            appendInteger(number, bigEndian, comp, type);
            text += DecodeField(codes, number);
        } else {
            appendInteger(text, bigEndian, comp, type);
        }
    }
    if (pattern.empty())
        return text;
    const auto s = pattern.find("%s");
    if (s != std::string_view::npos) {
        std::string out(pattern.substr(0, s));
        out += text;
        out += pattern.substr(s + 2);
        return out;
    }
    return FormatNumber(pattern, ValueAsNumber(bigEndian, raw, type));
}

std::string DecodeField(std::string_view codes, std::string_view value) {
    std::string key = ",";
    key += trim(value);
    key += ':';
    std::string hay = ",";
    hay += codes;
    hay += ',';
    const auto pos = hay.find(key);
    if (pos == std::string::npos)
        return {};
    const auto start = pos + key.size();
    const auto end = hay.find(',', start);
    return hay.substr(start, end - start);
}

std::string Printable(std::string_view text) {
    std::string out(text.substr(0, utf8Offset(text, 50)));
    for (char& c : out)
        if (static_cast<unsigned char>(c) < 32)
            c = '.';
    return out;
}

double ParseFraction(std::string_view text) {
    text = trim(text);
    double whole = 0;
    std::string_view frac = text;
    const auto blank = text.find(' ');
    if (blank != std::string_view::npos) {
        if (!parseNumber(text.substr(0, blank), whole))
            return 0;
        frac = text.substr(blank + 1);
    }
    const auto slash = frac.find('/');
    if (slash == std::string_view::npos)
        return 0;
    double num, den;
    if (!parseNumber(frac.substr(0, slash), num) || !parseNumber(frac.substr(slash + 1), den) ||
        den == 0)
        return 0;
    return (whole * den + num) / den;
}

std::string DecodeComponents(std::string_view value) {
    static constexpr const char* kNames[] = {"Y", "Cb", "Cr", "R", "G", "B"};
    std::string out;
    for (std::size_t k = 1; k <= 4; ++k) {
        const auto at = utf8Offset(value, k);
        if (at >= value.size())
            break;
        const auto c = static_cast<unsigned char>(value[at]);
        if (c >= 1 && c <= 6)
            out += kNames[c - 1];
    }
    return out;
}

std::string DecodeShutterSpeed(std::string_view value) {
    const double x = ParseFraction(value);
    const double t = std::pow(2.0, -x);
    std::string out = fmt("%4.4f sec", {t});
    if (t <= 0.5)
        out += fmt(" (1/%d)", {1.0 / t});
    return out;
}

std::string DecodeFlash(std::string_view value) {
    int v;
    if (!toInteger(value, v))
        throw ExifFailure("'" + std::string(value) + "' is not a valid integer value");
    std::string out = (v & 1) ? "On" : "Off";
    switch (v & 6) {
    case 2:
        out += ", UNKNOWN";
        break;
    case 4:
        out += ", no strobe return";
        break;
    case 6:
        out += ", strobe return";
        break;
    default:
        break;
    }
    switch (v & 24) {
    case 8:
        out += ", forced";
        break;
    case 16:
        out += ", surpressed";
        break;
    case 24:
        out += ", auto mode";
        break;
    default:
        break;
    }
    if (v & 32)
        out += ", no flash function";
    if (v & 64)
        out += ", red-eye reduction";
    return out;
}

std::string DecodeWideText(std::string_view value) {
    const auto commas = static_cast<std::size_t>(std::count(value.begin(), value.end(), ','));
    std::string out;
    std::size_t start = 0;
    for (std::size_t k = 1; k <= commas; ++k) {
        const auto end = value.find(',', start);
        const std::string_view field = value.substr(start, end - start);
        start = end + 1;
        if (k % 2 == 0)
            continue;
        int code;
        // A field that is not a number (a text stored under this tag) adds nothing.
        if (toInteger(field, code) && (code & 0xFF) != 0)
            appendUtf8(out, windows1252CodePoint(static_cast<unsigned char>(code & 0xFF)));
    }
    return out;
}

namespace {
// The three numbers of a degrees or time value: pieces separated by ", ".
void splitThree(std::string_view text, double& a, double& b, double& c) {
    std::string_view rest = text;
    std::string_view pa = rest, pb, pc;
    auto p = rest.find(", ");
    if (p != std::string_view::npos) {
        pa = rest.substr(0, p);
        rest = rest.substr(p + 2);
        pb = rest;
        p = rest.find(", ");
        if (p != std::string_view::npos) {
            pb = rest.substr(0, p);
            pc = rest.substr(p + 2);
        }
    }
    a = ParseFraction(pa);
    b = ParseFraction(pb);
    c = ParseFraction(pc);
}
} // namespace

std::string DecodeDegrees(std::string_view value) {
    double deg, min, sec;
    splitThree(value, deg, min, sec);
    if (sec == 0) {
        const double whole = std::trunc(min);
        sec = (min - whole) * 100 * 0.6;
        min = whole;
    }
    return fmt("%0.0f Degrees %0.0f Minutes %0.0f Seconds", {deg, min, sec});
}

std::string DecodeGpsTime(std::string_view value) {
    double h, m, s;
    splitThree(value, h, m, s);
    return fmt("%0.0f:%0.0f:%0.0f", {h, m, s});
}

} // namespace varlime
