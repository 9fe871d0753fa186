#include "imaging/decodeurJpeg.h"

#include <csetjmp>
#include <cstdio>
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

constexpr long kPixelsMax = 1L << 28;

// Everything here is plain data, so the long jump back leaves nothing to unwind; the
// output buffer is a vector owned by the caller.
bool decoder(jpeg_decompress_struct& cinfo, Erreurs& err, int largeurVoulue, ImageJpeg& sortie) {
    // Made before the jump point, so a jump back finds it whole and it is freed on return.
    std::vector<std::uint8_t> ligneCmjn;
    if (setjmp(err.saut)) {
        jpeg_destroy_decompress(&cinfo);
        sortie.erreur = err.texte;
        sortie.octets.clear();
        return false;
    }
    if (jpeg_read_header(&cinfo, TRUE) != JPEG_HEADER_OK) {
        jpeg_destroy_decompress(&cinfo);
        sortie.erreur = "no JPEG header";
        return false;
    }
    const bool cmjn = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    if (cinfo.num_components == 1)
        cinfo.out_color_space = JCS_GRAYSCALE;
    else if (cmjn)
        cinfo.out_color_space = JCS_CMYK;
    else
        cinfo.out_color_space = JCS_EXT_BGR;
    cinfo.scale_num = 1;
    cinfo.scale_denom =
        static_cast<unsigned>(denominateurJpeg(static_cast<int>(cinfo.image_width), largeurVoulue));
    jpeg_start_decompress(&cinfo);
    const long l = cinfo.output_width, h = cinfo.output_height;
    if (l <= 0 || h <= 0 || l * h > kPixelsMax) {
        jpeg_destroy_decompress(&cinfo);
        sortie.erreur = "picture too large";
        return false;
    }
    const int entree = cinfo.output_components;
    sortie.largeur = static_cast<int>(l);
    sortie.hauteur = static_cast<int>(h);
    sortie.composantes = entree == 1 ? 1 : 3;
    // Rows a damaged file never delivers stay mid-grey.
    sortie.octets.assign(static_cast<std::size_t>(l * h * sortie.composantes), 128);
    if (cmjn)
        ligneCmjn.assign(static_cast<std::size_t>(l * 4), 0);
    while (cinfo.output_scanline < cinfo.output_height) {
        const std::size_t y = cinfo.output_scanline;
        std::uint8_t* dest =
            sortie.octets.data() + y * static_cast<std::size_t>(l * sortie.composantes);
        JSAMPROW ligne = cmjn ? ligneCmjn.data() : dest;
        if (jpeg_read_scanlines(&cinfo, &ligne, 1) != 1)
            break;
        if (cmjn) {
            // Adobe writes CMYK inverted: each value is already 255 − ink.
            for (long x = 0; x < l; ++x) {
                const unsigned c = ligneCmjn[x * 4], m = ligneCmjn[x * 4 + 1],
                               j = ligneCmjn[x * 4 + 2], k = ligneCmjn[x * 4 + 3];
                dest[x * 3] = static_cast<std::uint8_t>(j * k / 255);
                dest[x * 3 + 1] = static_cast<std::uint8_t>(m * k / 255);
                dest[x * 3 + 2] = static_cast<std::uint8_t>(c * k / 255);
            }
        }
    }
    jpeg_abort_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return true;
}

void preparer(jpeg_decompress_struct& cinfo, Erreurs& err) {
    cinfo.err = jpeg_std_error(&err.mgr);
    err.mgr.error_exit = sortieErreur;
    err.mgr.output_message = taireMessage;
    err.texte[0] = 0;
    jpeg_create_decompress(&cinfo);
}

} // namespace

int denominateurJpeg(int largeur, int largeurVoulue) {
    if (largeurVoulue <= 0)
        return 1;
    for (int d : {8, 4, 2})
        if ((largeur + d - 1) / d >= largeurVoulue)
            return d;
    return 1;
}

bool decoderJpeg(const std::uint8_t* data, std::size_t taille, int largeurVoulue,
                 ImageJpeg& sortie) {
    sortie = ImageJpeg();
    if (taille < 4 || data[0] != 0xFF || data[1] != 0xD8) {
        sortie.erreur = "not a JPEG file";
        return false;
    }
    jpeg_decompress_struct cinfo;
    Erreurs err;
    preparer(cinfo, err);
    jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(taille));
    return decoder(cinfo, err, largeurVoulue, sortie);
}

bool decoderJpegFichier(const std::string& chemin, int largeurVoulue, ImageJpeg& sortie) {
    sortie = ImageJpeg();
    std::FILE* f = std::fopen(chemin.c_str(), "rb");
    if (!f) {
        sortie.erreur = "cannot open the file";
        return false;
    }
    unsigned char debut[2] = {0, 0};
    if (std::fread(debut, 1, 2, f) != 2 || debut[0] != 0xFF || debut[1] != 0xD8) {
        std::fclose(f);
        sortie.erreur = "not a JPEG file";
        return false;
    }
    std::rewind(f);
    jpeg_decompress_struct cinfo;
    Erreurs err;
    preparer(cinfo, err);
    jpeg_stdio_src(&cinfo, f);
    const bool ok = decoder(cinfo, err, largeurVoulue, sortie);
    std::fclose(f);
    return ok;
}

} // namespace varlime
