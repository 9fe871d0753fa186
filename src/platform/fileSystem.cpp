// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/fileSystem.h"

#include <QString>
#include <QStringList>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#ifndef RENAME_NOREPLACE
#define RENAME_NOREPLACE (1 << 0)
#endif

namespace varlime {

namespace {

// Case folding of one UTF-16 unit is enough for file names; surrogates compare as they are.
bool memeLettre(QChar a, QChar b) {
    return a == b || a.toCaseFolded() == b.toCaseFolded();
}

bool globMatch(const QString& m, const QString& n) {
    qsizetype mi = 0, ni = 0, star = -1, mark = 0;
    while (ni < n.size()) {
        if (mi < m.size() && m[mi] == u'*') {
            star = mi++;
            mark = ni;
        } else if (mi < m.size() && (m[mi] == u'?' || memeLettre(m[mi], n[ni]))) {
            ++mi;
            ++ni;
        } else if (star >= 0) {
            mi = star + 1;
            ni = ++mark;
        } else {
            return false;
        }
    }
    while (mi < m.size() && m[mi] == u'*')
        ++mi;
    return mi == m.size();
}

} // namespace

bool correspondMasque(std::string_view masque, std::string_view nom) {
    if (masque == "*" || masque == "*.*")
        return true;
    const QString m = QString::fromUtf8(masque.data(), qsizetype(masque.size()));
    const QString n = QString::fromUtf8(nom.data(), qsizetype(nom.size()));
    if (globMatch(m, n))
        return true;
    // As on the system the masks come from, "name.*" also finds "name".
    if (m.endsWith(QLatin1String(".*")) && !n.contains(u'.'))
        return globMatch(m.left(m.size() - 2), n);
    return false;
}

std::vector<EntreeRepertoire> chercherFichiers(const std::string& dossier, std::string_view masque,
                                               int attributs, bool* ok) {
    if (ok)
        *ok = false;
    const int dfd =
        ::open(dossier.empty() ? "." : dossier.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd < 0)
        return {};
    auto out = chercherFichiersAt(dfd, masque, attributs, ok);
    ::close(dfd);
    return out;
}

std::vector<EntreeRepertoire> chercherFichiersAt(int dossierFd, std::string_view masque,
                                                 int attributs, bool* ok) {
    std::vector<EntreeRepertoire> out;
    if (ok)
        *ok = false;
    if (dossierFd < 0)
        return out;
    if (masque.find('/') != std::string_view::npos || masque.find('\0') != std::string_view::npos) {
        if (ok)
            *ok = true;
        return out;
    }
    // The directory stream takes its own descriptor: the caller's stays open.
    const int dfd = ::openat(dossierFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd < 0)
        return out;
    DIR* d = ::fdopendir(dfd);
    if (!d) {
        ::close(dfd);
        return out;
    }
    const bool toutCorrespond = masque == "*" || masque == "*.*";
    while (dirent* e = ::readdir(d)) {
        const std::string_view nom = e->d_name;
        if (nom == "." || nom == "..")
            continue;
        if (!toutCorrespond && !correspondMasque(masque, nom))
            continue;
        int attr = 0;
        if (nom.front() == '.')
            attr |= attrCache;
        unsigned char type = e->d_type;
        if (type == DT_UNKNOWN || type == DT_LNK) {
            struct stat st;
            // Follow links: a link to a folder is a folder, a broken link is a system entry.
            if (::fstatat(dfd, e->d_name, &st, 0) != 0)
                type = DT_UNKNOWN;
            else if (S_ISDIR(st.st_mode))
                type = DT_DIR;
            else if (S_ISREG(st.st_mode))
                type = DT_REG;
            else
                type = DT_UNKNOWN;
        }
        if (type == DT_DIR)
            attr |= attrRepertoire;
        else if (type == DT_REG)
            attr |= attrArchive;
        else
            attr |= attrSysteme;
        const int exclusifs = attrCache | attrSysteme | attrVolume | attrRepertoire;
        if ((attr & exclusifs & ~attributs) != 0)
            continue;
        if ((attributs & attrLectureSeule) && ::faccessat(dfd, e->d_name, W_OK, AT_EACCESS) != 0)
            attr |= attrLectureSeule;
        out.push_back({std::string(nom), attr});
    }
    ::closedir(d);
    if (ok)
        *ok = true;
    return out;
}

bool Chemin_valide(const std::string& chemin) {
    struct stat st;
    return !chemin.empty() && ::stat(chemin.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool entreeExisteAt(int dossierFd, const std::string& nom) {
    if (dossierFd < 0 || nom.empty() || nom.find('\0') != std::string::npos)
        return false;
    struct stat st;
    return ::fstatat(dossierFd, nom.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
}

std::optional<std::time_t> dateModificationAt(int dossierFd, const std::string& nom) {
    struct stat st;
    if (nom.empty() || nom.find('\0') != std::string::npos ||
        ::fstatat(dossierFd, nom.c_str(), &st, 0) != 0)
        return std::nullopt;
    return st.st_mtime;
}

std::string cheminSurDisque(const QString& affiche) {
    const QByteArray direct = affiche.toUtf8();
    struct stat st;
    if (direct.isEmpty() || ::lstat(direct.constData(), &st) == 0)
        return direct.toStdString();
    // A path shown by Qt has had the bytes that are not UTF-8 replaced: each part is
    // looked up among the entries of its parent, as the same replacement shows them.
    const QStringList parts = affiche.split(QLatin1Char('/'));
    std::string chemin = affiche.startsWith(QLatin1Char('/')) ? "/" : "";
    for (const QString& part : parts) {
        if (part.isEmpty())
            continue;
        std::string trouve = part.toUtf8().toStdString();
        const std::string candidat = chemin + trouve;
        if (::lstat(candidat.c_str(), &st) != 0) {
            if (DIR* d = ::opendir(chemin.empty() ? "." : chemin.c_str())) {
                while (dirent* e = ::readdir(d)) {
                    if (QString::fromUtf8(e->d_name) == part) {
                        trouve = e->d_name;
                        break;
                    }
                }
                ::closedir(d);
            }
        }
        chemin += trouve;
        chemin += '/';
    }
    if (!affiche.endsWith(QLatin1Char('/')) && !chemin.empty() && chemin != "/")
        chemin.pop_back();
    return chemin;
}

bool entreeExiste(const std::string& dossier, const std::string& nom) {
    if (nom.empty() || nom.find('\0') != std::string::npos)
        return false;
    struct stat st;
    return ::lstat((dossier + nom).c_str(), &st) == 0;
}

std::optional<std::time_t> dateModification(const std::string& chemin) {
    struct stat st;
    if (::stat(chemin.c_str(), &st) != 0)
        return std::nullopt;
    return st.st_mtime;
}

std::string repertoireCourant() {
    std::vector<char> buffer(PATH_MAX + 1);
    if (!::getcwd(buffer.data(), buffer.size()))
        return {};
    std::string s = buffer.data();
    if (s.empty() || s.back() != '/')
        s += '/';
    return s;
}

bool changerRepertoireCourant(const std::string& dossier) {
    return ::chdir(dossier.c_str()) == 0;
}

std::string dossierProgramme() {
    std::vector<char> buffer(PATH_MAX + 1);
    const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (n <= 0)
        return "./";
    std::string s(buffer.data(), static_cast<std::size_t>(n));
    const auto slash = s.rfind('/');
    return slash == std::string::npos ? std::string("./") : s.substr(0, slash + 1);
}

bool nomValide(std::string_view nom) {
    return !nom.empty() && nom != "." && nom != ".." && nom.find('/') == std::string_view::npos &&
           nom.find('\0') == std::string_view::npos;
}

DossierOuvert::DossierOuvert(const std::string& dossier)
    : fd_(::open(dossier.empty() ? "." : dossier.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {}

DossierOuvert::~DossierOuvert() {
    if (fd_ >= 0)
        ::close(fd_);
}

namespace {

ResultatRenommage depuisErrno(int err) {
    // The caller reads the cause in errno, whatever was called since the failure.
    errno = err;
    switch (err) {
    case EEXIST:
    case ENOTEMPTY:
        return ResultatRenommage::CibleExiste;
    case ENOENT:
        return ResultatRenommage::SourceAbsente;
    case ENAMETOOLONG:
        return ResultatRenommage::NomTropLong;
    default:
        return ResultatRenommage::Refuse;
    }
}

bool memesNomsSaufCasse(const std::string& a, const std::string& b) {
    return QString::fromUtf8(a.data(), qsizetype(a.size()))
               .compare(QString::fromUtf8(b.data(), qsizetype(b.size())), Qt::CaseInsensitive) == 0;
}

} // namespace

ResultatRenommage renommerSansEcraserAt(int dirfd, const std::string& ancien,
                                        const std::string& nouveau) {
    if (!nomValide(ancien) || !nomValide(nouveau)) {
        errno = EINVAL;
        return ResultatRenommage::NomInvalide;
    }
    if (dirfd < 0) {
        errno = EBADF;
        return ResultatRenommage::Refuse;
    }
    if (::renameat2(dirfd, ancien.c_str(), dirfd, nouveau.c_str(), RENAME_NOREPLACE) == 0)
        return ResultatRenommage::Renomme;
    int err = errno;
    if (err == EINVAL || err == ENOSYS || err == EOPNOTSUPP) {
        // The file system does not know the no-replace flag: a hard link fails on an
        // existing target just the same; the old name is removed once the link exists.
        if (::linkat(dirfd, ancien.c_str(), dirfd, nouveau.c_str(), 0) == 0) {
            if (::unlinkat(dirfd, ancien.c_str(), 0) == 0)
                return ResultatRenommage::Renomme;
            err = errno;
            ::unlinkat(dirfd, nouveau.c_str(), 0);
            return depuisErrno(err);
        }
        err = errno;
        if (err != EPERM && err != EOPNOTSUPP && err != EMLINK)
            return depuisErrno(err);
        // Neither flag nor links (some network and FAT-like file systems): check the
        // target right before a plain rename; the window left open is tiny.
        struct stat st;
        if (::fstatat(dirfd, nouveau.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
            err = EEXIST;
        } else {
            if (::renameat(dirfd, ancien.c_str(), dirfd, nouveau.c_str()) == 0)
                return ResultatRenommage::Renomme;
            return depuisErrno(errno);
        }
    }
    if (err == EEXIST && ancien != nouveau && memesNomsSaufCasse(ancien, nouveau)) {
        // A file system that ignores case finds the source itself under the new spelling.
        struct stat a, b;
        if (::fstatat(dirfd, ancien.c_str(), &a, AT_SYMLINK_NOFOLLOW) == 0 &&
            ::fstatat(dirfd, nouveau.c_str(), &b, AT_SYMLINK_NOFOLLOW) == 0 &&
            a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_nlink == 1) {
            if (::renameat(dirfd, ancien.c_str(), dirfd, nouveau.c_str()) == 0)
                return ResultatRenommage::Renomme;
            return depuisErrno(errno);
        }
    }
    return depuisErrno(err);
}

ResultatRenommage renommerSansEcraser(const std::string& dossier, const std::string& ancien,
                                      const std::string& nouveau) {
    DossierOuvert d(dossier);
    if (!d.ok())
        return ResultatRenommage::SourceAbsente;
    return renommerSansEcraserAt(d.fd(), ancien, nouveau);
}

} // namespace varlime
