// SPDX-License-Identifier: GPL-3.0-or-later
// The listed folder, held open so that renames happen in the folder that was listed.
#include "core/nameUtils.h"
#include "core/renameEngine.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace varlime {

DossierListe::~DossierListe() {
    fermer();
}

void DossierListe::fermer() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    chemin_.clear();
    dev_ = 0;
    ino_ = 0;
}

bool DossierListe::ouvrir(const std::string& chemin) {
    fermer();
    if (chemin.empty() || chemin.find('\0') != std::string::npos)
        return false;
    const int fd = ::open(chemin.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st;
    if (::fstat(fd, &st) != 0) {
        ::close(fd);
        return false;
    }
    fd_ = fd;
    chemin_ = Retourne_repertoire_slash(chemin);
    dev_ = st.st_dev;
    ino_ = st.st_ino;
    return true;
}

bool DossierListe::toujoursEnPlace() const {
    if (fd_ < 0)
        return false;
    struct stat ouvert, parChemin;
    // A removed folder has no link left, though it stays open.
    if (::fstat(fd_, &ouvert) != 0 || ouvert.st_nlink == 0)
        return false;
    if (::stat(chemin_.c_str(), &parChemin) != 0 || !S_ISDIR(parChemin.st_mode))
        return false;
    return parChemin.st_dev == dev_ && parChemin.st_ino == ino_ && ouvert.st_dev == dev_ &&
           ouvert.st_ino == ino_;
}

} // namespace varlime
