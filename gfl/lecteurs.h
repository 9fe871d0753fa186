// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The readers of libgfl201.so, one a format, each reading a file into the bitmap record
// of libgfl.h within the budget of imaging/tailles.h. gflLoadBitmap picks one by the
// file's first bytes (the program's table of file kinds); the fuzz targets call each one directly.
#include "libgfl.h"

namespace varlime::gfl {

GFL_ERROR lireJpeg(const char* chemin, const GFL_LOAD_PARAMS& p, GFL_BITMAP** sortie,
                   GFL_FILE_INFORMATION* info);
GFL_ERROR lirePng(const char* chemin, const GFL_LOAD_PARAMS& p, GFL_BITMAP** sortie,
                  GFL_FILE_INFORMATION* info);
// A plain TIFF; a camera file built on TIFF (DNG, CR2) goes to lireRaw.
GFL_ERROR lireTiff(const char* chemin, const GFL_LOAD_PARAMS& p, GFL_BITMAP** sortie,
                   GFL_FILE_INFORMATION* info);
// Camera RAW files through LibRaw: the embedded preview, else the developed picture.
GFL_ERROR lireRaw(const char* chemin, const GFL_LOAD_PARAMS& p, GFL_BITMAP** sortie,
                  GFL_FILE_INFORMATION* info);

// HEIF pictures (HEIC, HEIF, AVIF) through libheif, upright by the file's own
// transformations.
GFL_ERROR lireHeif(const char* chemin, const GFL_LOAD_PARAMS& p, GFL_BITMAP** sortie,
                   GFL_FILE_INFORMATION* info);

// Films (MP4, MOV): the JPEG picture the film stores of itself, when it stores one.
GFL_ERROR lireFilm(const char* chemin, const GFL_LOAD_PARAMS& p, GFL_BITMAP** sortie,
                   GFL_FILE_INFORMATION* info);

// Frees what the readers return (gflFreeBitmap).
void libererBitmap(GFL_BITMAP* bitmap);

} // namespace varlime::gfl
