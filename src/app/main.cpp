#include "app/Application.h"
#include "app/Headless.h"
#include "core/ui/Main.h"
#include "exif/exifFormat.h"
#include "platform/ui/MessageService.h"
#include "platform/fileSystem.h"

#include <QApplication>
#include <QLocale>
#include <QTextStream>
#include <cstdio>

namespace {
// Without a window, Qt's notes about the desktop session are noise on standard error.
void filtreMessagesSansFenetre(QtMsgType type, const QMessageLogContext&, const QString& msg) {
    if (type == QtDebugMsg || type == QtInfoMsg || msg.startsWith(QLatin1String("QStandardPaths:")))
        return;
    std::fprintf(stderr, "%s\n", msg.toLocal8Bit().constData());
}
} // namespace

int main(int argc, char** argv) {
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    const bool headless = varlime::estCommandeSansFenetre(args);
    if (headless) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        qInstallMessageHandler(filtreMessagesSansFenetre);
    }
    QApplication qapp(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Varlime"));
    QApplication::setApplicationDisplayName(QStringLiteral("Varlime"));
    // EXIF values are written and read back with the user's decimal mark as found at
    // start (one program-wide mark, never the C library's locale).
    const QString mark = QLocale::system().decimalPoint();
    if (mark.size() == 1 && mark.at(0).unicode() < 0x80)
        varlime::setDecimalMark(static_cast<char>(mark.at(0).unicode()));
    const std::string programFolder = varlime::dossierProgramme();
    if (headless) {
        QTextStream out(stdout);
        QTextStream err(stderr);
        const int status = varlime::executerSansFenetre(args, programFolder, out, err);
        out.flush();
        err.flush();
        return status;
    }
    if (args.size() > 1) {
        std::fprintf(stderr, "varlime: unknown command %s\n", argv[1]);
        return 2;
    }
    varlime::DialogMessageService messages;
    varlime::Application app(programFolder, messages);
    messages.oui = app.texte("RSC_bouton_oui", "Oui");
    messages.non = app.texte("RSC_bouton_non", "Non");
    app.MainForm().show();
    return QApplication::exec();
}
