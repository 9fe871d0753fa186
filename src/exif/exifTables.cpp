// SPDX-License-Identifier: GPL-3.0-or-later
#include "exif/exifTables.h"

#include <algorithm>
#include <vector>

namespace varlime {

namespace {

// Rows are written with only the fields they use; the others stay empty.
constexpr TTagRow row(std::uint16_t tag, std::string_view key, std::string_view caption = {},
                      std::string_view codes = {}, std::string_view pattern = {},
                      TDecoder decoder = nullptr) {
    return TTagRow{tag, key, caption, codes, pattern, decoder, false};
}

// clang-format off
// Main table: one row per tag, in tag-number order, then the final "Unknown" row.
constexpr TTagRow kMainRows[] = {
    row(0x0001, "InteroperabilityIndex"),
    row(0x0002, "InteroperabilityVersion"),
    row(0x000B, "ACDComment"),
    row(0x00FE, "NewSubfileType"),
    row(0x00FF, "SubfileType"),
    row(0x0100, "ImageWidth"),
    row(0x0101, "ImageLength"),
    row(0x0102, "BitsPerSample"),
    row(0x0103, "Compression", "", "6:Jpeg,3:Uncompressed,1:TIFF"),
    row(0x0106, "PhotometricInterpretation", "", "1:Monochrome,2:RGB,6:YCbCr"),
    row(0x010A, "FillOrder"),
    row(0x010D, "DocumentName"),
    row(0x010E, "ImageDescription"),
    row(0x010F, "Make"),
    row(0x0110, "Model"),
    row(0x0111, "StripOffsets"),
    row(0x0112, "Orientation", "", "1:Normal,3:Rotated 180°,6:CounterClockwise 90°,8:Clockwise 90°"),
    row(0x0115, "SamplesPerPixel"),
    row(0x0116, "RowsPerStrip"),
    row(0x0117, "StripByteCounts"),
    row(0x0118, "MinSampleValue"),
    row(0x0119, "MaxSampleValue"),
    row(0x011A, "XResolution", "", "", "%5.2f"),
    row(0x011B, "YResolution", "", "", "%5.2f"),
    row(0x011C, "PlanarConfiguration"),
    row(0x011D, "PageName"),
    row(0x011E, "XPosition"),
    row(0x011F, "YPosition"),
    row(0x0120, "FreeOffsets"),
    row(0x0121, "FreeByteCounts"),
    row(0x0122, "GrayReponseUnit"),
    row(0x0123, "GrayReponseCurve"),
    row(0x0124, "T4Options"),
    row(0x0125, "T6Options"),
    row(0x0128, "ResolutionUnit", "", "1:None Specified,2:Inch,3:Centimeter"),
    row(0x0129, "PageNumber"),
    row(0x012D, "TransferFunction"),
    row(0x0131, "Software"),
    row(0x0132, "DateTime"),
    row(0x013B, "Artist"),
    row(0x013C, "HostComputer"),
    row(0x013D, "Predictor"),
    row(0x013E, "WhitePoint"),
    row(0x013F, "PrimaryChromaticities"),
    row(0x0140, "ColorMap"),
    row(0x0141, "HalfToneHints"),
    row(0x0142, "TileWidth"),
    row(0x0143, "TileLength"),
    row(0x0144, "TileOffsets"),
    row(0x0145, "TileByteCounts"),
    row(0x014A, "SubIFDs"),
    row(0x014C, "InkSet"),
    row(0x014D, "InkNames"),
    row(0x014E, "NumberOfInks"),
    row(0x0150, "DotRange"),
    row(0x0151, "TargetPrinter"),
    row(0x0152, "ExtraSample"),
    row(0x0153, "SampleFormat"),
    row(0x0154, "SMinSampleValue"),
    row(0x0155, "SMaxSampleValue"),
    row(0x0156, "TransferRange"),
    row(0x0157, "ClipPath"),
    row(0x0158, "XClipPathUnits"),
    row(0x0159, "YClipPathUnits"),
    row(0x015A, "Indexed"),
    row(0x015B, "JPEGTables"),
    row(0x015F, "OPIProxy"),
    row(0x0200, "JPEGProc"),
    row(0x0201, "JPEGInterchangeFormat"),
    row(0x0202, "JPEGInterchangeFormatLength"),
    row(0x0203, "JPEGRestartInterval"),
    row(0x0205, "JPEGLosslessPredictors"),
    row(0x0206, "JPEGPointTransforms"),
    row(0x0207, "JPEGQTables"),
    row(0x0208, "JPEGDCTables"),
    row(0x0209, "JPEGACTables"),
    row(0x0211, "YCbCrCoefficients"),
    row(0x0212, "YCbCrSubSampling"),
    row(0x0213, "YCbCrPositioning", "", "1:Centered,2:Co-sited"),
    row(0x0214, "ReferenceBlackWhite"),
    row(0x02BC, "ExtensibleMetadataPlatform"),
    row(0x0301, "Gamma"),
    row(0x0302, "ICCProfileDescriptor"),
    row(0x0303, "SRGBRenderingIntent"),
    row(0x0304, "ImageTitle"),
    row(0x1000, "RelatedImageFileFormat"),
    row(0x1001, "RelatedImageWidth"),
    row(0x1002, "RelatedImageHeight"),
    row(0x5001, "ResolutionXUnit"),
    row(0x5002, "ResolutionYUnit"),
    row(0x5003, "ResolutionXLengthUnit"),
    row(0x5004, "ResolutionYLengthUnit"),
    row(0x5005, "PrintFlags"),
    row(0x5006, "PrintFlagsVersion"),
    row(0x5007, "PrintFlagsCrop"),
    row(0x5008, "PrintFlagsBleedWidth"),
    row(0x5009, "PrintFlagsBleedWidthScale"),
    row(0x500A, "HalftoneLPI"),
    row(0x500B, "HalftoneLPIUnit"),
    row(0x500C, "HalftoneDegree"),
    row(0x500D, "HalftoneShape"),
    row(0x500E, "HalftoneMisc"),
    row(0x500F, "HalftoneScreen"),
    row(0x5010, "JPEGQuality"),
    row(0x5011, "GridSize"),
    row(0x5012, "ThumbnailFormat"),
    row(0x5013, "ThumbnailWidth"),
    row(0x5014, "ThumbnailHeight"),
    row(0x5015, "ThumbnailColorDepth"),
    row(0x5016, "ThumbnailPlanes"),
    row(0x5017, "ThumbnailRawBytes"),
    row(0x5018, "ThumbnailSize"),
    row(0x5019, "ThumbnailCompressedSize"),
    row(0x501A, "ColorTransferFunction"),
    row(0x501B, "ThumbnailData"),
    row(0x5020, "ThumbnailImageWidth"),
    row(0x5021, "ThumbnailImageHeight"),
    row(0x5022, "ThumbnailBitsPerSample"),
    row(0x5023, "ThumbnailCompression"),
    row(0x5024, "ThumbnailPhotometricInterp"),
    row(0x5025, "ThumbnailImageDescription"),
    row(0x5026, "ThumbnailEquipMake"),
    row(0x5027, "ThumbnailEquipModel"),
    row(0x5028, "ThumbnailStripOffsets"),
    row(0x5029, "ThumbnailOrientation"),
    row(0x502A, "ThumbnailSamplesPerPixel"),
    row(0x502B, "ThumbnailRowsPerStrip"),
    row(0x502C, "ThumbnailStripBytesCount"),
    row(0x502D, "ThumbnailResolutionX"),
    row(0x502E, "ThumbnailResolutionY"),
    row(0x502F, "ThumbnailPlanarConfig"),
    row(0x5030, "ThumbnailResolutionUnit"),
    row(0x5031, "ThumbnailTransferFunction"),
    row(0x5032, "ThumbnailSoftwareUsed"),
    row(0x5033, "ThumbnailDateTime"),
    row(0x5034, "ThumbnailArtist"),
    row(0x5035, "ThumbnailWhitePoint"),
    row(0x5036, "ThumbnailPrimaryChromaticities"),
    row(0x5037, "ThumbnailYCbCrCoefficients"),
    row(0x5038, "ThumbnailYCbCrSubsampling"),
    row(0x5039, "ThumbnailYCbCrPositioning"),
    row(0x503A, "ThumbnailRefBlackWhite"),
    row(0x503B, "ThumbnailCopyRight"),
    row(0x5090, "LuminanceTable"),
    row(0x5091, "ChrominanceTable"),
    row(0x5100, "FrameDelay"),
    row(0x5101, "LoopCount"),
    row(0x5110, "PixelUnit"),
    row(0x5111, "PixelPerUnitX"),
    row(0x5112, "PixelPerUnitY"),
    row(0x5113, "PaletteHistogram"),
    row(0x800D, "ImageID"),
    row(0x80E3, "Matteing"),
    row(0x80E4, "DataType"),
    row(0x80E5, "ImageDepth"),
    row(0x80E6, "TileDepth"),
    row(0x828D, "CFARepeatPatternDim"),
    row(0x828E, "CFAPattern"),
    row(0x828F, "BatteryLevel"),
    row(0x8298, "Copyright"),
    row(0x829A, "ExposureTime", "", "", "%s sec"),
    row(0x829D, "FNumber", "", "", "F%0.1f"),
    row(0x83BB, "IPTC/NAA", "IPTC/NAA"),
    row(0x84E3, "IT8RasterPadding"),
    row(0x84E5, "IT8ColorTable"),
    row(0x8649, "ImageResourceInformation"),
    row(0x8769, "ExifOffset"),
    row(0x8773, "InterColorProfile"),
    row(0x8822, "ExposureProgram", "", "0:Unidentified,1:Manual,2:Normal,3:Aperture priority,4:Shutter priority,5:Creative(slow),6:Action(high-speed),7:Portrait mode,8:Landscape mode"),
    row(0x8824, "SpectralSensitivity"),
    row(0x8825, "GPSInfo"),
    row(0x8827, "ISOSpeedRatings"),
    row(0x8828, "OECF"),
    row(0x8829, "Interlace"),
    row(0x882A, "TimeZoneOffset"),
    row(0x882B, "SelfTimerMode"),
    row(0x9000, "ExifVersion"),
    row(0x9003, "DateTimeOriginal"),
    row(0x9004, "DateTimeDigitized"),
    row(0x9101, "ComponentsConfiguration", "", "", "", DecodeComponents),
    row(0x9102, "CompressedBitsPerPixel"),
    row(0x9201, "ShutterSpeedValue", "", "", "", DecodeShutterSpeed),
    row(0x9202, "ApertureValue", "", "", "F%0.1f"),
    row(0x9203, "BrightnessValue"),
    row(0x9204, "ExposureBiasValue"),
    row(0x9205, "MaxApertureValue", "", "", "F%0.1f"),
    row(0x9206, "SubjectDistance"),
    row(0x9207, "MeteringMode", "", "0:Unknown,1:Average,2:Center,3:Spot,4:MultiSpot,5:MultiSegment,6:Partial"),
    row(0x9208, "LightSource", "", "0:Unidentified,1:Daylight,2:Fluorescent,3:Tungsten,10:Flash,17:Std A,18:Std B,19:Std C"),
    row(0x9209, "Flash", "", "", "", DecodeFlash),
    row(0x920A, "FocalLength", "", "", "%5.2f mm"),
    row(0x920B, "FlashEnergy"),
    row(0x920C, "SpatialFrequencyResponse"),
    row(0x920D, "Noise"),
    row(0x920E, "FocalPlaneXResolution"),
    row(0x920F, "FocalPlaneYResolution"),
    row(0x9210, "FocalPlaneResolutionUnit", "", "1:None Specified,2:Inch,3:Centimeter"),
    row(0x9211, "ImageNumber"),
    row(0x9212, "SecurityClassification"),
    row(0x9213, "ImageHistory"),
    row(0x9214, "SubjectLocation"),
    row(0x9215, "ExposureIndex"),
    row(0x9216, "TIFF/EPStandardID"),
    row(0x9217, "SensingMethod"),
    row(0x923F, "StoNits"),
    row(0x927C, "MakerNote"),
    row(0x9286, "UserComment"),
    row(0x9290, "SubSecTime"),
    row(0x9291, "SubSecTimeOriginal"),
    row(0x9292, "SubSecTimeDigitized"),
    row(0x953C, "ImageSourceData"),
    row(0x9C9B, "Title", "", "", "", DecodeWideText),
    row(0x9C9C, "Comments", "", "", "", DecodeWideText),
    row(0x9C9D, "Author", "", "", "", DecodeWideText),
    row(0x9C9E, "Keywords", "", "", "", DecodeWideText),
    row(0x9C9F, "Subject", "", "", "", DecodeWideText),
    row(0xA000, "FlashPixVersion"),
    row(0xA001, "ColorSpace", "", "0:sBW,1:sRGB"),
    row(0xA002, "ExifImageWidth"),
    row(0xA003, "ExifImageLength"),
    row(0xA004, "RelatedSoundFile"),
    row(0xA005, "InteroperabilityOffset"),
    row(0xA20B, "FlashEnergy"),
    row(0xA20C, "SpatialFrequencyResponse"),
    row(0xA20E, "FocalPlaneXResolution"),
    row(0xA20F, "FocalPlaneYResolution"),
    row(0xA210, "FocalPlaneResolutionUnit", "", "1:None Specified,2:Inch,3:Centimeter"),
    row(0xA211, "ImageNumber"),
    row(0xA212, "SecurityClassification"),
    row(0xA213, "ImageHistory"),
    row(0xA214, "SubjectLocation"),
    row(0xA215, "ExposureIndex"),
    row(0xA216, "TIFF/EPStandardID", "TIFF/EPStandardID"),
    row(0xA217, "SensingMethod", "", "0:Unknown,1:MonochromeArea,2:OneChipColorArea,3:TwoChipColorArea,4:ThreeChipColorArea,5:ColorSequentialArea,6:MonochromeLinear,7:TriLinear,8:ColorSequentialLinear"),
    row(0xA300, "FileSource", "", "1:Unknown,3:Digital Still Camera"),
    row(0xA301, "SceneType", "", "0:Unknown,1:Directly Photographed"),
    row(0xA302, "CFAPattern"),
    row(0xA401, "CustomRendered", "", "0:Normal process,1:Custom process"),
    row(0xA402, "ExposureMode", "", "0:Auto,1:Manual,2:Auto bracket"),
    row(0xA403, "WhiteBalance", "", "0:Auto,1:Manual"),
    row(0xA404, "DigitalZoomRatio"),
    row(0xA405, "FocalLengthin35mmFilm", "Focal Length in 35mm Film", "", "%5.2f mm"),
    row(0xA406, "SceneCaptureType", "", "0:Standard,1:Landscape,2:Portrait,3:Night scene"),
    row(0xA407, "GainControl", "", "0:None,1:Low gain up,2:High gain up,3:Low gain down,4:High gain down"),
    row(0xA408, "Contrast", "", "0:Normal,1:Soft,2:Hard"),
    row(0xA409, "Saturation", "", "0:Normal,1:Low,2:High"),
    row(0xA40A, "Sharpness", "", "0:Normal,1:Soft,2:Hard"),
    row(0xA40B, "DeviceSettingDescription"),
    row(0xA40C, "SubjectDistanceRange", "", "0:Unknown,1:Macro,2:Close view,3:Distant view"),
    row(0xA420, "ImageUniqueID", "", "0:Close view,1:Distant view"),
    row(0x0000, "Unknown", "Unknown"),
};

constexpr TTagRow kGpsRows[] = {
    row(0x0000, "GPSVersionID"),
    row(0x0001, "GPSLatitudeRef"),
    row(0x0002, "GPSLatitude", "", "", "", DecodeDegrees),
    row(0x0003, "GPSLongitudeRef"),
    row(0x0004, "GPSLongitude", "", "", "", DecodeDegrees),
    row(0x0005, "GPSAltitudeRef", "", "0:Sealevel"),
    row(0x0006, "GPSAltitude"),
    row(0x0007, "GPSTimeStamp", "", "", "", DecodeGpsTime),
    row(0x0008, "GPSSatellites"),
    row(0x0009, "GPSStatus"),
    row(0x000A, "GPSMeasureMode"),
    row(0x000B, "GPSDOP"),
    row(0x000C, "GPSSpeedRef"),
    row(0x000D, "GPSSpeed"),
    row(0x000E, "GPSTrackRef"),
    row(0x000F, "GPSTrack"),
    row(0x0010, "GPSImageDirectionRef"),
    row(0x0011, "GPSImageDirection"),
    row(0x0012, "GPSMapDatum"),
    row(0x0013, "GPSDestLatitudeRef"),
    row(0x0014, "GPSDestLatitude", "", "", "", DecodeDegrees),
    row(0x0015, "GPSDestLongitudeRef"),
    row(0x0016, "GPSDestLongitude", "", "", "", DecodeDegrees),
    row(0x0017, "GPSDestBearingkRef"),
    row(0x0018, "GPSDestBearing"),
    row(0x0019, "GPSDestDistanceRef"),
    row(0x001A, "GPSDestDistance"),
    row(0x001B, "GPSProcessingMode"),
    row(0x001C, "GPSAreaInformation"),
    row(0x001D, "GPSDateStamp"),
    row(0x001E, "GPSDifferential"),
};

// clang-format on

static_assert(std::size(kMainRows) == 251);
static_assert(std::size(kGpsRows) == 31);

struct DerivedCaptions {
    std::vector<std::string> main, gps;
    DerivedCaptions() {
        for (const auto& r : kMainRows)
            main.push_back(r.Caption.empty() ? CaptionFromKeyName(r.KeyName)
                                             : std::string(r.Caption));
        for (const auto& r : kGpsRows)
            gps.push_back(r.Caption.empty() ? CaptionFromKeyName(r.KeyName)
                                            : std::string(r.Caption));
    }
};

// Built on first use and never changed afterwards, so it is safe to share.
const DerivedCaptions& derivedCaptions() {
    static const DerivedCaptions captions;
    return captions;
}

bool isCapital(char c) {
    return c >= 'A' && c <= 'Z';
}

} // namespace

std::span<const TTagRow> MainTagTable() {
    return kMainRows;
}
std::span<const TTagRow> GpsTagTable() {
    return kGpsRows;
}

std::string CaptionFromKeyName(std::string_view keyName) {
    if (keyName.empty())
        return {};
    std::string out(1, keyName[0]);
    bool afterCapital = true;
    for (std::size_t i = 1; i < keyName.size(); ++i) {
        const char c = keyName[i];
        if (!isCapital(c)) {
            out += c;
            afterCapital = false;
            continue;
        }
        if (!afterCapital)
            out += ' ';
        out += c;
        afterCapital = true;
    }
    return out;
}

std::string_view RowCaption(const TTagRow& row) {
    if (!row.Caption.empty())
        return row.Caption;
    const auto* p = &row;
    if (p >= std::begin(kMainRows) && p < std::end(kMainRows))
        return derivedCaptions().main[static_cast<std::size_t>(p - std::begin(kMainRows))];
    if (p >= std::begin(kGpsRows) && p < std::end(kGpsRows))
        return derivedCaptions().gps[static_cast<std::size_t>(p - std::begin(kGpsRows))];
    return row.KeyName;
}

const TTagRow& LookupTag(TDirGroup group, std::uint16_t tag) {
    const TTagRow& unknown = kMainRows[std::size(kMainRows) - 1];
    if (group == TDirGroup::Gps) {
        for (const auto& r : kGpsRows)
            if (r.TagNumber == tag)
                return r;
        return unknown;
    }
    // The rows before "Unknown" are in strictly increasing tag order (a test checks it).
    const auto* first = std::begin(kMainRows);
    const auto* last = std::end(kMainRows) - 1;
    const auto* it = std::lower_bound(
        first, last, tag, [](const TTagRow& r, std::uint16_t t) { return r.TagNumber < t; });
    if (it != last && it->TagNumber == tag)
        return *it;
    return unknown;
}

} // namespace varlime
