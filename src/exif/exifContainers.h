// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Finding the EXIF data of the containers today's cameras and phones write: RAF
// (a JPEG inside), CRW (a heap of records), ISO base media files (CR3, HEIF, AVIF,
// MP4, MOV), PNG, WebP and JPEG XL. Each walker reads the file through a window
// that never reads past its end, checks every size it meets against what holds it,
// and caps its depth and counts; it reads headers, never the pictures or the films.
#include "core/boitesIso.h"
#include "core/fileKinds.h"
#include "exif/exifDates.h"
#include "exif/exifTables.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace varlime {

// One TIFF structure (header first) holding EXIF directories, and the table its
// first directory's tags are looked up in; or, with makerNote set, holding the camera
// maker's directory (a CR3's maker notes), whose offsets count from that header.
struct TiffPart {
    std::string bytes;
    TDirGroup group = TDirGroup::Main;
    bool makerNote = false;
};

// What a container holds when it has no EXIF block of its own (a CRW's heap, a
// film's metadata): the facts names are made of.
struct PlainFacts {
    std::string make, model;
    // "YYYY:MM:DD HH:MM:SS", the local time of the camera or of this computer.
    std::string dateTime;
    int orientation = 0; // 1..8, 0 when unknown
};

struct ContainerFind {
    // The EXIF structures found, in the order they are listed.
    std::vector<TiffPart> parts;
    // A JPEG embedded at this offset (RAF), read as a JPEG file.
    std::optional<std::uint64_t> jpegOffset;
    // What was wrong with the file when nothing could be found, else empty.
    std::string error;
    // The XMP packet the file holds besides (a PNG's iTXt chunk), else empty.
    std::string xmp;
    // Where the date of a structure made of plain facts came from (a film's own
    // dates, a maker's record); None when the file has EXIF of its own.
    DateSource dateSource = DateSource::None;
    // The camera body's serial number a maker's record holds (a CRW's), else empty.
    std::string makerSerial;
};

// Finds the EXIF data of a file of the given container (not Jpeg or Tiff, which the
// reader walks itself).
ContainerFind findExif(FileWindow& file, Container container);

// A TIFF structure (little-endian) holding the given facts as Make, Model,
// Orientation and, in its EXIF directory, DateTimeOriginal: the facts of a container
// without EXIF are then listed and named as any photo's.
std::string tiffOfFacts(const PlainFacts& facts);

// The date of a film's metadata ("2023-07-14T09:30:05+02:00" and the like, time zone
// optional) as "YYYY:MM:DD HH:MM:SS" of the time written; nothing when it is no date.
// `withZone` tells whether a time zone was written.
std::optional<std::string> movieDate(std::string_view text, bool* withZone = nullptr);

// Seconds since 1904-01-01 UTC (a movie header's creation time) as the local time of
// this computer, "YYYY:MM:DD HH:MM:SS"; nothing for 0 or a time out of range.
std::optional<std::string> localTimeOf1904(std::uint64_t seconds);

} // namespace varlime
