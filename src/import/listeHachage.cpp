// SPDX-License-Identifier: GPL-3.0-or-later
#include "import/listeHachage.h"

#include "import/historiqueImport.h"
#include "transfer/copieVerifiee.h"

#include <QCryptographicHash>
#include <QTimeZone>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>
#include <xxhash.h>

namespace varlime {

namespace {

std::string hex(const XXH128_hash_t& h) {
    XXH128_canonical_t c;
    XXH128_canonicalFromHash(&c, h);
    static const char* chiffres = "0123456789abcdef";
    std::string out;
    for (unsigned char b : c.digest) {
        out += chiffres[b >> 4];
        out += chiffres[b & 15];
    }
    return out;
}

std::string xml(std::string_view s) {
    std::string out;
    for (char c : s) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string dateIso(const QDateTime& t) {
    return t.toUTC().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss+00:00")).toStdString();
}

bool ecrireFichier(const std::string& chemin, const std::string& contenu, bool ajouter) {
    const int fd = ::open(chemin.c_str(),
                          O_WRONLY | O_CREAT | O_CLOEXEC | (ajouter ? O_APPEND : O_TRUNC), 0644);
    if (fd < 0)
        return false;
    std::size_t fait = 0;
    while (fait < contenu.size()) {
        const ssize_t n = ::write(fd, contenu.data() + fait, contenu.size() - fait);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        fait += std::size_t(n);
    }
    const bool ok = fait == contenu.size() && ::fdatasync(fd) == 0;
    return ::close(fd) == 0 && ok;
}

std::string lireTout(const std::string& chemin) {
    std::ifstream f(chemin, std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

std::string nomMachine() {
    char nom[256] = {};
    if (::gethostname(nom, sizeof nom - 1) != 0 || !*nom)
        return "localhost";
    return nom;
}

std::string nomRacine(const std::string& racine) {
    std::string r = racine;
    while (r.size() > 1 && r.back() == '/')
        r.pop_back();
    const auto slash = r.rfind('/');
    return slash == std::string::npos ? r : r.substr(slash + 1);
}

} // namespace

std::string empreinteOctets(std::string_view octets) {
    return hex(XXH3_128bits(octets.data(), octets.size()));
}

std::string empreinteFichier(const std::string& chemin, int* erreur) {
    const int fd = ::open(chemin.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    Empreinte e;
    std::vector<char> tampon;
    const bool ok = fd >= 0 && hacherFichier(fd, e, tampon);
    if (!ok && erreur)
        *erreur = errno;
    if (fd >= 0)
        ::close(fd);
    return ok ? e.hex() : std::string();
}

std::optional<Empreinte> empreinteDepuisHex(std::string_view hex) {
    if (hex.size() != 32)
        return std::nullopt;
    Empreinte e;
    for (std::size_t i = 0; i < 32; ++i) {
        const char c = hex[i];
        const int v = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
        if (v < 0)
            return std::nullopt;
        std::uint64_t& moitie = i < 16 ? e.haut : e.bas;
        moitie = (moitie << 4) | std::uint64_t(v);
    }
    return e;
}

std::string idC4(std::string_view octets) {
    const QByteArray sha = QCryptographicHash::hash(
        QByteArrayView(octets.data(), qsizetype(octets.size())), QCryptographicHash::Sha512);
    // Base 58 of the 512-bit big-endian number, by long division.
    static const char* alphabet = "123456789ABCDEFGHJKLMNPQRSTUVWXYZabcdefghijkmnopqrstuvwxyz";
    std::vector<unsigned char> nombre(sha.begin(), sha.end());
    std::string chiffres;
    while (std::any_of(nombre.begin(), nombre.end(), [](unsigned char b) { return b != 0; })) {
        unsigned reste = 0;
        for (unsigned char& b : nombre) {
            const unsigned v = (reste << 8) | b;
            b = static_cast<unsigned char>(v / 58);
            reste = v % 58;
        }
        chiffres += alphabet[reste];
    }
    std::reverse(chiffres.begin(), chiffres.end());
    return "c4" + std::string(88 - std::min<std::size_t>(88, chiffres.size()), '1') + chiffres;
}

bool ecrireGeneration(const std::string& racine, const std::vector<FichierListe>& fichiers,
                      const QDateTime& maintenant, std::string* erreur) {
    std::string base = racine;
    if (base.empty() || base.back() != '/')
        base += '/';
    const std::string dossier = base + "ascmhl/";
    auto echec = [&](const std::string& quoi) {
        if (erreur)
            *erreur = quoi + ": " + std::strerror(errno);
        return false;
    };
    if (!creerArborescence(dossier.substr(0, dossier.size() - 1)))
        return echec(dossier);
    // The chain says which generation comes next.
    const std::string chaine = dossier + "ascmhl_chain.xml";
    std::string ancienne = lireTout(chaine);
    int numero = 1;
    for (std::size_t p = 0; (p = ancienne.find("sequencenr=\"", p)) != std::string::npos;) {
        p += 12;
        numero = std::max(numero, std::atoi(ancienne.c_str() + p) + 1);
    }
    const QDateTime utc = maintenant.toUTC();
    char numeroTexte[16];
    std::snprintf(numeroTexte, sizeof numeroTexte, "%04d", numero);
    const std::string nom = std::string(numeroTexte) + "_" + nomRacine(base) + "_" +
                            utc.toString(QStringLiteral("yyyy-MM-dd_HHmmss")).toStdString() +
                            "Z.mhl";
    const std::string quand = dateIso(utc);
    std::ostringstream m;
    m << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      << "<hashlist version=\"2.0\" xmlns=\"urn:ASC:MHL:v2.0\">\n"
      << "  <creatorinfo>\n"
      << "    <creationdate>" << quand << "</creationdate>\n"
      << "    <hostname>" << xml(nomMachine()) << "</hostname>\n"
      << "    <tool version=\"" << VARLIME_VERSION << "\">varlime</tool>\n"
      << "  </creatorinfo>\n"
      << "  <processinfo>\n"
      << "    <process>transfer</process>\n"
      << "    <ignore>\n"
      << "      <pattern>.DS_Store</pattern>\n"
      << "      <pattern>ascmhl</pattern>\n"
      << "      <pattern>ascmhl/</pattern>\n"
      << "      <pattern>" << kListeSimple << "</pattern>\n"
      << "    </ignore>\n"
      << "  </processinfo>\n";
    std::string simple;
    const std::string dejaListe = "\n" + lireTout(base + kListeSimple);
    if (!fichiers.empty()) {
        m << "  <hashes>\n";
        for (const FichierListe& f : fichiers) {
            m << "    <hash>\n"
              << "      <path size=\"" << f.taille << "\" lastmodificationdate=\""
              << dateIso(QDateTime::fromSecsSinceEpoch(f.mtime, Qt::UTC)) << "\">" << xml(f.chemin)
              << "</path>\n"
              << "      <xxh128 action=\"original\" hashdate=\"" << quand << "\">" << f.empreinte
              << "</xxh128>\n"
              << "    </hash>\n";
            // A run stopped after its generation but before it could note so lists
            // those files again: the plain list keeps each line once.
            const std::string ligne = f.empreinte + "  " + f.chemin + "\n";
            if (dejaListe.find("\n" + ligne) == std::string::npos)
                simple += ligne;
        }
        m << "  </hashes>\n";
    }
    m << "</hashlist>\n";
    const std::string generation = m.str();
    if (!ecrireFichier(dossier + nom, generation, false))
        return echec(dossier + nom);
    // The chain is rewritten whole beside, then put in place: a kill leaves the old one.
    std::string entrees;
    if (const auto debut = ancienne.find("<hashlist "), fin = ancienne.rfind("</hashlist>");
        debut != std::string::npos && fin != std::string::npos && fin > debut)
        entrees = ancienne.substr(debut, fin + 11 - debut) + "\n";
    std::ostringstream c;
    c << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      << "<ascmhldirectory xmlns=\"urn:ASC:MHL:DIRECTORY:v2.0\">\n";
    if (!entrees.empty())
        c << "  " << entrees;
    c << "  <hashlist sequencenr=\"" << numero << "\">\n"
      << "    <path>" << xml(nom) << "</path>\n"
      << "    <c4>" << idC4(generation) << "</c4>\n"
      << "  </hashlist>\n"
      << "</ascmhldirectory>\n";
    const std::string temporaire = dossier + ".ascmhl_chain.xml.tmp";
    if (!ecrireFichier(temporaire, c.str(), false) ||
        ::rename(temporaire.c_str(), chaine.c_str()) != 0)
        return echec(chaine);
    if (!simple.empty() && !ecrireFichier(base + kListeSimple, simple, true))
        return echec(base + kListeSimple);
    return true;
}

} // namespace varlime
