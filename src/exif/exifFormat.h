// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Turning the raw bytes of an EXIF entry into the text shown after " = " in the
// listings. Everything here is a pure function of its arguments (and of the
// program-wide decimal mark), so it needs no reader object: the byte order is
// passed in as a flag.
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace varlime {

// A value decoder of the tag tables: takes a presented value, gives a new text.
using TDecoder = std::string (*)(std::string_view value);

// Raised by a decoder whose input it cannot read (only DecodeFlash does); the
// directory walk turns it into a failed read, never into a crash.
struct ExifFailure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The decimal mark used for every number with decimals, written and read back.
// The program sets it once at start from the user's locale; it is '.' until then.
void setDecimalMark(char mark);
char decimalMark();

// The value types of TIFF and EXIF entries. A file may hold any number there: the
// enumeration has room for all of them, and an unknown one has no byte size.
namespace exif_type {
enum ExifType : std::uint16_t {
    Byte = 1,
    Ascii = 2,
    Short = 3,
    Long = 4,
    Rational = 5,
    SByte = 6,
    Undefined = 7,
    SShort = 8,
    SLong = 9,
    SRational = 10,
    Float = 11,
    Double = 12,
};
} // namespace exif_type
using exif_type::ExifType;

// Byte size of a TIFF value type (1..12); 0 for any other type.
int TypeByteSize(int type);

// Bytes combined into one number in the given byte order; only the low 32 bits
// remain. An empty string gives 0. BytesToUnsigned keeps them as they are, for the
// offsets, counts and unsigned values of a file; BytesToInt takes them as a signed
// 32-bit integer, for the signed types only.
std::uint32_t BytesToUnsigned(bool bigEndian, std::string_view bytes);
std::int32_t BytesToInt(bool bigEndian, std::string_view bytes);

// Numeric value of raw bytes of the given TIFF type (0 for texts, unknown types and
// zero denominators; FLOAT and DOUBLE as IEEE values in the given byte order).
double ValueAsNumber(bool bigEndian, std::string_view raw, int type);

// Nearest integer, halves to even, held inside the 32-bit range (NaN gives 0).
std::int32_t RoundHalfEven(double v);

// printf-like formatting of one number with a pattern holding one %f or %d
// conversion (flags, width, precision), with the program's decimal mark and
// independent of the C library's locale. Text around the conversion is kept.
std::string FormatNumber(std::string_view pattern, double value);

// Bytes from a file as UTF-8 text: kept as they are when they already are valid
// UTF-8, otherwise read as Windows-1252, the code page of the files' origin.
std::string BytesAsText(std::string_view bytes);

std::string FormatValue(bool bigEndian, std::string_view raw, int type, std::string_view codes,
                        std::string_view pattern);
std::string DecodeField(std::string_view codes, std::string_view value);
std::string Printable(std::string_view text);
double ParseFraction(std::string_view text);

std::string DecodeComponents(std::string_view value);
std::string DecodeShutterSpeed(std::string_view value);
std::string DecodeFlash(std::string_view value);
std::string DecodeWideText(std::string_view value);
std::string DecodeDegrees(std::string_view value);
std::string DecodeGpsTime(std::string_view value);

} // namespace varlime
