// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/PanneauNommage.h"

#include "core/maskEngine.h"
#include "core/modes.h"
#include "exif_naming/ui/IHM_option_exposition.h"
#include "exif_naming/ui/IHM_option_ouverture.h"
#include "naming/modeleNommage.h"
#include "window/FenetresPrincipal.h"
#include "window/IHM_masque.h"
#include "window/IHM_option_date.h"
#include "window/IHM_option_heure.h"
#include "window/MD_utilitaire.h"
#include "window/Main.h"

#include <QCheckBox>
#include <QLineEdit>

namespace varlime {

namespace {
// A prefix field holding a rename mask rather than a text.
bool estMasque(const std::string& prefixe) {
    return !prefixe.empty() && prefixe.front() == '[';
}
} // namespace

PanneauNommage::PanneauNommage(FenetresPrincipal& app, TMainForm& fenetre, ModeleNommage& modele)
    : app_(app), fenetre_(fenetre), modele_(modele) {}

void PanneauNommage::ouvrirDate(bool prefixe) {
    if (prefixe && !app_.DB_utilitaire().Proposer_sortie_mode(Mode::DateCreation))
        return;
    // The copy is taken once the other mode is left.
    if (auto o = app_.DLG_option_date().Gerer(prefixe, modele_.copie()))
        modele_.remplacer(*o);
    fenetre_.Chercher_fichier();
}

void PanneauNommage::ouvrirMasque() {
    if (!app_.DB_utilitaire().Proposer_sortie_mode(Mode::Masque))
        return;
    if (auto o = app_.DLG_masque().Gerer(modele_.copie())) {
        fenetre_.EDT_prefixe_remplacement->setEnabled(true);
        modele_.remplacer(*o);
    }
    fenetre_.Chercher_fichier();
}

void PanneauNommage::ouvrirHeure() {
    if (auto o = app_.DLG_option_heure().Gerer(modele_.copie()))
        modele_.remplacer(*o);
}

void PanneauNommage::ouvrirOuverture() {
    if (auto o = app_.DLG_option_ouverture().Gerer(modele_.copie()))
        modele_.remplacer(*o);
}

void PanneauNommage::ouvrirExposition() {
    if (auto o = app_.DLG_option_exposition().Gerer(modele_.copie()))
        modele_.remplacer(*o);
}

void PanneauNommage::quitterMasque() {
    modele_.modifier([this](OptionsNommage& o) {
        if (estMasque(o.prefixe))
            o.prefixe = prefixeAvantMasque_;
    });
}

void PanneauNommage::quitterDateFichier() {
    modele_.modifier([](OptionsNommage& o) {
        o.datePrefixe = false;
        o.dateFichier = false;
    });
}

void PanneauNommage::montrer(const OptionsNommage& avant) {
    const OptionsNommage& o = modele_.options();
    TMainForm& f = fenetre_;
    // The prefix that leaving a mask brings back: the last text the prefix held, typed,
    // chosen or read (an emptied field is a step of typing, not a prefix).
    if (!o.prefixe.empty() && !estMasque(o.prefixe))
        prefixeAvantMasque_ = o.prefixe;
    // Setting a field sends its text back to the model, which already holds it: the
    // field's other followers (the names, the settings) then run as for a keystroke.
    if (f.EDT_prefixe_remplacement->text().toStdString() != o.prefixe)
        f.EDT_prefixe_remplacement->setText(QString::fromStdString(o.prefixe));
    if (f.CKB_compteur_inactif->isChecked() != o.compteurInactif)
        f.CKB_compteur_inactif->setChecked(o.compteurInactif);
    if (avant.dateFichier != o.dateFichier)
        f.Prefixe_visible(!o.dateFichier);
}

} // namespace varlime
