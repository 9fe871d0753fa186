// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The tags the program reads for itself (besides listing every tag it meets), by name,
// and the list of those a name, an import or the 35 mm focal length is made from. A
// naming read passes over every other tag: what fills FaitsExif must be in this list.
#include <array>
#include <cstdint>

namespace varlime {

namespace tag {
// The main directory (IFD0) and the EXIF directory.
inline constexpr std::uint16_t ImageWidth = 0x0100;
inline constexpr std::uint16_t ImageHeight = 0x0101;
inline constexpr std::uint16_t Make = 0x010F;
inline constexpr std::uint16_t Model = 0x0110;
inline constexpr std::uint16_t Orientation = 0x0112;
inline constexpr std::uint16_t ResolutionUnit = 0x0128;
inline constexpr std::uint16_t ModifyDate = 0x0132;
inline constexpr std::uint16_t SubIfds = 0x014A;
inline constexpr std::uint16_t XmpPacket = 0x02BC;
inline constexpr std::uint16_t RelatedImageWidth = 0x1001;
inline constexpr std::uint16_t RelatedImageHeight = 0x1002;
inline constexpr std::uint16_t ExposureTime = 0x829A;
inline constexpr std::uint16_t FNumber = 0x829D;
inline constexpr std::uint16_t IptcRecords = 0x83BB;
inline constexpr std::uint16_t ExifIfd = 0x8769;
inline constexpr std::uint16_t GpsIfd = 0x8825;
inline constexpr std::uint16_t ExifVersion = 0x9000;
inline constexpr std::uint16_t DateTimeOriginal = 0x9003;
inline constexpr std::uint16_t CreateDate = 0x9004;
inline constexpr std::uint16_t ShutterSpeedValue = 0x9201;
inline constexpr std::uint16_t ApertureValue = 0x9202;
inline constexpr std::uint16_t Flash = 0x9209;
inline constexpr std::uint16_t FocalLength = 0x920A;
inline constexpr std::uint16_t FocalPlaneXResolutionOld = 0x920E;
inline constexpr std::uint16_t FocalPlaneYResolutionOld = 0x920F;
inline constexpr std::uint16_t FocalPlaneResolutionUnitOld = 0x9210;
inline constexpr std::uint16_t MakerNote = 0x927C;
inline constexpr std::uint16_t UserComment = 0x9286;
inline constexpr std::uint16_t ExifImageWidth = 0xA002;
inline constexpr std::uint16_t ExifImageHeight = 0xA003;
inline constexpr std::uint16_t InteropIfd = 0xA005;
inline constexpr std::uint16_t FocalPlaneXResolution = 0xA20E;
inline constexpr std::uint16_t FocalPlaneYResolution = 0xA20F;
inline constexpr std::uint16_t FocalPlaneResolutionUnit = 0xA210;
inline constexpr std::uint16_t FocalLengthIn35mmFormat = 0xA405;
inline constexpr std::uint16_t BodySerialNumber = 0xA431;
// A DNG's main directory.
inline constexpr std::uint16_t CameraSerialNumber = 0xC62F;

// Maker notes: the camera body's serial number.
inline constexpr std::uint16_t CanonSerialNumber = 0x000C;
inline constexpr std::uint16_t NikonSerialKey = 0x001D;
inline constexpr std::uint16_t NikonSerialNumber = 0x00A0;
} // namespace tag

// What a naming read keeps of the main and EXIF directories (GPS is passed over whole).
inline constexpr std::array kTagsForNames = {
    tag::Make, tag::Model, tag::ModifyDate, tag::DateTimeOriginal, tag::CreateDate, tag::XmpPacket,
    tag::IptcRecords,
    // pixel sizes, the related image's sizes
    tag::ImageWidth, tag::ImageHeight, tag::ExifImageWidth, tag::ExifImageHeight,
    tag::RelatedImageWidth, tag::RelatedImageHeight,
    // maker notes (the owner's name, the body serial), and the sub-directories
    tag::MakerNote, tag::SubIfds, tag::ExifIfd, tag::InteropIfd,
    // aperture, exposure, focal lengths, orientation
    tag::FNumber, tag::ApertureValue, tag::ExposureTime, tag::ShutterSpeedValue, tag::FocalLength,
    tag::FocalLengthIn35mmFormat, tag::Orientation,
    // what the 35 mm focal length is worked out from
    tag::ResolutionUnit, tag::FocalPlaneResolutionUnitOld, tag::FocalPlaneResolutionUnit,
    tag::FocalPlaneXResolutionOld, tag::FocalPlaneYResolutionOld, tag::FocalPlaneXResolution,
    tag::FocalPlaneYResolution,
    // the camera body
    tag::BodySerialNumber, tag::CameraSerialNumber};

} // namespace varlime
