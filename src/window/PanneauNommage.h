// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The naming panel of the main window: the dialogs that edit the naming options, each
// on a copy of the model's options that it hands back on OK, and the main window's
// naming fields following the model.
#include "core/renameEngine.h"

#include <optional>
#include <string>

namespace varlime {

class FenetresPrincipal;
class IniDocument;
class ModeleNommage;
class TMainForm;

class PanneauNommage {
public:
    PanneauNommage(FenetresPrincipal& app, TMainForm& fenetre, ModeleNommage& modele);

    // Connects the main window's naming fields to the model, both ways: a field sends
    // each edit to the model before anything else hears of it, and shows the model.
    void relier();
    // The options the model keeps, as the settings file holds them (read at start); the
    // first stored text that is no number ends the read and is returned.
    std::optional<std::string> reprendreReglages(const IniDocument& ini);

    // Each opens its dialog over a copy of the options and writes the copy back into
    // the model on OK; Annuler leaves the model as it was. The date and mask dialogs
    // first offer to leave another mode, and list the folder again when they close.
    // prefixe: the date dialog sets the date prefix; false: only the date's form.
    void ouvrirDate(bool prefixe);
    void ouvrirMasque();
    void ouvrirHeure();
    void ouvrirOuverture();
    void ouvrirExposition();

    // Leaving the mask mode: the prefix the user had before choosing the mask comes back.
    void quitterMasque();
    // Leaving the file-date mode: the date prefix off, the prefix field back.
    void quitterDateFichier();

private:
    // After a change of the model from `avant`: the fields show it, the options it keeps
    // go to the settings file, and the names follow the options that no field of the
    // window recomputes them for itself.
    void suivre(const OptionsNommage& avant);
    // The main window's naming fields as the model's options have them.
    void montrer(const OptionsNommage& avant);

    FenetresPrincipal& app_;
    TMainForm& fenetre_;
    ModeleNommage& modele_;
    // The model is being given what the settings file holds: nothing to write back.
    bool lectureReglages_ = false;
    // The last prefix text that was no mask.
    std::string prefixeAvantMasque_;
};

} // namespace varlime
