// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The rename run and its undo as the main window offers them: the test before renaming,
// the run with its questions and summary, the undo of the last run, and the offer made
// at start for a run that never ended. The pipeline lists, names, renames and words the
// summaries; this asks the user and shows what comes back, over the window it is given.
#include "core/messageFormat.h"
#include "core/renameEngine.h"
#include "core/renameTest.h"

#include <functional>

class QWidget;

namespace varlime {

class ChaineNommage;
class MessageService;

class ControleurRenommage {
public:
    // What the run needs of the window around it; a hook left empty does nothing.
    struct Fenetre {
        // Over which the message boxes open (none: centred on the screen).
        QWidget* parent = nullptr;
        // Before a report or a run: every row gets its new name (a reading of EXIF facts
        // on the side ends first).
        std::function<void()> nommerTout;
        // Before an undo: a listing of the folder on the side ends first, as the folder
        // undone is the one being listed.
        std::function<void()> finirListe;
        // After a run or an undo: the folder is listed again, with its names.
        std::function<void()> relister;
        // The counter width the user accepted before a run; the names follow it.
        std::function<void(int)> largeurCompteur;
        // The report of the test before renaming.
        std::function<void(const RapportTest&)> montrerRapport;
    };

    // `texte` looks up the messages of the active language.
    ControleurRenommage(ChaineNommage& chaine, TextLookup texte, MessageService& messages,
                        Fenetre fenetre);

    // The report of the grid as it stands; nothing on disk changes.
    RapportTest rapport();
    // The same, shown in the report window.
    void tester();
    // The run over the rows as they stand, after its questions; ends with a fresh
    // listing and the summary, or, when nothing was renamed, the reason and the grid as
    // it was.
    void varlimer();
    // Undoes (or, after an undo, makes again) the last run in the folder listed, after
    // confirmation.
    void annulerDernier();
    // Each run that never ended is reported once and offered to be undone.
    void signalerInterrompus();
    // The summary of the last run.
    const BilanRenommage& dernierBilan() const { return dernierBilan_; }

private:
    QString message(const char* cle, const char* defaut) const;
    // Undoes `plan` in `dossier`, then lists again what the window shows and tells the summary.
    void annulerEtDire(const DossierListe& dossier, const PlanAnnulation& plan);

    ChaineNommage& chaine_;
    TextLookup texte_;
    MessageService& messages_;
    Fenetre fenetre_;
    BilanRenommage dernierBilan_;
};

} // namespace varlime
