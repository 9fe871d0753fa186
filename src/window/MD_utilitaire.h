// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The utility module: settings access, the listing filter of the companion modes,
// the status line and the program-wide message helpers.
#include "core/modes.h"
#include "platform/iniFile.h"
#include "platform/ui/LiensPrincipal.h"
#include "platform/ui/Utilitaire.h"

#include <QString>
#include <QTimer>
#include <QVariant>
#include <functional>
#include <initializer_list>
#include <map>
#include <optional>
#include <set>
#include <string>

namespace varlime {

class FenetresPrincipal;
struct IniProblem;

class TDB_utilitaire : public Utilitaire {
public:
    // `liens`: the main window's fields and status line as this module changes them.
    TDB_utilitaire(FenetresPrincipal& app, LiensPrincipal liens);
    // Writes what is still waiting (see Noter_parametre), without a message.
    ~TDB_utilitaire();

    // Full path of the varlime.ini to read: in the program folder when that folder is
    // writable, else in the user's configuration folder (see locateConfigFile; the
    // program folder's file is read until the first write copies it there).
    std::string Fichier_parametres() const;
    // Writes one value of the settings file at once; false when refused (after the
    // message naming the file written, unless `signaler` is false).
    // Values noted and still waiting go to disk in the same pass.
    bool Sauver_parametre(const std::string& section, const std::string& key,
                          const std::string& value, bool signaler = true) override;
    // Keeps one value for a write a little later: every keystroke of a field changes
    // the options, and a write to disk with its flush costs more than the keystroke
    // itself. The values wait until the edits pause (kDelaiEcriture), the window
    // closes, this module goes, or Ecrire_parametres_en_attente is called; this
    // window sees them at once (Document_parametres).
    void Noter_parametre(const std::string& section, const std::string& key,
                         const std::string& value);
    // Writes the values still waiting; false when one was refused (after the message,
    // unless `signaler` is false). A refused value is not tried again.
    bool Ecrire_parametres_en_attente(bool signaler = true);
    bool Parametres_en_attente() const { return !enAttente_.empty(); }
    // How many times this module replaced the settings file on disk.
    int Nombre_ecritures() const { return ecritures_; }
    static constexpr int kDelaiEcriture = 500; // ms after the last noted value
    // Reads the whole settings file and hands every value to its owner.
    void Lecture_parametres();
    // Tells, once each, a settings file (`parametres`) or active language file that was
    // not read whole (too large, a value holding a NUL), with its path and key.
    void Signaler_fichiers_incomplets(const std::string& parametres, const IniProblem& probleme);
    // The settings file as this window sees it: what is on disk, with every value this
    // window wrote itself in place of what another program may have written since.
    // Several windows share one file; each keeps the choices its user made.
    IniDocument Document_parametres() const override;
    // A receiver of the read pass refused a stored text (no number): shows the
    // conversion error and returns false, which ends the pass. The same text is not
    // reported again until a pass completes: the main window reads the settings each
    // time it becomes active, also when this very message box closes.
    bool Refuser_valeur(const QString& text);

    // The operating mode as the options stand now.
    Mode Retourner_statut() const override;
    // Writes the current mode into the main window's status line and remembers it.
    void Afficher_statut();
    // Computes and remembers the current mode; `texte` gets its name.
    void Retourner_statut_chaine(QString& texte);
    // Leaves the given mode.
    void Desactiver_mode(Mode mode) override;
    // Before a dialog enters its own mode: when the last shown mode is another one
    // (not normal), asks "Voulez-vous sortir du ... ?" and leaves it on Yes. False
    // when the user answered No: the dialog is then not shown.
    bool Proposer_sortie_mode(Mode propre) override;
    // EXIF naming on (the preview then makes equal neighbouring names distinct).
    bool Est_mode_exif() const { return modeExif && modeExif(); }

    // Filled in by the EXIF naming and companion dialogs: whether their mode is on,
    // the two extensions of the association, and how each of them is left.
    std::function<bool()> modeExif;
    std::function<bool()> modeRawCanon;
    std::function<bool()> modeAssociation;
    std::function<void(QString&, QString&)> extensionsAssociation;
    std::function<void(Mode)> desactiverModeExterne;

    // The message shown when a numeric field holds no integer.
    QString messageConversion(const QString& text) const;
    QString formater(const QString& format, std::initializer_list<QVariant> args) const;

private:
    FenetresPrincipal& app_;
    LiensPrincipal liens_;
    Mode dernierStatut_ = Mode::Normal;
    // The last refused text, until a read pass completes.
    std::optional<QString> dernierRefus_;
    std::set<std::string> signales_; // files already told as not read whole
    // Every value this window wrote, the last one of each key, by folded section and key.
    struct Ecrit {
        std::string section, cle, valeur;
    };
    std::map<std::string, Ecrit> ecrits_;
    // Noted and not written yet, by the same folded names.
    std::map<std::string, Ecrit> enAttente_;
    QTimer minuterie_;
    int ecritures_ = 0;
    bool refusSignale_ = false; // the last write of the timer was refused and told
    static std::string cleRepliee(const std::string& section, const std::string& key);
    // Writes one value unless the file holds it already; false when refused.
    bool ecrireUne(const Ecrit& e, bool signaler);
};

} // namespace varlime
