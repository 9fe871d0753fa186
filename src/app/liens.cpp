// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Application.h"
#include "companions/ui/IHM_association_fichier.h"
#include "companions/ui/IHM_canon.h"
#include "companions/ui/MD_association_fichier.h"
#include "exif_naming/ui/IHM_exif_info.h"
#include "exif_naming/ui/IHM_exif_option_affichage.h"
#include "exif_naming/ui/IHM_option_exposition.h"
#include "exif_naming/ui/IHM_option_ouverture.h"
#include "window/IHM_masque.h"
#include "window/IHM_option_compteur.h"
#include "window/IHM_option_date.h"
#include "window/IHM_option_heure.h"
#include "window/IHM_option_prefixe.h"
#include "window/MD_masque.h"
#include "window/MD_utilitaire.h"
#include "window/Main.h"
#include "window/PanneauNommage.h"

#include <QApplication>
#include <QCheckBox>
#include <QDesktopServices>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QUrl>

namespace varlime {

// The wiring between the windows: the links the dialogs are given over the main window,
// the settings and the modes, and the calls between the modes' dialogs and modules.

LiensPrincipal Application::liensPrincipal() {
    Application& app = *this;
    LiensPrincipal l;
    l.prefixe = [&app] { return app.MainForm().EDT_prefixe_remplacement->text(); };
    l.definirPrefixe = [&app](const QString& t) {
        app.MainForm().EDT_prefixe_remplacement->setText(t);
    };
    l.prefixeActif = [&app](bool v) { app.MainForm().EDT_prefixe_remplacement->setEnabled(v); };
    l.afficherStatut = [&app](const QString& t) { app.MainForm().STB_main->showMessage(t); };
    l.chercherFichier = [&app] { app.MainForm().Chercher_fichier(); };
    l.definirMasqueRecherche = [&app](const QString& t) {
        app.MainForm().EDT_masque_recherche->setText(t);
    };
    l.repertoireCourant = [&app] { return app.MainForm().Repertoire_courant; };
    l.boutonCanonVisible = [&app](bool v) { app.MainForm().BT_canon->setVisible(v); };
    l.outilRawVisible = [&app](bool v) { app.MainForm().afficherOutilRaw(v); };
    l.ecranPrincipalExif = [&app] { app.MainForm().Ecran_principal_exif(); };
    l.testListeExif = [&app] { return app.MainForm().Test_liste_exif(); };
    l.sauverParametresMain = [&app] { app.MainForm().Sauver_parametres_main(); };
    l.optionsAffichees = [&app] { return app.MainForm().optionsAffichees(); };
    return l;
}

void Application::relierOptionsNommage() {
    Application& app = *this;
    // The dialogs of the naming options edit a copy of the main window's model, which
    // its naming panel writes back on OK.
    PanneauNommage& panneau = app.MainForm().panneau();
    app.DLG_option_prefixe().ouvrirDate = [&panneau] { panneau.ouvrirDate(true); };
    app.DLG_option_prefixe().ouvrirMasque = [&panneau] { panneau.ouvrirMasque(); };
    app.DLG_masque().ouvrirAide = [&app] {
        app.ouvrirAide("RSC_lien_aide_masque", QApplication::activeModalWidget());
    };
    TDB_masque& masque = app.DB_masque();
    masque.masque = [&app] { return app.MainForm().EDT_prefixe_remplacement->text(); };
    masque.compteurInactifVisible = [&app](bool v) {
        QCheckBox* box = app.MainForm().CKB_compteur_inactif;
        if (box->isHidden() == v)
            box->setVisible(v);
    };
    masque.modeExif = [&app] { return app.DB_utilitaire().Est_mode_exif(); };

    // EXIF naming and its formats.
    TDLG_exif_option_affichage& affichage = app.DLG_exif_option_affichage();
    affichage.ouvrirDate = [&panneau] { panneau.ouvrirDate(false); };
    affichage.ouvrirHeure = [&panneau] { panneau.ouvrirHeure(); };
    affichage.ouvrirOuverture = [&panneau] { panneau.ouvrirOuverture(); };
    affichage.ouvrirExposition = [&panneau] { panneau.ouvrirExposition(); };
    TDB_utilitaire& util = app.DB_utilitaire();
    util.modeExif = [&app] { return app.DLG_exif_info().Est_mode_exif(); };
    util.desactiverModeExterne = [&app](Mode mode) {
        if (mode == Mode::Exif)
            app.DLG_exif_info().Desactive_exif();
    };
}

void Application::relierCompagnons() {
    Application& app = *this;
    app.DLG_canon().desactiverAssociation = [&app] {
        app.DLG_association_fichier().Desactiver_mode_association();
    };
    TDB_utilitaire& util = app.DB_utilitaire();
    util.modeRawCanon = [&app] { return app.DB_association_fichier().options().rawCanon; };
    util.modeAssociation = [&app] {
        return app.DB_association_fichier().Traite_association_fichier();
    };
    util.extensionsAssociation = [&app](QString& cible, QString& source) {
        cible = app.DLG_association_fichier().EDT_association1->text();
        source = app.DLG_association_fichier().EDT_association2->text();
    };
    // The companion modes are kinds of EXIF naming: switching EXIF naming off by hand
    // leaves them too, or their filter would go on hiding files in the normal mode.
    QObject::connect(app.DLG_exif_info().CKB_exploitation_exif, &QCheckBox::clicked,
                     app.DLG_exif_info().CKB_exploitation_exif, [&app](bool coche) {
                         if (coche)
                             return;
                         app.DLG_canon().Desactiver_raw_canon();
                         app.DLG_association_fichier().Desactiver_mode_association();
                     });
    // EXIF naming itself is left by the EXIF dialog's own wiring.
    util.desactiverModeExterne = [&app, exif = util.desactiverModeExterne](Mode mode) {
        if (mode == Mode::RawCanon)
            app.DLG_canon().Desactiver_raw_canon();
        else if (mode == Mode::Association)
            app.DLG_association_fichier().Desactiver_mode_association();
        else if (exif)
            exif(mode);
    };
}

} // namespace varlime
