// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The naming panel of the main window: the dialogs that edit the naming options, each
// on a copy of the model's options that it hands back on OK, and the main window's
// naming fields following the model.
#include "core/renameEngine.h"

#include <string>

namespace varlime {

class FenetresPrincipal;
class ModeleNommage;
class TMainForm;

class PanneauNommage {
public:
    PanneauNommage(FenetresPrincipal& app, TMainForm& fenetre, ModeleNommage& modele);

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

    // The main window's naming fields as the model's options have them, after a change
    // from `avant`.
    void montrer(const OptionsNommage& avant);

private:
    FenetresPrincipal& app_;
    TMainForm& fenetre_;
    ModeleNommage& modele_;
    // The last prefix text that was no mask.
    std::string prefixeAvantMasque_;
};

} // namespace varlime
