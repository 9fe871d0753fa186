// SPDX-License-Identifier: GPL-3.0-or-later
// The table of file kinds: extensions to kinds, first bytes to containers.
#include "core/annexes.h"
#include "core/fileKinds.h"

#include <gtest/gtest.h>

#include <string>

using namespace varlime;

namespace {

TEST(FileKinds, ByName) {
    struct Cas {
        const char* nom;
        FileKind kind;
        Container parNom; // the container the name alone decides
        bool camera;
        bool jpeg;
    };
    for (const Cas& c : std::initializer_list<Cas>{
             {"IMG_1.JPG", FileKind::Jpeg, Container::Jpeg, true, true},
             {"a.Jpeg", FileKind::Jpeg, Container::Jpeg, true, true},
             {"a.jpe", FileKind::Jpeg, Container::Jpeg, true, true},
             // Read by its bytes, decoded as a JPEG.
             {"a.jfif", FileKind::Jpeg, Container::None, true, true},
             {"MVI_1.THM", FileKind::Thumbnail, Container::Jpeg, true, true},
             {"a.tif", FileKind::Tiff, Container::Tiff, true, false},
             {"a.TIFF", FileKind::Tiff, Container::Tiff, true, false},
             {"a.nef", FileKind::Raw, Container::Tiff, true, false},
             {"a.PEF", FileKind::Raw, Container::Tiff, true, false},
             {"a.cr2", FileKind::Raw, Container::None, true, false},
             {"a.CR3", FileKind::Raw, Container::None, true, false},
             {"a.orf", FileKind::Raw, Container::None, true, false},
             {"a.raf", FileKind::Raw, Container::None, true, false},
             {"a.3fr", FileKind::Raw, Container::None, true, false},
             {"a.HEIC", FileKind::Heif, Container::None, true, false},
             {"a.avif", FileKind::Heif, Container::None, true, false},
             {"clip.MP4", FileKind::Video, Container::None, true, false},
             {"MVI_1.AVI", FileKind::Video, Container::None, true, false},
             {"a.png", FileKind::Png, Container::None, false, false},
             {"a.webp", FileKind::WebP, Container::None, false, false},
             {"a.jxl", FileKind::JpegXl, Container::None, false, false},
             {"IMG_1.CR3.xmp", FileKind::Sidecar, Container::None, false, false},
             {"IMG_1.dxo", FileKind::Sidecar, Container::None, false, false},
             {"IMG_1.NEF.on1", FileKind::Sidecar, Container::None, false, false},
             {"IMG_1.X3F", FileKind::Raw, Container::None, true, false},
             {"notes.txt", FileKind::Unknown, Container::None, false, false},
             {"JPG", FileKind::Unknown, Container::None, false, false},
             {"dir.jpg/file", FileKind::Unknown, Container::None, false, false},
             {"a.jpg.bak", FileKind::Unknown, Container::None, false, false},
             {"a.verylongextension", FileKind::Unknown, Container::None, false, false},
         }) {
        EXPECT_EQ(kindOfName(c.nom), c.kind) << c.nom;
        EXPECT_EQ(containerByName(c.nom), c.parNom) << c.nom;
        EXPECT_EQ(isCameraFile(c.nom), c.camera) << c.nom;
        EXPECT_EQ(isJpegName(c.nom), c.jpeg) << c.nom;
    }
}

// The listing tells a sidecar by the table: every sidecar kind is one there.
TEST(FileKinds, EverySidecarKindIsASidecar) {
    for (const GenreAnnexe& g : kGenresAnnexes) {
        const std::string nom = "IMG_1." + std::string(g.suffixe);
        EXPECT_EQ(kindOfName(nom), FileKind::Sidecar) << nom;
        EXPECT_TRUE(estNomAnnexe(nom)) << nom;
    }
}

TEST(FileKinds, ByFirstBytes) {
    using namespace std::string_literals;
    struct Cas {
        std::string tete;
        Container container;
    };
    for (const Cas& c : std::initializer_list<Cas>{
             {"\xFF\xD8\xFF\xE1"s, Container::Jpeg},
             {"\xFF\xD8"s, Container::None},
             {"II*\0\x08\0\0\0"s, Container::Tiff},
             {"MM\0*\0\0\0\x08"s, Container::Tiff},
             {"IIRO\x08\0\0\0"s, Container::Tiff},
             {"IIRS\x08\0\0\0"s, Container::Tiff},
             {"MMOR\0\0\0\x08"s, Container::Tiff},
             {"IIU\0\x08\0\0\0"s, Container::Tiff},
             {"II+\0\x08\0\0\0"s, Container::None},
             {"FUJIFILMCCD-RAW 0201"s, Container::Raf},
             {"\0MRM\0\0\x0a\x0c"s, Container::Mrw},
             {"II\x1a\0\0\0HEAPCCDR"s, Container::Crw},
             {"II\x1a\0\0\0HEAPCCD"s, Container::None},
             {"\0\0\0\x18"
              "ftypcrx "s,
              Container::IsoMedia},
             {"\0\0\0\x18"
              "ftypheic"s,
              Container::IsoMedia},
             {"\0\0\x0f\x17"
              "moov"s,
              Container::IsoMedia},
             {"\x89PNG\r\n\x1A\n"s, Container::Png},
             {"RIFF\0\0\0\0WEBPVP8X"s, Container::WebP},
             {"RIFF\0\0\0\0AVI LIST"s, Container::None},
             {"\0\0\0\x0CJXL \r\n\x87\n"s, Container::JpegXl},
             {"\xFF\x0A"s, Container::None},
             {""s, Container::None},
         })
        EXPECT_EQ(containerOfBytes(c.tete), c.container) << c.tete;
}

// What the picture loaders take a file for: its first bytes, or its name when the table
// knows the extension.
TEST(FileKinds, ForTheLoaders) {
    using namespace std::string_literals;
    struct Cas {
        const char* nom;
        std::string tete;
        FileKind parOctets, pourChargeur;
    };
    const std::string tiff = "II*\0\x10\0\0\0"s;
    for (const Cas& c : std::initializer_list<Cas>{
             {"a.jpg", "\xFF\xD8\xFF\xE0"s, FileKind::Jpeg, FileKind::Jpeg},
             {"photo", "\xFF\xD8\xFF\xE1"s, FileKind::Jpeg, FileKind::Jpeg},
             {"a.tif", tiff + "\0\0"s, FileKind::Tiff, FileKind::Tiff},
             // A CR2 says so at its eighth byte; a DNG starts as any TIFF does.
             {"a.cr2", tiff + "CR\x02\0"s, FileKind::Raw, FileKind::Raw},
             {"cr2", tiff + "CR\x02\0"s, FileKind::Raw, FileKind::Raw},
             {"a.dng", tiff + "\0\0"s, FileKind::Tiff, FileKind::Raw},
             {"a.orf", "IIRO\x08\0\0\0"s, FileKind::Raw, FileKind::Raw},
             {"a.rw2", "IIU\0\x08\0\0\0"s, FileKind::Raw, FileKind::Raw},
             {"a.raf", "FUJIFILMCCD-RAW 0201"s, FileKind::Raw, FileKind::Raw},
             {"a.mrw", "\0MRM\0\0\x0a\x0c"s, FileKind::Raw, FileKind::Raw},
             {"x.heic",
              "\0\0\0\x18"
              "ftypheic\0\0\0\0"s,
              FileKind::Heif, FileKind::Heif},
             {"x",
              "\0\0\0\x1c"
              "ftypmif1\0\0\0\0"s,
              FileKind::Heif, FileKind::Heif},
             {"x",
              "\0\0\0\x1c"
              "ftypavif\0\0\0\0"s,
              FileKind::Heif, FileKind::Heif},
             {"x.cr3",
              "\0\0\0\x18"
              "ftypcrx \0\0\0\0"s,
              FileKind::Raw, FileKind::Raw},
             {"x",
              "\0\0\0\x18"
              "ftypisom\0\0\x02\0"s,
              FileKind::Video, FileKind::Video},
             {"x",
              "\0\0\0\x14"
              "ftypqt  \0\0\0\0"s,
              FileKind::Video, FileKind::Video},
             {"x", "\0\0\x0f\x17moov"s, FileKind::Video, FileKind::Video},
             // Named as a picture, the name decides.
             {"x.mp4",
              "\0\0\0\x1c"
              "ftypmif1\0\0\0\0"s,
              FileKind::Heif, FileKind::Video},
             {"x", "\x89PNG\r\n\x1A\n"s, FileKind::Png, FileKind::Png},
             {"x", "RIFF\0\0\0\0WEBPVP8X"s, FileKind::WebP, FileKind::WebP},
             {"x", "\0\0\0\x0CJXL \r\n\x87\n"s, FileKind::JpegXl, FileKind::JpegXl},
             {"x", "\xFF\x0A\xFA"s, FileKind::JpegXl, FileKind::JpegXl},
             {"x", "BM\x36\0\0\0\0\0\0\0\x36\0\0\0"s, FileKind::Bitmap, FileKind::Bitmap},
             {"a.dib", "BM"s, FileKind::Unknown, FileKind::Bitmap},
             {"x", "RIFF\0\0\0\0AVI LIST"s, FileKind::Unknown, FileKind::Unknown},
             {"x",
              "\0\0\0\x18"
              "ftyp"s,
              FileKind::Video, FileKind::Video},
             {"x", ""s, FileKind::Unknown, FileKind::Unknown},
         }) {
        EXPECT_EQ(kindOfBytes(c.tete), c.parOctets) << c.nom << " " << c.tete;
        EXPECT_EQ(kindOfFile(c.nom, c.tete), c.pourChargeur) << c.nom << " " << c.tete;
    }
}

} // namespace
