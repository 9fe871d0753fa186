#include "core/MD_utilitaire.h"

#include "app/Application.h"
#include "core/Main.h"
#include "core/messageFormat.h"
#include "core/nameUtils.h"
#include "platform/MessageService.h"
#include "platform/iniFile.h"

#include <QStatusBar>

namespace varlime {

TDB_utilitaire::TDB_utilitaire(Application& app) : app_(app) {}

bool TDB_utilitaire::Fichier_a_traiter(const std::string&) const {
    // No companion mode exists yet: every file is listed.
    return true;
}

namespace {
QString qs(const std::string& s) {
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}
} // namespace

std::string TDB_utilitaire::Fichier_parametres() const {
    return configFilePath(app_.programFolder(), "varlime.ini");
}

bool TDB_utilitaire::Sauver_parametre(const std::string& section, const std::string& key,
                                      const std::string& value) {
    const std::string path = Fichier_parametres();
    if (writeIniValue(path, section, key, value).ok)
        return true;
    app_.messages().error(
        formater(app_.texte("RSC_msg_impossible_ecrire", "Impossible d'écrire dans %s"),
                 {qs(path)}),
        &app_.MainForm());
    return false;
}

bool TDB_utilitaire::Refuser_valeur(const QString& text) {
    if (dernierRefus_ != text)
        app_.messages().error(messageConversion(text), &app_.MainForm());
    dernierRefus_ = text;
    return false;
}

void TDB_utilitaire::Lecture_parametres() {
    // The file is read once; the values are then handed to their owners in a fixed
    // order, and a receiver that cannot convert its value ends the pass.
    const IniDocument ini = IniDocument::load(Fichier_parametres());
    auto lire = [&ini](const char* section, const char* key, const char* defaut) {
        return qs(ini.read(section, key, defaut));
    };
    const bool complet = [&] {
        TMainForm& main = app_.MainForm();
        main.Repertoire_courant = ini.read("CHEMINS", "DEFAUT", "Erreur");
        const QString largeur = lire("MAIN", "LARGEUR_COMPTEUR", "3");
        const QString prefixe = lire("MAIN", "PREFIXE_REMPLACEMENT", "");
        const QString masque = lire("MAIN", "MASQUE_RECHERCHE", "*.*");
        main.Positionne_option_main(masque, prefixe, largeur);
        // Receivers of the dialogs still to come take their place here, in this order:
        // FORMATS (HEURE, DATE, OUVERTURE, EXPOSITION), the eight EXIF keys, the six
        // CHEMINS_SOURCE and CHEMINS_CIBLE lines, OPTIONS/RAW_CANON, then
        // ASSOCIATION_FICHIER (SOURCE_EXIF, CIBLE). A receiver that cannot convert its
        // text returns false, and the pass ends with Refuser_valeur(text).
        return true;
    }();
    if (complet)
        dernierRefus_.reset();
}

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
