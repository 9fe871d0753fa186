// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/PanneauNommage.h"

#include "core/maskEngine.h"
#include "core/modes.h"
#include "core/nameUtils.h"
#include "exif_naming/ui/IHM_option_exposition.h"
#include "exif_naming/ui/IHM_option_ouverture.h"
#include "naming/modeleNommage.h"
#include "naming/reglagesNommage.h"
#include "window/FenetresPrincipal.h"
#include "window/IHM_masque.h"
#include "window/IHM_option_date.h"
#include "window/IHM_option_heure.h"
#include "window/MD_utilitaire.h"
#include "window/Main.h"

#include <QCheckBox>
#include <QComboBox>
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

void PanneauNommage::relier() {
    TMainForm& f = fenetre_;
    QObject::connect(&modele_, &ModeleNommage::change, &modele_,
                     [this](const OptionsNommage& avant) { suivre(avant); });
    auto vers = [this](auto champ) {
        return [this, champ](const auto& valeur) {
            modele_.modifier([&](OptionsNommage& o) { champ(o, valeur); });
        };
    };
    auto texte = [](std::string OptionsNommage::*champ) {
        return [champ](OptionsNommage& o, const QString& t) { o.*champ = t.toStdString(); };
    };
    auto coche = [](bool OptionsNommage::*champ) {
        return [champ](OptionsNommage& o, bool c) { o.*champ = c; };
    };
    // A counter field being typed (emptied, or not a number yet) is no error: the last
    // number it held goes on applying until it holds a number again.
    auto nombre = [](int OptionsNommage::*champ) {
        return
            [champ](OptionsNommage& o, const QString& t) { toInteger(t.toStdString(), o.*champ); };
    };
    QObject::connect(f.EDT_masque_recherche, &QLineEdit::textChanged, &modele_,
                     vers(texte(&OptionsNommage::masqueRecherche)));
    QObject::connect(f.EDT_prefixe_remplacement, &QLineEdit::textChanged, &modele_,
                     vers(texte(&OptionsNommage::prefixe)));
    QObject::connect(f.TXT_extension_remplacement, &QLineEdit::textChanged, &modele_,
                     vers(texte(&OptionsNommage::extension)));
    QObject::connect(f.CKB_extension, &QCheckBox::toggled, &modele_,
                     vers(coche(&OptionsNommage::extensionImposee)));
    QObject::connect(f.CKB_compteur_inactif, &QCheckBox::toggled, &modele_,
                     vers(coche(&OptionsNommage::compteurInactif)));
    QObject::connect(f.CKB_extension_minuscule, &QCheckBox::toggled, &modele_,
                     vers(coche(&OptionsNommage::extensionMinuscule)));
    QObject::connect(f.CBB_largeur_increment, &QComboBox::currentTextChanged, &modele_,
                     vers(nombre(&OptionsNommage::largeur)));
    QObject::connect(f.EDT_initialisation, &QLineEdit::textChanged, &modele_,
                     vers(nombre(&OptionsNommage::initialisation)));
}

std::optional<std::string> PanneauNommage::reprendreReglages(const IniDocument& ini) {
    lectureReglages_ = true;
    std::optional<std::string> refus;
    modele_.modifier([&ini, &refus](OptionsNommage& o) { refus = lireReglagesDuModele(ini, o); });
    lectureReglages_ = false;
    return refus;
}

void PanneauNommage::suivre(const OptionsNommage& avant) {
    const OptionsNommage& apres = modele_.options();
    montrer(avant);
    if (!lectureReglages_)
        for (const auto& [reglage, texte] : reglagesChanges(avant, apres))
            app_.DB_utilitaire().Noter_parametre(reglage->section, reglage->cle, texte);
    // The search mask lists the folder again and the fields below compute the names
    // again through their own connections; any other option of the model does it here.
    OptionsNommage suivies = avant;
    suivies.masqueRecherche = apres.masqueRecherche;
    suivies.prefixe = apres.prefixe;
    suivies.extensionImposee = apres.extensionImposee;
    suivies.extension = apres.extension;
    suivies.compteurInactif = apres.compteurInactif;
    suivies.largeur = apres.largeur;
    suivies.initialisation = apres.initialisation;
    if (!(suivies == apres))
        fenetre_.Voir_rename();
}

void PanneauNommage::ouvrirDate(bool prefixe) {
    if (prefixe && !app_.DB_utilitaire().Proposer_sortie_mode(Mode::DateCreation))
        return;
    // The copy is taken once the other mode is left. A dialog's OK is one deliberate
    // change, stored at once rather than when typing pauses.
    if (auto o = app_.DLG_option_date().Gerer(prefixe, modele_.copie())) {
        modele_.remplacer(*o);
        app_.DB_utilitaire().Ecrire_parametres_en_attente();
    }
    fenetre_.Chercher_fichier();
}

void PanneauNommage::ouvrirMasque() {
    if (!app_.DB_utilitaire().Proposer_sortie_mode(Mode::Masque))
        return;
    if (auto o = app_.DLG_masque().Gerer(modele_.copie())) {
        fenetre_.EDT_prefixe_remplacement->setEnabled(true);
        modele_.remplacer(*o);
        app_.DB_utilitaire().Ecrire_parametres_en_attente();
    }
    fenetre_.Chercher_fichier();
}

void PanneauNommage::ouvrirHeure() {
    if (auto o = app_.DLG_option_heure().Gerer(modele_.copie())) {
        modele_.remplacer(*o);
        app_.DB_utilitaire().Ecrire_parametres_en_attente();
    }
}

void PanneauNommage::ouvrirOuverture() {
    if (auto o = app_.DLG_option_ouverture().Gerer(modele_.copie())) {
        modele_.remplacer(*o);
        app_.DB_utilitaire().Ecrire_parametres_en_attente();
    }
}

void PanneauNommage::ouvrirExposition() {
    if (auto o = app_.DLG_option_exposition().Gerer(modele_.copie())) {
        modele_.remplacer(*o);
        app_.DB_utilitaire().Ecrire_parametres_en_attente();
    }
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
    if (f.CKB_extension_minuscule->isChecked() != o.extensionMinuscule)
        f.CKB_extension_minuscule->setChecked(o.extensionMinuscule);
    if (avant.dateFichier != o.dateFichier)
        f.Prefixe_visible(!o.dateFichier);
}

} // namespace varlime
