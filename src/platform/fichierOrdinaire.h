// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The one way a user's file is opened for reading (loaders, thumbnails, viewer, EXIF
// reader, transfer): without ever waiting, as a pipe or a device named like a photo would
// otherwise hold the caller in open() for ever, and only when it is a regular file. No Qt:
// the imaging library in gfl/ builds this file in too.
#include <cstdio>

struct stat;

namespace varlime {

// Anything but a regular file (links followed) is refused, with errno EISDIR for a
// folder and ENODEV for the rest. The descriptor returned reads as usual (the
// non-blocking flag is taken off again); `st`, when given, gets the file's status.
int ouvrirFichierOrdinaire(const char* chemin, struct stat* st = nullptr);
int ouvrirFichierOrdinaireAt(int dossierFd, const char* nom, struct stat* st = nullptr);
// The same as a stdio stream ("rb"), or nullptr with errno set.
std::FILE* ouvrirFluxOrdinaire(const char* chemin);
// True for the errno of a refused kind (see above).
bool pasUnFichierOrdinaire(int erreur);

} // namespace varlime
