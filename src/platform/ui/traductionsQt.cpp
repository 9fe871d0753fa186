// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ui/traductionsQt.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <memory>

namespace varlime {

bool traduireQt(const std::string& code) {
    static std::unique_ptr<QTranslator> traducteur;
    static std::string charge = "en";
    const std::string voulu = code.empty() ? "fr" : code;
    if (voulu == charge)
        return true;
    if (traducteur) {
        QCoreApplication::removeTranslator(traducteur.get());
        traducteur.reset();
    }
    charge = "en";
    if (voulu == "en")
        return true;
    auto t = std::make_unique<QTranslator>();
    if (!t->load(QStringLiteral("qtbase_") + QString::fromStdString(voulu),
                 QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return false;
    QCoreApplication::installTranslator(t.get());
    traducteur = std::move(t);
    charge = voulu;
    return true;
}

QLocale localeDuProgramme(const std::string& code) {
    const QLocale locale(QString::fromStdString(code));
    if (code.empty() || locale.language() == QLocale::C)
        return QLocale(QLocale::French, QLocale::France);
    return locale;
}

} // namespace varlime
