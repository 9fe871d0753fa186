// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The interface of libgfl201.so, the imaging library loaded at run time. The library
// and the program that loads it both include this header, so the records are laid
// out once. The program resolves the seven entry points by name with dlsym.
#include <cstdint>

extern "C" {

using GFL_INT16 = std::int16_t;
using GFL_UINT16 = std::uint16_t;
using GFL_INT32 = std::int32_t;
using GFL_UINT32 = std::uint32_t;
using GFL_BOOL = std::uint8_t;
using GFL_ERROR = std::int16_t;

// Results of gflLoadBitmap; 0 is success.
enum : GFL_ERROR {
    GFL_NO_ERROR = 0,
    GFL_ERROR_FILE_OPEN = 1,
    GFL_ERROR_FILE_READ = 2,
    GFL_ERROR_NO_MEMORY = 3,
    GFL_ERROR_UNKNOWN_FORMAT = 4,
    GFL_ERROR_BAD_FORMAT = 5,
    GFL_ERROR_BAD_PARAMETERS = 6,
};

// Colour models a caller may ask for. With BGR, 24- and 32-bit rows come back
// blue, green, red (and a fourth byte).
enum : GFL_UINT16 {
    GFL_RGB = 0,
    GFL_BGR = 64,
};

// Bitmap types.
enum : GFL_UINT16 {
    GFL_BINARY = 1, // two levels, one byte a pixel: 0 black, anything else white
    GFL_GREY = 2,
    GFL_COLORS = 4, // one byte a pixel, indexes into the colour map
    GFL_RGB_TYPE = 16,
    GFL_RGBA_TYPE = 32,
    GFL_DEEP = 256, // more than 8 bits a channel, kept as decoded
};

// Load flags.
enum : GFL_UINT32 {
    // A smaller copy the file stores (a JPEG's EXIF thumbnail or Multi-Picture preview)
    // may stand for the picture when it is the same picture and large enough.
    GFL_LOAD_STORED_COPY = 0x0001,
};

struct GFL_LOAD_PARAMS {
    GFL_UINT32 Flags;
    GFL_INT32 FormatIndex;
    GFL_INT32 ImageWanted;
    GFL_UINT16 Origin;
    GFL_UINT16 ColorModel;
    // The box the caller will show the picture in, in its stored orientation; 0 leaves
    // a side free, both 0 asks for the picture's own size. A larger picture is decoded
    // shrunk to fit it, keeping its proportions; a smaller one keeps its own size. A
    // picture that would not fit the memory budget even so is refused.
    GFL_INT32 WantedWidth;
    GFL_INT32 WantedHeight;
    GFL_INT32 Reserved[7];
};

struct GFL_COLORMAP {
    std::uint8_t Red[256];
    std::uint8_t Green[256];
    std::uint8_t Blue[256];
};

struct GFL_BITMAP {
    GFL_UINT16 Type;
    GFL_UINT16 Origin;
    GFL_INT32 Width;
    GFL_INT32 Height;
    GFL_UINT32 BytesPerLine;
    GFL_UINT16 BitsPerComponent;
    GFL_UINT16 ComponentsPerPixel;
    GFL_UINT16 BytesPerPixel;
    GFL_UINT16 Reserved;
    GFL_COLORMAP* ColorMap; // null when the picture has none
    std::uint8_t* Data;     // rows top first, BytesPerLine apart
};

struct GFL_FILE_INFORMATION {
    // The picture's own size, whatever size the bitmap was decoded to.
    GFL_INT32 Width;
    GFL_INT32 Height;
    char FormatName[16];
    // Not 0 when the bitmap already stands upright by the file's own record of its
    // orientation (HEIF's transformations): the caller must not turn it again.
    GFL_INT32 Upright;
    GFL_INT32 Reserved[7];
};

GFL_ERROR gflLibraryInit(void);
void gflLibraryExit(void);
const char* gflGetErrorString(GFL_ERROR error);
void gflEnableLZW(GFL_BOOL enable);
void gflFreeBitmap(GFL_BITMAP* bitmap);
GFL_ERROR gflLoadBitmap(const char* filename, GFL_BITMAP** bitmap, const GFL_LOAD_PARAMS* params,
                        GFL_FILE_INFORMATION* info);
void gflGetDefaultLoadParams(GFL_LOAD_PARAMS* params);

using GflLibraryInitFn = GFL_ERROR (*)(void);
using GflLibraryExitFn = void (*)(void);
using GflGetErrorStringFn = const char* (*)(GFL_ERROR);
using GflEnableLZWFn = void (*)(GFL_BOOL);
using GflFreeBitmapFn = void (*)(GFL_BITMAP*);
using GflLoadBitmapFn = GFL_ERROR (*)(const char*, GFL_BITMAP**, const GFL_LOAD_PARAMS*,
                                      GFL_FILE_INFORMATION*);
using GflGetDefaultLoadParamsFn = void (*)(GFL_LOAD_PARAMS*);
}
