// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/fichierOrdinaire.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace varlime {

int ouvrirFichierOrdinaireAt(int dossierFd, const char* nom, struct stat* st) {
    const int fd = ::openat(dossierFd, nom, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return -1;
    struct stat local;
    struct stat& s = st ? *st : local;
    const bool lu = ::fstat(fd, &s) == 0;
    if (!lu || !S_ISREG(s.st_mode)) {
        const int err = !lu ? errno : S_ISDIR(s.st_mode) ? EISDIR : ENODEV;
        ::close(fd);
        errno = err;
        return -1;
    }
    const int drapeaux = ::fcntl(fd, F_GETFL);
    if (drapeaux >= 0)
        ::fcntl(fd, F_SETFL, drapeaux & ~O_NONBLOCK);
    return fd;
}

int ouvrirFichierOrdinaire(const char* chemin, struct stat* st) {
    return ouvrirFichierOrdinaireAt(AT_FDCWD, chemin, st);
}

bool pasUnFichierOrdinaire(int erreur) {
    return erreur == EISDIR || erreur == ENODEV;
}

std::FILE* ouvrirFluxOrdinaire(const char* chemin) {
    const int fd = ouvrirFichierOrdinaire(chemin);
    if (fd < 0)
        return nullptr;
    std::FILE* f = ::fdopen(fd, "rb");
    if (!f) {
        const int err = errno;
        ::close(fd);
        errno = err;
    }
    return f;
}

} // namespace varlime
