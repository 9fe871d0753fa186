// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/Main.h"
#include "app/Application.h"
#include "app/Headless.h"
#include "app/usage.h"
#include "exif/exifFormat.h"
#include "import/ui/IHM_import.h"
#include "platform/fileSystem.h"
#include "platform/ui/MessageService.h"

#include <QApplication>
#include <QCoreApplication>
#include <QIcon>
#include <QLocale>
#include <QThreadPool>
#include <cstdio>
#include <fcntl.h>
#include <iostream>
#include <string>
#include <sys/file.h>
#include <unistd.h>
#include <vector>

namespace {
// Without a window, Qt's notes about the desktop session are noise on standard error.
void filtreMessagesSansFenetre(QtMsgType type, const QMessageLogContext&, const QString& msg) {
    if (type == QtDebugMsg || type == QtInfoMsg || msg.startsWith(QLatin1String("QStandardPaths:")))
        return;
    std::fprintf(stderr, "%s\n", msg.toLocal8Bit().constData());
}
} // namespace

namespace {
// The rank of this window among the program's windows open on the desktop: 0 for the
// first, 1 for the second... Each holds a lock for its rank while it runs (the system
// releases it when the program ends, however it ends), so a window started while
// another shows takes the next free rank.
int rangFenetre() {
    const QByteArray dossier = qgetenv("XDG_RUNTIME_DIR");
    const std::string base = (dossier.isEmpty() ? std::string("/tmp") : dossier.toStdString()) +
                             "/varlime-" + std::to_string(::getuid()) + "-fenetre-";
    for (int rang = 0; rang < 16; ++rang) {
        const int fd = ::open((base + std::to_string(rang)).c_str(),
                              O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd < 0)
            return 0;
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
            return rang; // the descriptor stays open: the rank is ours until the end
        ::close(fd);
    }
    return 0;
}

// EXIF values are written and read back with the user's decimal mark as found at
// start (one program-wide mark, never the C library's locale).
void prendreMarqueDecimale() {
    const QString mark = QLocale::system().decimalPoint();
    if (mark.size() == 1 && mark.at(0).unicode() < 0x80)
        varlime::setDecimalMark(static_cast<char>(mark.at(0).unicode()));
}
} // namespace

int main(int argc, char** argv) {
    // Arguments are kept as the bytes given: a folder or file name need not be UTF-8.
    const std::vector<std::string> args(argv, argv + argc);
    if (args.size() > 1 && (args[1] == "--help" || args[1] == "-h")) {
        std::cout << varlime::texteAide();
        return 0;
    }
    if (args.size() > 1 && args[1] == "--version") {
        std::cout << varlime::texteVersion();
        return 0;
    }
    if (varlime::estCommandeSansFenetre(args)) {
        // No window and no display: only Qt's core classes are used.
        QCoreApplication qapp(argc, argv);
        qInstallMessageHandler(filtreMessagesSansFenetre);
        prendreMarqueDecimale();
        const int status =
            varlime::executerSansFenetre(args, varlime::dossierProgramme(), std::cout, std::cerr);
        std::cout.flush();
        return status;
    }
    // One folder may be given, as a file manager's "open with" does: it is listed at
    // once (and not stored), its name taken as the bytes given.
    const bool dossierDonne = args.size() == 2 && !args[1].starts_with("--");
    if (args.size() > 1 && !dossierDonne) {
        std::cerr << varlime::texteOptionInconnue(args[1].starts_with("--") ? args[1] : args[2]);
        return 2;
    }
    QApplication qapp(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Varlime"));
    QGuiApplication::setDesktopFileName(QStringLiteral("varlime"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("varlime")));
    prendreMarqueDecimale();
    varlime::DialogMessageService messages;
    varlime::Application app(varlime::dossierProgramme(), messages);
    messages.oui = app.texte("RSC_bouton_oui", "Oui");
    messages.non = app.texte("RSC_bouton_non", "Non");
    if (dossierDonne) {
        if (!varlime::Chemin_valide(args[1])) {
            std::fprintf(stderr, "varlime: no such folder: %s\n", argv[1]);
            return 1;
        }
        app.MainForm().differerMessages = true;
        app.MainForm().Repertoire_courant = args[1];
        app.MainForm().Validation_repertoire(false);
    }
    // A second window does not hide the first one exactly.
    app.MainForm().decalerFenetre(rangFenetre());
    app.MainForm().show();
    app.DLG_import().surveillerCartes();
    const int statut = QApplication::exec();
    // The idle threads of Qt's picture thread pool end before the application does.
    QThreadPool::globalInstance()->waitForDone();
    return statut;
}
