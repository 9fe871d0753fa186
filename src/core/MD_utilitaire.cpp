#include "core/MD_utilitaire.h"

#include "app/Application.h"
#include "core/Main.h"
#include "core/messageFormat.h"

#include <QStatusBar>

namespace varlime {

TDB_utilitaire::TDB_utilitaire(Application& app) : app_(app) {}

bool TDB_utilitaire::Fichier_a_traiter(const std::string&) const {
    // No companion mode exists yet: every file is listed.
    return true;
}

bool TDB_utilitaire::Sauver_parametre(const std::string&, const std::string&, const std::string&) {
    // Settings are not stored yet.
    return true;
}

void TDB_utilitaire::Lecture_parametres() {}

void TDB_utilitaire::Afficher_statut() {
    app_.MainForm().STB_main->showMessage(app_.texte("RSC_statut_normal", "Mode NORMAL"));
}

QString TDB_utilitaire::messageConversion(const QString& text) const {
    return formatMessage(QStringLiteral("'%s' is not a valid integer value"), {text});
}

QString TDB_utilitaire::formater(const QString& format, std::initializer_list<QVariant> args) const {
    return formatMessage(format, args);
}

} // namespace varlime
