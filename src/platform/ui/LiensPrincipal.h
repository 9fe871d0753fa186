// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the dialogs do to the main window and the settings, as plain calls. The
// application object fills one set and hands it to each dialog, so the dialogs need
// no knowledge of the main window's layout.
#include "core/modes.h"
#include "core/renameEngine.h"

#include <QString>
#include <functional>
#include <string>

namespace varlime {

struct LiensPrincipal {
    // Text of the main window's prefix field EDT_prefixe_remplacement, and changes
    // to it (text, visible, enabled).
    std::function<QString()> prefixe;
    std::function<void(const QString&)> definirPrefixe;
    std::function<void(bool)> prefixeVisible;
    std::function<void(bool)> prefixeActif;
    // Checks the main window's CKB_compteur_inactif.
    std::function<void()> cocherCompteurInactif;
    // Writes a text into the status line STB_main.
    std::function<void(const QString&)> afficherStatut;
    // True when the counter stands right of the name (counter dialog, item 0).
    std::function<bool()> compteurADroite;
    // Lists the current folder again (and recomputes the preview).
    std::function<void()> chercherFichier;
    // Before a dialog enters its own mode: asks to leave the last shown mode when it
    // is another one, and leaves it on Yes. False when the user answered No.
    std::function<bool(Mode propre)> sortirMode;
    // Writes one value to the settings file at once.
    std::function<void(const QString& section, const QString& cle, const QString& valeur)>
        sauverParametre;
    // Opens a help address with the desktop's default handler.
    std::function<void(const QString& adresse)> ouvrirAdresse;
    // Opens the shipped help page named by a RSC_lien_aide_ key.
    std::function<void(const char* cle)> ouvrirAide;

    // The main window's search mask EDT_masque_recherche.
    std::function<void(const QString&)> definirMasqueRecherche;
    // The current folder as bytes (ending in '/'), or "Erreur" when none.
    std::function<std::string()> repertoireCourant;
    std::function<void(const std::string&)> definirRepertoireCourant;
    // The Canon RAW button of the main window's panel, and its tool button.
    std::function<void(bool)> boutonCanonVisible;
    std::function<void(bool)> outilRawVisible;
    // EXIF naming: the main window's layout for it, the list check before switching
    // it on (true = go on), the writing of the three main options, and the options
    // of the last preview with the formats as the dialogs now hold them.
    std::function<void()> ecranPrincipalExif;
    std::function<bool()> testListeExif;
    std::function<void()> sauverParametresMain;
    std::function<OptionsNommage()> optionsAffichees;
};

} // namespace varlime
