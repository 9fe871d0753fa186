// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's side of the rename run and its undo: what the controller asks of it.
#include "window/Main.h"

#include "window/FenetresPrincipal.h"
#include "window/IHM_rapport.h"

#include <QComboBox>

namespace varlime {

ControleurRenommage::Fenetre TMainForm::fenetreRenommage() {
    ControleurRenommage::Fenetre f;
    f.parent = this;
    f.nommerTout = [this] { lireAvantRenommage(); };
    f.finirListe = [this] { grille_.lireEtAttendre(false); };
    f.relister = [this] { Chercher_fichier(); };
    f.largeurCompteur = [this](int largeur) {
        CBB_largeur_increment->setCurrentText(QString::number(largeur));
    };
    f.montrerRapport = [this](const RapportTest& r) {
        TDLG_rapport& rapport = app_.DLG_rapport();
        rapport.Remplir(r.lignes);
        rapport.Gerer();
    };
    return f;
}

RapportTest TMainForm::Rapport_test() {
    return renommage_.rapport();
}

void TMainForm::Tester_rename() {
    renommage_.tester();
}

void TMainForm::Varlimer() {
    renommage_.varlimer();
}

void TMainForm::Annuler_dernier_varlimage() {
    renommage_.annulerDernier();
}

void TMainForm::Signaler_varlimage_interrompu() {
    renommage_.signalerInterrompus();
}

} // namespace varlime
