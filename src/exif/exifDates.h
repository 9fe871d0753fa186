// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The date a file is named by: where each kind of file keeps it, and which one wins
// when a file keeps several. A photo's EXIF capture date comes first; a film's own
// dates next; then what an editor wrote in XMP (in the file, or in the .xmp file
// beside it) or IPTC; then a maker's own date; the date the file was last saved last
// of all. A file with none of them has no date: it is never given another day's.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace varlime {

// Where the date used for naming came from, in the order they are tried.
enum class DateSource : std::uint8_t {
    None,
    DateTimeOriginal, // EXIF, the moment the picture was taken
    CreateDate,       // EXIF, the moment it was stored (DateTimeDigitized)
    FilmZoned,        // a film's own date, written with its time zone
    Film,             // a film's own date, written without a zone
    FilmHeader,       // a film's movie header: UTC, shown in this computer's time
    Xmp,              // the file's XMP packet
    XmpSidecar,       // the .xmp file beside it
    Iptc,             // IPTC DateCreated and TimeCreated
    MakerNote,        // a camera maker's own record (CRW heap and the like)
    ModifyDate,       // EXIF DateTime of the main directory: when the file was last saved
};

// The words the EXIF dialog shows beside the date, between parentheses:
// "DateTimeOriginal", "XMP", "film header, UTC"...; empty for None.
std::string_view dateSourceLabel(DateSource source);

// The date a file is named by ("YYYY:MM:DD HH:MM:SS") and where it was found.
struct NamingDate {
    std::string text;
    DateSource source = DateSource::None;
    bool operator==(const NamingDate&) const = default;
};

// Whether a text starts with "YYYY:MM:DD HH:MM:SS" making a real date and time (a
// camera that was never set writes zeros or blanks there).
bool isDateText(std::string_view text);

// The capture date of an XMP packet: exif:DateTimeOriginal, else xmp:CreateDate, else
// photoshop:DateCreated, as attributes or as elements, read with an XML parser. The
// packet is read up to a bounded size and number of tokens; nothing when it holds
// none of them, or none that is a date.
// A packet written the plain way is scanned without the parser, which reads the rest.
std::optional<std::string> xmpDate(std::string_view packet);

// The same date, always read by the XML parser: what the scan must agree with.
std::optional<std::string> xmpDateByParser(std::string_view packet);

// An XMP date ("2010-05-06T12:34:56+02:00", "2010-05-06T12:34", "2010-05-06") as
// "YYYY:MM:DD HH:MM:SS" of the time written; a missing time is midnight.
std::optional<std::string> xmpDateText(std::string_view value);

// The IPTC records (IIM) held in a Photoshop block ("Photoshop 3.0" resources of a
// JPEG's APP13 segment), or the block itself when it is no Photoshop block.
std::string_view iptcOfPhotoshop(std::string_view block);

// DateCreated (2:55) and TimeCreated (2:60) of IPTC records, as "YYYY:MM:DD HH:MM:SS"
// (a missing time is midnight); nothing when there is no date.
std::optional<std::string> iptcDate(std::string_view records);

// The packet of a JPEG APP1 XMP segment (its body after the two length bytes), or
// nothing when the segment is no XMP.
std::optional<std::string_view> xmpOfSegment(std::string_view body);

// The XMP written beside a photo: PATH.xmp, else the photo's name without its
// extension plus .xmp (either case), read up to a bounded size; empty when none.
std::string readXmpSidecar(const std::string& photoPath);

} // namespace varlime
