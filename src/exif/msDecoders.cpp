// SPDX-License-Identifier: GPL-3.0-or-later
#include "exif/msDecoders.h"

#include "core/nameUtils.h"
#include "exif/exifFormat.h"

#include <span>

#include <array>
#include <charconv>
#include <string>
#include <vector>

namespace varlime {

namespace {

// The text without the blanks and control characters at both ends.
std::string_view trimBlanks(std::string_view s) {
    std::size_t b = 0;
    std::size_t e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= ' ')
        ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ')
        --e;
    return s.substr(b, e - b);
}

// The pieces of a value list split at every comma; pieces after the first keep the
// blank that followed their comma, as the Canon fields are shown exactly so.
std::vector<std::string_view> splitAtCommas(std::string_view s) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (;;) {
        std::size_t comma = s.find(',', start);
        if (comma == std::string_view::npos) {
            parts.push_back(s.substr(start));
            return parts;
        }
        parts.push_back(s.substr(start, comma - start));
        start = comma + 1;
    }
}

struct TCanonField {
    std::string_view Label;
    std::size_t Position;
    std::string_view Codes; // empty: the value is shown as it stands in the list
};

constexpr std::string_view kLowNormalHigh = "65535:Low,0:Normal,1:High";
constexpr TCanonField kCanonSettingsFields[] = {
    {"Macro mode", 1, "1:Macro,2:Normal"},
    {"Self Timer", 1, ""},
    {"Compression Rate", 3, "0:SuperFine,1:Fine,2:Normal,3:Basic,5:SuperFine"},
    {"Flash Mode", 4,
     "0:Not fired,1:Auto,2:On,3:Red-eye,4:Slow sync,5:Auto+red-eye,6:On+red eye,16:External "
     "flash"},
    {"Drive Mode", 5, "0:Single,1:Continuous"},
    {"Focus Mode", 7, "0:One-Shot,1:AI Servo,2:AI Focus,3:MF,4:Single,5:Continuous,6:MF"},
    {"Image Size", 10, "0:Large,1:Medium,2:Small,4:5MPixel,5:2 MPixel,6:1.5 MPixel"},
    {"Easy Shoot", 11,
     "0:Full Auto,1:Manual,2:Landscape,3:Fast Shutter,4:Slow Shutter,5:Night,6:B&W,7:Sepia,8:"
     "Portrait,9:Sports,10:Macro/Close-Up,11:Pan Focus"},
    {"Contrast", 13, kLowNormalHigh},
    {"Saturation", 14, kLowNormalHigh},
    {"Sharpness", 15, kLowNormalHigh},
    {"CCD ISO", 16, "0:Not used,15:auto,16:50,17:100,18:200,19:400"},
    // Metering mode, AF point, exposure mode and continuous focus have lists of their
    // own: the low/normal/high list of the picture settings would name them wrongly.
    {"Metering Mode", 17,
     "0:Default,1:Spot,2:Average,3:Evaluative,4:Partial,5:Center-weighted average"},
    {"AF Point", 19,
     "8197:Manual AF point selection,12288:None (MF),12289:Auto AF point "
     "selection,12290:Right,12291:Center,12292:Left,16385:Auto AF point selection,16390:Face "
     "Detect"},
    {"Exposure Mode", 20,
     "0:Easy,1:Program AE,2:Shutter speed priority AE,3:Aperture-priority AE,4:Manual,5:Depth-of-"
     "field AE,6:M-Dep,7:Bulb"},
    {"Long focal", 23, ""},
    {"Short focal", 24, ""},
    {"Focal Units", 25, ""},
    {"Flash Details", 28, ""},
    {"Focus Mode", 32, "0:Single,1:Continuous,8:Manual"},
};

constexpr TCanonField kCanonShotInfoFields[] = {
    {"White balance", 7, "0:Auto,1:Sunny,2:Cloudy,3:Tungsten,4:Flourescent,5:Flash,6:Custom"},
    {"Sequence Number", 8, ""},
    {"OpticalZoom Step", 10, ""},
    {"AF point", 13, ""},
    {"Flash bias", 15,
     "65472:-2 EV,65484:-1.67 EV,65488:-1.50 EV,65492:-1.33 EV,65504:-1 EV,65516:-0.67 "
     "EV,65520:-0.50 EV,65524:-0.33 EV,0:0 EV,12:0.33 EV,16:0.50 EV,20:0.67 EV,32:1 EV,44:1.33 "
     "EV,48:1.50 EV,52:1.67 EV,64:2 EV"},
    {"Distance", 18, ""},
};

// Custom functions 1 to 15, in function order.
constexpr std::array<TCanonField, 15> kCanonCustomFunctions{{
    {"Noise Reduction", 1, "0: Off,1: On"},
    {"Shutter AE Lock Button", 2, "0:AF/AE lock,1:AE lock/AF,2:AF/AF lock,3:AE+release/AE+AF"},
    {"Mirror Lockup", 3, "0:Disable,1:Enable"},
    {"Exposure Level", 4, "0:1/2 stop,1:1/3 stop"},
    {"AF Assist", 5, "0:On (auto),1:Off"},
    {"AV Shutter Speed", 6, "0:Automatic,1: 1/200 (fixed)"},
    {"AEB Sequence", 7,
     "0:0, -, + / Enabled1: 0, -, + / Disabled,2: -, 0, + / Enabled,3: -, 0, + / Disabled"},
    {"Shutter Sync", 8, "0:1st-curtain sync,1: 2nd-curtain sync"},
    {"Lens AF Button", 9, "0:AF stop,1:Operate AF,2:Lock AE and start timer"},
    {"Fill Flash Reduction", 10, "0:Enable,1:Disable"},
    {"Menu Return", 11, "0:Top,1:Previous (volatile),2:Previous"},
    {"Set Button", 12, "0:Not assigned,1:Change quality,2:Change ISO speed,3:Select parameters"},
    {"Sensor Cleaning", 13, "0:Disable,1:Enable"},
    {"Superimposed Display", 14, "0: On,1: Off"},
    {"Shutter Release w/o CF Card", 15, "0:Enable,1:Disable"},
}};

void appendLine(std::string& out, std::string_view label, std::string_view text) {
    if (trimBlanks(text).empty())
        return;
    out += "\r\n";
    out += label;
    out += " = ";
    out += text;
}

std::string decodeCanonFields(std::string_view presented, std::span<const TCanonField> fields) {
    const std::vector<std::string_view> values = splitAtCommas(presented);
    std::string out;
    for (const TCanonField& f : fields) {
        std::string_view value = f.Position < values.size() ? values[f.Position] : "";
        if (f.Codes.empty())
            appendLine(out, f.Label, value);
        else
            appendLine(out, f.Label, DecodeField(f.Codes, value));
    }
    return out;
}

bool readInteger(std::string_view s, long long& v) {
    s = trimBlanks(s);
    if (s.empty())
        return false;
    const char* first = s.data();
    const char* last = s.data() + s.size();
    if (*first == '+')
        ++first;
    auto [ptr, ec] = std::from_chars(first, last, v);
    return ec == std::errc() && ptr == last;
}

} // namespace

std::string DecodeLensRange(std::string_view presented) {
    // Pieces missing from a short list read as 0, like any piece ParseFraction refuses.
    std::array<double, 4> v{};
    std::size_t start = 0;
    for (std::size_t i = 0; i < v.size() && start <= presented.size(); ++i) {
        std::size_t sep = presented.find(", ", start);
        std::string_view piece = presented.substr(
            start, sep == std::string_view::npos ? std::string_view::npos : sep - start);
        v[i] = ParseFraction(piece);
        if (sep == std::string_view::npos)
            break;
        start = sep + 2;
    }
    return FormatNumber("%0.1f", v[0]) + "-" + FormatNumber("%0.1f", v[1]) + "(mm)  " +
           FormatNumber("F%0.1f", v[2]) + "-" + FormatNumber("F%0.1f", v[3]);
}

std::string DecodeColorSpaceMode(std::string_view presented) {
    const std::size_t from = utf8Offset(presented, 1);
    const std::size_t to = utf8Offset(presented, 6);
    const std::string_view mode = presented.substr(from, to - from);
    if (mode == "MODE1")
        return "Mode1 (sRGB)";
    if (mode == "MODE2")
        return "Mode 2 (Adobe RGB)";
    if (mode == "MODE3")
        return "Mode 3 (sRGB): higher saturation";
    return std::string(mode);
}

std::string DecodeCanonSettings(std::string_view presented) {
    return decodeCanonFields(presented, kCanonSettingsFields);
}

std::string DecodeCanonShotInfo(std::string_view presented) {
    return decodeCanonFields(presented, kCanonShotInfoFields);
}

std::string DecodeCanonCustom(std::string_view presented) {
    const std::vector<std::string_view> values = splitAtCommas(presented);
    // Only values followed by a comma are read: the one after the last comma is not.
    std::string out;
    for (std::size_t k = 0; k + 1 < values.size(); ++k) {
        long long v = 0;
        if (!readInteger(values[k], v) || v < 256 || v > 4095)
            continue;
        const TCanonField& f = kCanonCustomFunctions[static_cast<std::size_t>(v / 256) - 1];
        appendLine(out, f.Label, DecodeField(f.Codes, std::to_string(v % 256)));
    }
    return out;
}

} // namespace varlime
