// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the dialogs do to the main window and the settings, as plain calls. The
// application object fills one set and hands it to each dialog, so the dialogs need
// no knowledge of the main window's layout.
#include "core/renameEngine.h"

#include <QString>
#include <functional>
#include <string>

namespace varlime {

struct LiensPrincipal {
    // Text of the main window's prefix field EDT_prefixe_remplacement, and changes
    // to it (text, enabled).
    std::function<QString()> prefixe;
    std::function<void(const QString&)> definirPrefixe;
    std::function<void(bool)> prefixeActif;
    // Writes a text into the status line STB_main.
    std::function<void(const QString&)> afficherStatut;
    // Lists the current folder again (and recomputes the preview).
    std::function<void()> chercherFichier;

    // The main window's search mask EDT_masque_recherche.
    std::function<void(const QString&)> definirMasqueRecherche;
    // The current folder as bytes (ending in '/'), or "Erreur" when none.
    std::function<std::string()> repertoireCourant;
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
