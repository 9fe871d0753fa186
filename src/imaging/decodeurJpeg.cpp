// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/decodeurJpeg.h"
#include "platform/fichierOrdinaire.h"

#include "core/curseurOctets.h"
#include "imaging/reduction.h"

#include <algorithm>
#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <limits>
#include <sys/stat.h>
#include <sys/types.h>
// jpeglib.h needs FILE and size_t declared first.
#include <jpeglib.h>

namespace varlime {

namespace {

struct Erreurs {
    jpeg_error_mgr mgr;
    std::jmp_buf saut;
    char texte[JMSG_LENGTH_MAX];
};

// libjpeg would end the process on a fatal error; come back to the caller instead.
extern "C" void sortieErreur(j_common_ptr cinfo) {
    Erreurs* e = reinterpret_cast<Erreurs*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, e->texte);
    std::longjmp(e->saut, 1);
}

// Warnings (a file cut short, extra bytes) are not worth a word: the picture shows.
extern "C" void taireMessage(j_common_ptr) {}

// Everything the decode holds lives here, made by the caller before the jump point, so
// a long jump back from libjpeg leaves nothing to unwind and only returns an error.
struct LectureJpeg {
    jpeg_decompress_struct cinfo;
    Erreurs err;
    Reducteur reducteur;
    std::vector<std::uint8_t> ligne;
    std::vector<std::uint8_t> ligneCmjn;
    bool cree = false;
    LectureJpeg() = default;
    LectureJpeg(const LectureJpeg&) = delete;
    LectureJpeg& operator=(const LectureJpeg&) = delete;
    ~LectureJpeg() {
        if (cree)
            jpeg_destroy_decompress(&cinfo);
    }
};

// The scale denominator (8, 4, 2 or 1) that keeps at least `cible` on both sides.
unsigned denominateur(unsigned largeur, unsigned hauteur, Taille cible) {
    for (unsigned d : {8u, 4u, 2u})
        if ((largeur + d - 1) / d >= static_cast<unsigned>(cible.largeur) &&
            (hauteur + d - 1) / d >= static_cast<unsigned>(cible.hauteur))
            return d;
    return 1;
}

// Decodes into `sortie` at the size the picture takes in `boite`. `image`: the
// picture's own size when these bytes are a stored copy of it (the rows then take the
// picture's proportions); zero for the picture itself. `sansDefaut`: a picture cut short
// or with damaged data fails instead of showing in part (a stored copy is only worth
// showing whole, the picture itself is there to fall back on).
bool decoder(LectureJpeg& l, Boite boite, Taille image, DestinationImage& sortie, bool sansDefaut,
             std::string* erreur) {
    jpeg_decompress_struct& cinfo = l.cinfo;
    if (setjmp(l.err.saut)) {
        if (erreur)
            *erreur = l.err.texte;
        return false;
    }
    if (jpeg_read_header(&cinfo, TRUE) != JPEG_HEADER_OK) {
        if (erreur)
            *erreur = "no JPEG header";
        return false;
    }
    // A copy's rows take the proportions of the picture it stands for.
    const Taille propre =
        image.largeur > 0 && image.hauteur > 0
            ? image
            : Taille{static_cast<int>(cinfo.image_width), static_cast<int>(cinfo.image_height)};
    const Taille cible = tailleCible(propre.largeur, propre.hauteur, boite);
    // Whatever the file declares, no more is decoded than the budget allows: libjpeg's
    // own buffers (a progressive picture keeps all its coefficients) are held to it too.
    if (static_cast<long long>(cinfo.image_width) * cinfo.image_height > kPixelsSourceMax ||
        !dansLeBudget(cible)) {
        if (erreur)
            *erreur = "picture too large";
        return false;
    }
    cinfo.mem->max_memory_to_use = static_cast<long>(kBudgetOctets / 2);
    const bool cmjn = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    if (cinfo.num_components == 1)
        cinfo.out_color_space = JCS_GRAYSCALE;
    else if (cmjn)
        cinfo.out_color_space = JCS_CMYK;
    else
        cinfo.out_color_space = JCS_EXT_BGR;
    cinfo.scale_num = 1;
    cinfo.scale_denom = denominateur(cinfo.image_width, cinfo.image_height, cible);
    jpeg_start_decompress(&cinfo);
    const int l0 = static_cast<int>(cinfo.output_width), h0 = static_cast<int>(cinfo.output_height);
    const int composantes = cinfo.output_components == 1 ? 1 : 3;
    if (l0 <= 0 || h0 <= 0 ||
        !l.reducteur.preparer(l0, h0, cible.largeur, cible.hauteur, composantes, true)) {
        if (erreur)
            *erreur = "picture too large";
        return false;
    }
    if (!sortie.preparer(propre.largeur, propre.hauteur, cible, composantes)) {
        if (erreur)
            *erreur = "not enough memory";
        return false;
    }
    l.ligne.assign(static_cast<std::size_t>(l0) * composantes, 128);
    if (cmjn)
        l.ligneCmjn.assign(static_cast<std::size_t>(l0) * 4, 0);
    const auto donner = [&](int y, const std::uint8_t* r) { sortie.ligne(y, r); };
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW ligne = cmjn ? l.ligneCmjn.data() : l.ligne.data();
        if (jpeg_read_scanlines(&cinfo, &ligne, 1) != 1)
            break;
        if (cmjn) {
            // Adobe writes CMYK inverted: each value is already 255 − ink.
            std::uint8_t* dest = l.ligne.data();
            for (int x = 0; x < l0; ++x) {
                const unsigned c = l.ligneCmjn[x * 4], m = l.ligneCmjn[x * 4 + 1],
                               j = l.ligneCmjn[x * 4 + 2], k = l.ligneCmjn[x * 4 + 3];
                dest[x * 3] = static_cast<std::uint8_t>(j * k / 255);
                dest[x * 3 + 1] = static_cast<std::uint8_t>(m * k / 255);
                dest[x * 3 + 2] = static_cast<std::uint8_t>(c * k / 255);
            }
        }
        l.reducteur.ajouter(l.ligne.data(), donner);
    }
    // libjpeg only warns about damaged data, and fills in what is missing. Rows a
    // damaged file never delivers stay as the destination made them (mid-grey).
    const bool abime = cinfo.output_scanline < cinfo.output_height || l.err.mgr.num_warnings > 0;
    jpeg_abort_decompress(&cinfo);
    if (sansDefaut && abime) {
        if (erreur)
            *erreur = "damaged picture data";
        return false;
    }
    return true;
}

void preparer(LectureJpeg& l) {
    l.cinfo.err = jpeg_std_error(&l.err.mgr);
    l.err.mgr.error_exit = sortieErreur;
    l.err.mgr.output_message = taireMessage;
    l.err.texte[0] = 0;
    jpeg_create_decompress(&l.cinfo);
    l.cree = true;
}

bool decoderMemoire(const std::uint8_t* data, std::size_t taille, Boite boite, Taille image,
                    DestinationImage& sortie, bool sansDefaut, std::string* erreur) {
    if (taille < 4 || data[0] != 0xFF || data[1] != 0xD8) {
        if (erreur)
            *erreur = "not a JPEG file";
        return false;
    }
    LectureJpeg l;
    preparer(l);
    jpeg_mem_src(&l.cinfo, data, static_cast<unsigned long>(taille));
    return decoder(l, boite, image, sortie, sansDefaut, erreur);
}

// ---- Copies of the picture stored in the file

// The segments before the picture's data: the EXIF block alone may take 64 KiB, and the
// Multi-Picture block comes after it.
constexpr std::size_t kEnteteMax = 256 * 1024;
// Enough of a stored copy to find its own frame size.
constexpr std::size_t kEnteteApercuMax = 64 * 1024;
// Larger than any preview a camera writes; such an entry is no preview to read whole.
constexpr std::uint64_t kApercuMax = std::uint64_t{64} << 20;
// A file listing more is damaged or made up; the first few are the useful ones.
constexpr std::size_t kApercusMax = 8;
constexpr std::uint64_t kEntreesMpfMax = 16;

// Reads in a TIFF-style block (EXIF, Multi-Picture) in its byte order, each one checked
// against the block's end.
struct BlocTiff {
    const std::uint8_t* d = nullptr;
    std::size_t n = 0;
    bool motorola = false;

    bool tient(std::uint64_t position, std::uint64_t longueur) const {
        return position <= n && longueur <= n - position;
    }
    bool lire(std::uint64_t p, unsigned octets, std::uint32_t& v) const {
        if (!tient(p, octets))
            return false;
        const std::string_view b(reinterpret_cast<const char*>(d), n);
        v = static_cast<std::uint32_t>(octetsEn(motorola, b, static_cast<std::size_t>(p), octets));
        return true;
    }
    bool lire16(std::uint64_t p, std::uint32_t& v) const { return lire(p, 2, v); }
    bool lire32(std::uint64_t p, std::uint32_t& v) const { return lire(p, 4, v); }
    // The byte order, then the first directory's offset; false when there is no header.
    bool ouvrir(std::uint32_t& premier) {
        if (n < 8)
            return false;
        if (d[0] == 'I' && d[1] == 'I')
            motorola = false;
        else if (d[0] == 'M' && d[1] == 'M')
            motorola = true;
        else
            return false;
        std::uint32_t magique = 0;
        return lire16(2, magique) && magique == 42 && lire32(4, premier);
    }
};

// Calls `f(etiquette, type, nombre, positionEntree)` for each entry of the directory at
// `position` that fits in the block; returns the next directory's offset (0 for none).
template <class F> std::uint32_t parcourir(const BlocTiff& b, std::uint64_t position, F f) {
    std::uint32_t nombre = 0;
    if (!b.lire16(position, nombre))
        return 0;
    const std::uint64_t entrees = position + 2;
    for (std::uint64_t i = 0; i < nombre; ++i) {
        const std::uint64_t e = entrees + 12 * i;
        std::uint32_t etiquette = 0, type = 0, compte = 0;
        if (!b.lire16(e, etiquette) || !b.lire16(e + 2, type) || !b.lire32(e + 4, compte) ||
            !b.tient(e, 12))
            return 0;
        f(etiquette, type, compte, e);
    }
    std::uint32_t suivant = 0;
    return b.lire32(entrees + 12 * std::uint64_t{nombre}, suivant) ? suivant : 0;
}

void ajouter(std::vector<ApercuJpeg>& apercus, std::uint64_t position, std::uint64_t longueur,
             std::uint64_t tailleFichier, bool vignette) {
    // Shorter than any JPEG: no picture, and no use reading it.
    if (longueur < 4 || position > tailleFichier || longueur > tailleFichier - position ||
        apercus.size() >= kApercusMax)
        return;
    apercus.push_back({position, longueur, vignette});
}

// A short ASCII value (a date), as written, without its ending NULs; empty when it
// does not fit the block or is longer than a date.
std::string texteCourt(const BlocTiff& b, std::uint32_t type, std::uint32_t compte,
                       std::uint64_t e) {
    if (type != 2 || compte == 0 || compte > 32)
        return {};
    std::uint32_t position = static_cast<std::uint32_t>(e + 8);
    if (compte > 4 && !b.lire32(e + 8, position))
        return {};
    if (!b.tient(position, compte))
        return {};
    std::string t(reinterpret_cast<const char*>(b.d + position), compte);
    while (!t.empty() && (t.back() == '\0' || t.back() == ' '))
        t.pop_back();
    return t;
}

// A SHORT or LONG value of count 1.
bool entier(const BlocTiff& b, std::uint32_t type, std::uint32_t compte, std::uint64_t e,
            std::uint32_t& v) {
    return compte == 1 && (type == 3 ? b.lire16(e + 8, v) : type == 4 && b.lire32(e + 8, v));
}

// The thumbnail the second directory (IFD1) of an EXIF block points to, and what the
// block records of the picture (size, date). `base`: where the block's TIFF header
// starts in the file, which its offsets count from.
void lireExif(BlocTiff b, std::uint64_t base, std::uint64_t tailleFichier, EnteteJpeg& r) {
    std::uint32_t premier = 0;
    if (!b.ouvrir(premier))
        return;
    std::uint32_t sousDossier = 0;
    std::string dateFichier;
    const std::uint32_t second = parcourir(
        b, premier,
        [&](std::uint32_t etiquette, std::uint32_t type, std::uint32_t compte, std::uint64_t e) {
            if (etiquette == 0x8769)
                entier(b, type, compte, e, sousDossier);
            else if (etiquette == 0x0132)
                dateFichier = texteCourt(b, type, compte, e);
        });
    // The EXIF directory itself: unless it points back at the first one.
    if (sousDossier != 0 && sousDossier != premier) {
        std::uint32_t l = 0, h = 0;
        parcourir(b, sousDossier,
                  [&](std::uint32_t etiquette, std::uint32_t type, std::uint32_t compte,
                      std::uint64_t e) {
                      if (etiquette == 0xA002)
                          entier(b, type, compte, e, l);
                      else if (etiquette == 0xA003)
                          entier(b, type, compte, e, h);
                      else if (etiquette == 0x9003)
                          r.dateExif = texteCourt(b, type, compte, e);
                  });
        if (l > 0 && h > 0 && l <= 65535 && h <= 65535) {
            r.largeurExif = static_cast<int>(l);
            r.hauteurExif = static_cast<int>(h);
        }
    }
    if (r.dateExif.empty())
        r.dateExif = dateFichier;
    if (second == 0)
        return;
    std::uint32_t position = 0, longueur = 0;
    bool avecPosition = false, avecLongueur = false;
    parcourir(
        b, second,
        [&](std::uint32_t etiquette, std::uint32_t type, std::uint32_t compte, std::uint64_t e) {
            std::uint32_t v = 0;
            if (etiquette == 0x0132)
                r.dateVignette = texteCourt(b, type, compte, e);
            if (!entier(b, type, compte, e, v))
                return;
            if (etiquette == 0x0201) {
                position = v;
                avecPosition = true;
            } else if (etiquette == 0x0202) {
                longueur = v;
                avecLongueur = true;
            }
        });
    if (avecPosition && avecLongueur)
        ajouter(r.apercus, base + position, longueur, tailleFichier, true);
}

// The images a Multi-Picture block lists (MPEntry: 16 bytes each, attributes, size and
// offset from the block's TIFF header), but the first: the picture itself.
void lireMpf(BlocTiff b, std::uint64_t base, std::uint64_t tailleFichier,
             std::vector<ApercuJpeg>& apercus) {
    std::uint32_t premier = 0;
    if (!b.ouvrir(premier))
        return;
    parcourir(
        b, premier,
        [&](std::uint32_t etiquette, std::uint32_t type, std::uint32_t compte, std::uint64_t e) {
            std::uint32_t liste = 0;
            if (etiquette != 0xB002 || type != 7 || compte < 32 || !b.lire32(e + 8, liste))
                return;
            for (std::uint64_t i = 1; i < compte / 16 && i < kEntreesMpfMax; ++i) {
                const std::uint64_t p = liste + 16 * i;
                std::uint32_t attributs = 0, longueur = 0, position = 0;
                if (!b.lire32(p, attributs) || !b.lire32(p + 4, longueur) ||
                    !b.lire32(p + 8, position))
                    return;
                // Bits 24 to 26 tell the image's format, 0 for JPEG.
                if ((attributs >> 24 & 7) == 0 && position != 0)
                    ajouter(apercus, base + position, longueur, tailleFichier, false);
            }
        });
}

bool debutSegment(const std::uint8_t* p, std::size_t n, const char* signature,
                  std::size_t longueur) {
    return n >= longueur && std::memcmp(p, signature, longueur) == 0;
}

// `n` bytes from `position` in the file.
bool lireA(std::FILE* f, std::uint64_t position, std::size_t n, std::vector<std::uint8_t>& octets) {
    octets.resize(n);
    if (position > static_cast<std::uint64_t>(std::numeric_limits<off_t>::max()) ||
        fseeko(f, static_cast<off_t>(position), SEEK_SET) != 0)
        return false;
    return std::fread(octets.data(), 1, n, f) == n;
}

// The smallest stored copy that will do, decoded at the size the picture takes in
// `boite`; false when there is none or none decodes cleanly, and the picture itself is
// decoded instead.
bool decoderApercu(std::FILE* f, Boite boite, DestinationImage& sortie) {
    struct stat etat;
    if (fstat(fileno(f), &etat) != 0 || etat.st_size <= 0)
        return false;
    const auto tailleFichier = static_cast<std::uint64_t>(etat.st_size);
    std::vector<std::uint8_t> octets;
    if (!lireA(f, 0, static_cast<std::size_t>(std::min<std::uint64_t>(tailleFichier, kEnteteMax)),
               octets))
        return false;
    const EnteteJpeg entete = enteteJpeg(octets.data(), octets.size(), tailleFichier);
    const Taille cible = tailleCible(entete.largeur, entete.hauteur, boite);
    if (cible.largeur <= 0)
        return false;
    struct Candidat {
        ApercuJpeg apercu;
        long long pixels;
    };
    std::vector<Candidat> candidats;
    for (const ApercuJpeg& a : entete.apercus) {
        if (a.longueur > kApercuMax)
            continue;
        const auto n =
            static_cast<std::size_t>(std::min<std::uint64_t>(a.longueur, kEnteteApercuMax));
        if (!lireA(f, a.position, n, octets))
            continue;
        const EnteteJpeg sien = enteteJpeg(octets.data(), n, a.longueur);
        if (apercuConvient(entete.largeur, entete.hauteur, sien.largeur, sien.hauteur,
                           cible.largeur) &&
            copieDeLaPhoto(entete, sien, a.vignette))
            candidats.push_back({a, static_cast<long long>(sien.largeur) * sien.hauteur});
    }
    std::stable_sort(candidats.begin(), candidats.end(),
                     [](const Candidat& a, const Candidat& b) { return a.pixels < b.pixels; });
    for (const Candidat& c : candidats)
        if (lireA(f, c.apercu.position, static_cast<std::size_t>(c.apercu.longueur), octets) &&
            decoderMemoire(octets.data(), octets.size(), boite, {entete.largeur, entete.hauteur},
                           sortie, true, nullptr))
            return true;
    return false;
}

} // namespace

EnteteJpeg enteteJpeg(const std::uint8_t* debut, std::size_t taille, std::uint64_t tailleFichier) {
    EnteteJpeg r;
    if (taille < 4 || debut[0] != 0xFF || debut[1] != 0xD8)
        return r;
    std::size_t p = 2;
    while (taille - p >= 4) {
        if (debut[p] != 0xFF)
            break;
        const std::uint8_t marqueur = debut[p + 1];
        // Fill bytes before a marker.
        if (marqueur == 0xFF) {
            ++p;
            continue;
        }
        p += 2;
        if (marqueur == 0x01 || (marqueur >= 0xD0 && marqueur <= 0xD8))
            continue;
        // The picture's data (or its end): the segments that describe it are all behind.
        if (marqueur == 0xDA || marqueur == 0xD9)
            break;
        if (taille - p < 2)
            break;
        const std::string_view reste(reinterpret_cast<const char*>(debut) + p, taille - p);
        const std::size_t longueur = be16(reste, 0);
        if (longueur < 2 || longueur > taille - p)
            break;
        const std::uint8_t* contenu = debut + p + 2;
        const std::size_t n = longueur - 2;
        const bool trame = marqueur >= 0xC0 && marqueur <= 0xCF && marqueur != 0xC4 &&
                           marqueur != 0xC8 && marqueur != 0xCC;
        if (trame && n >= 5 && r.largeur == 0) {
            r.hauteur = static_cast<int>(be16(reste, 3));
            r.largeur = static_cast<int>(be16(reste, 5));
            if (r.largeur == 0 || r.hauteur == 0)
                r.largeur = r.hauteur = 0;
        } else if (marqueur == 0xE1 && debutSegment(contenu, n, "Exif\0\0", 6)) {
            lireExif({contenu + 6, n - 6}, p + 2 + 6, tailleFichier, r);
        } else if (marqueur == 0xE2 && debutSegment(contenu, n, "MPF\0", 4)) {
            lireMpf({contenu + 4, n - 4}, p + 2 + 4, tailleFichier, r.apercus);
        }
        p += longueur;
    }
    return r;
}

bool apercuConvient(int largeurImage, int hauteurImage, int largeur, int hauteur,
                    int largeurVoulue) {
    if (largeurImage <= 0 || hauteurImage <= 0 || largeur <= 0 || hauteur <= 0 ||
        largeurVoulue <= 0 || largeur < largeurVoulue || largeur >= largeurImage)
        return false;
    // |largeur / hauteur − largeurImage / hauteurImage| within 1.5 % of the latter, without
    // dividing: sides below 65536 keep every product far from the limits.
    const long long ecart = static_cast<long long>(largeur) * hauteurImage -
                            static_cast<long long>(hauteur) * largeurImage;
    return (ecart < 0 ? -ecart : ecart) * 1000 <=
           15LL * static_cast<long long>(hauteur) * largeurImage;
}

bool copieDeLaPhoto(const EnteteJpeg& photo, const EnteteJpeg& copie, bool vignette) {
    if (photo.largeurExif > 0 &&
        (photo.largeurExif != photo.largeur || photo.hauteurExif != photo.hauteur))
        return false;
    const std::string& date = vignette ? photo.dateVignette : copie.dateExif;
    return date.empty() || photo.dateExif.empty() || date == photo.dateExif;
}

bool decoderJpeg(const std::uint8_t* data, std::size_t taille, Boite boite,
                 DestinationImage& sortie, std::string* erreur) {
    return decoderMemoire(data, taille, boite, {}, sortie, false, erreur);
}

bool decoderJpegFichier(const std::string& chemin, const DemandeImage& demande,
                        DestinationImage& sortie, std::string* erreur) {
    std::FILE* f = ouvrirFluxOrdinaire(chemin.c_str());
    if (!f) {
        if (erreur)
            *erreur = pasUnFichierOrdinaire(errno) ? "not a regular file" : "cannot open the file";
        return false;
    }
    unsigned char debut[2] = {0, 0};
    if (std::fread(debut, 1, 2, f) != 2 || debut[0] != 0xFF || debut[1] != 0xD8) {
        std::fclose(f);
        if (erreur)
            *erreur = "not a JPEG file";
        return false;
    }
    // A thumbnail needs far fewer pixels than a camera's picture holds, and the camera
    // often stored a copy of about that size: decoding it spares reading the whole file.
    if (demande.apercuPermis && demande.boite.largeur > 0 &&
        decoderApercu(f, demande.boite, sortie)) {
        std::fclose(f);
        return true;
    }
    std::rewind(f);
    LectureJpeg l;
    preparer(l);
    jpeg_stdio_src(&l.cinfo, f);
    const bool ok = decoder(l, demande.boite, {}, sortie, false, erreur);
    std::fclose(f);
    return ok;
}

} // namespace varlime
