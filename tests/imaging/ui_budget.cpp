// SPDX-License-Identifier: GPL-3.0-or-later
// Pictures stay within their memory budget whatever a file declares or a caller asks:
// each case runs in a child process whose loaders may take no more than 1 GiB of address
// space; under AddressSanitizer, which reserves far more address space than that for
// itself, the peak of the memory allocated is counted by its hooks instead, and held to
// the budget itself (512 MiB). Large
// bitmaps that fit the budget load, with the imaging library and without (Qt's readers
// for BMP and PNG), at the size asked and in their own proportions.
#include "exif/dEXIF.h"
#include "imaging/chargementImage.h"
#include "imaging/ui/chargeurQt.h"
#include "imaging_files.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <functional>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
#define VARLIME_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VARLIME_ASAN 1
#endif
#endif

#ifdef VARLIME_ASAN
// AddressSanitizer's allocator hooks (its sanitizer/allocator_interface.h, which not
// every compiler installs).
extern "C" {
int __sanitizer_install_malloc_and_free_hooks(void (*)(const volatile void*, std::size_t),
                                              void (*)(const volatile void*));
std::size_t __sanitizer_get_allocated_size(const volatile void*);
}
#endif

using namespace varlime;
using namespace varlime::test;

namespace {

constexpr std::uint64_t kLimite = std::uint64_t{1} << 30;

#ifdef VARLIME_ASAN
std::atomic<std::uint64_t> enCours{0}, pic{0};

void surMalloc(const volatile void*, std::size_t taille) {
    const std::uint64_t n = enCours += taille;
    std::uint64_t p = pic.load();
    while (n > p && !pic.compare_exchange_weak(p, n)) {
    }
}
void surFree(const volatile void* p) {
    enCours -= __sanitizer_get_allocated_size(p);
}
#else
// The address space the child holds already, in bytes.
std::uint64_t espaceActuel() {
    unsigned long pages = 0;
    if (std::FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%lu", &pages) != 1)
            pages = 0;
        std::fclose(f);
    }
    return static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(sysconf(_SC_PAGESIZE));
}
#endif

struct Issue {
    bool termine = false;
    std::string resultat;
    std::uint64_t pic = 0;
};

// Runs `f` in a child process held to kLimite more than it holds already; the child
// writes back what `f` returned and, under AddressSanitizer, its peak allocation.
Issue dansUnEnfant(const std::function<std::string()>& f) {
    int tube[2];
    if (pipe(tube) != 0)
        return {};
    std::fflush(nullptr);
    const pid_t enfant = fork();
    if (enfant == 0) {
        close(tube[0]);
#ifdef VARLIME_ASAN
        enCours = 0;
        pic = 0;
        __sanitizer_install_malloc_and_free_hooks(surMalloc, surFree);
#else
        const rlimit limite{espaceActuel() + kLimite, espaceActuel() + kLimite};
        setrlimit(RLIMIT_AS, &limite);
#endif
        const std::string r = f();
        std::uint64_t p = 0;
#ifdef VARLIME_ASAN
        p = pic.load();
#endif
        const std::string message = r + "\n" + std::to_string(p) + "\n";
        const bool ecrit =
            write(tube[1], message.data(), message.size()) == static_cast<ssize_t>(message.size());
        _exit(ecrit ? 0 : 1);
    }
    close(tube[1]);
    std::string lu;
    char tampon[256];
    for (ssize_t n; (n = read(tube[0], tampon, sizeof tampon)) > 0;)
        lu.append(tampon, static_cast<std::size_t>(n));
    close(tube[0]);
    int etat = 0;
    waitpid(enfant, &etat, 0);
    Issue i;
    i.termine = WIFEXITED(etat) && WEXITSTATUS(etat) == 0;
    const auto fin = lu.find('\n');
    if (fin != std::string::npos) {
        i.resultat = lu.substr(0, fin);
        i.pic = std::stoull(lu.substr(fin + 1));
    }
    return i;
}

std::string pngTexteEnorme() {
    std::string s(
        "\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0\0\x10\0\0\0\x0c\x10\x02\0\0\0\xb4\x15\x76\x95", 33);
    s += std::string("\x30\x3a\x00\x25tEXtdate:modify", 19);
    return s;
}

std::string taille(const ImageChargee& r) {
    if (r.pixels.vide())
        return "refused";
    return std::to_string(r.pixels.largeur) + "x" + std::to_string(r.pixels.hauteur);
}

TEST(Budget, whatAFileDeclaresOrACallerAsksStaysBounded) {
    TempDir dir;
    const std::string grand = dir.path() + "grand.bmp";
    ASSERT_TRUE(ecrireBmpGrand(grand, 8000, 6000));
    // Over 33 megapixels: above Qt's default allowance, at 8 and at 16 bits a channel.
    const std::string png8 = dir.path() + "grand8.png", png16 = dir.path() + "grand16.png";
    ASSERT_TRUE(ecrirePngGrand(png8, 7000, 5000, 8));
    ASSERT_TRUE(ecrirePngGrand(png16, 7000, 5000, 16));
    // 8192 × 8000 at 16 bits a channel: whole, at 8 bytes a pixel, it is past the budget.
    const std::string png16Grand = dir.path() + "grand16b.png";
    ASSERT_TRUE(ecrirePngGrand(png16Grand, 8192, 8000, 16));
    const std::string paysage = photosDir() + "orientation/landscape_1.jpg";
    // 2,238 bytes of JPEG declaring 1 × 65500 pixels.
    const std::string haute = dir.write("haute.jpg", jpegUni(1, 65500, 90, 90, 90));
    const std::string regression = std::string(VARLIME_SOURCE_DIR) + "/fuzz/regressions-images/";
    struct Cas {
        const char* nom;
        std::string fichier;
        // The grid's thumbnail in a square of `largeur`, else --render `largeur` across.
        bool imagette;
        int largeur;
        const char* attendu;
    } cas[] = {
        // 300 × 19,650,000 pixels: refused before anything that size is made.
        {"tall picture rendered 300 across", haute, false, 300, "refused"},
        {"tall picture as a thumbnail", haute, true, 200, "1x200"},
        // 16384 × 12288: beyond the budget.
        {"photo at the widest width", paysage, false, 16384, "refused"},
        {"photo stretched within the budget", paysage, false, 8000, "8000x6000"},
        {"8000 x 6000 bitmap", grand, false, 0, "8000x6000"},
        {"8000 x 6000 bitmap as a thumbnail", grand, true, 200, "200x150"},
        {"35 megapixel PNG", png8, false, 0, "7000x5000"},
        {"35 megapixel PNG, 16 bits a channel", png16, false, 1000, "1000x714"},
        {"8192 x 8000 PNG, 16 bits a channel, 300 across", png16Grand, false, 300, "300x293"},
        {"8192 x 8000 PNG, 16 bits a channel, as a thumbnail", png16Grand, true, 200, "200x195"},
        {"PNG declaring 100000 x 100000", dir.write("faux.png", enteteSeul("png", 100000, 100000)),
         false, 0, "refused"},
        {"JPEG declaring 65535 x 65535", dir.write("faux.jpg", enteteSeul("jpeg", 65535, 65535)),
         true, 200, "refused"},
        {"TIFF declaring 60000 x 60000", dir.write("faux.tif", enteteSeul("tiff", 60000, 60000)),
         true, 200, "refused"},
        {"TIFF declaring 16000 x 16000", dir.write("faux2.tif", enteteSeul("tiff", 16000, 16000)),
         false, 0, "refused"},
        {"bitmap declaring 30000 x 30000", dir.write("faux.bmp", enteteSeul("bmp", 30000, 30000)),
         false, 0, "refused"},
        // A 16 × 12 PNG whose text chunk says it is 809,107,493 bytes long, cut short.
        {"PNG chunk declaring 800 MB", dir.write("texte.png", pngTexteEnorme()), false, 0,
         "refused"},
        // Inputs the fuzzers found: a HEIC whose tiles claim a depth its picture does not
        // have (libheif then sized a buffer of 800 MB), one whose 32 × 24 picture decodes
        // far larger, and the PNG above as found.
        {"HEIC tiles of another depth", regression + "heif_tile_depth.heic", true, 200, "refused"},
        {"HEIC decoding larger than it declares", regression + "heif_decoded_larger.heic", true,
         200, "refused"},
        // The phone's sample grid with a canvas of 32767 x 32767 in its description: libheif
        // made that canvas (some gigabytes) before any tile was decoded.
        {"HEIC grid canvas beyond its picture", regression + "heif_grid_canvas.heic", true, 200,
         "refused"},
        {"PNG text chunk as found", regression + "png_text_chunk_800mb.png", false, 0, "refused"},
    };
    for (const Cas& c : cas) {
        const Issue i = dansUnEnfant([&c] {
            LibGfl lib;
            TimgData reader;
            if (c.imagette) {
                DemandeImage d;
                d.boite = {c.largeur, c.largeur};
                d.apercuPermis = true;
                return taille(chargerImageRedressee(&lib, reader, c.fichier, d, chargerAvecQt));
            }
            return taille(rendreImage(&lib, reader, c.fichier, c.largeur, chargerAvecQt));
        });
        EXPECT_TRUE(i.termine) << c.nom;
        EXPECT_EQ(i.resultat, c.attendu) << c.nom;
        // Under AddressSanitizer, what was allocated at once never passed the budget.
        EXPECT_LE(i.pic, kBudgetOctets) << c.nom << ": " << i.pic;
    }
}

} // namespace
