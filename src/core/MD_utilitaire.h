#pragma once
// The utility module: settings access, the listing filter of the companion modes,
// the status line and the program-wide message helpers.
#include <QString>
#include <initializer_list>
#include <QVariant>
#include <string>

namespace varlime {

class Application;

class TDB_utilitaire {
public:
    explicit TDB_utilitaire(Application& app);

    // True when the listing keeps the file (every companion mode that is on agrees).
    bool Fichier_a_traiter(const std::string& name) const;

    // Writes one value of the settings file at once; false (after the message) when refused.
    bool Sauver_parametre(const std::string& section, const std::string& key,
                          const std::string& value);
    // Reads the whole settings file and hands every value to its owner.
    void Lecture_parametres();

    // Writes the current mode into the main window's status line.
    void Afficher_statut();

    // The message shown when a numeric field holds no integer.
    QString messageConversion(const QString& text) const;
    QString formater(const QString& format, std::initializer_list<QVariant> args) const;

private:
    Application& app_;
};

} // namespace varlime
