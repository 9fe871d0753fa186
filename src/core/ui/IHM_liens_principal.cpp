#include "core/ui/IHM_liens_principal.h"

#include "app/Application.h"
#include "core/ui/IHM_masque.h"
#include "core/ui/IHM_option_compteur.h"
#include "core/ui/IHM_option_date.h"
#include "core/ui/IHM_option_heure.h"
#include "core/ui/IHM_option_prefixe.h"
#include "core/ui/MD_masque.h"
#include "core/ui/MD_utilitaire.h"
#include "core/ui/Main.h"
#include "exif_naming/ui/IHM_exif_info.h"
#include "exif_naming/ui/IHM_exif_option_affichage.h"
#include "exif_naming/ui/IHM_option_exposition.h"
#include "exif_naming/ui/IHM_option_ouverture.h"

#include <QApplication>
#include <QCheckBox>
#include <QDesktopServices>
#include <QLineEdit>
#include <QStatusBar>
#include <QUrl>

namespace varlime {

LiensPrincipal liensPrincipal(Application& app) {
    LiensPrincipal l;
    l.prefixe = [&app] { return app.MainForm().EDT_prefixe_remplacement->text(); };
    l.definirPrefixe = [&app](const QString& t) {
        app.MainForm().EDT_prefixe_remplacement->setText(t);
    };
    l.prefixeVisible = [&app](bool v) { app.MainForm().Prefixe_visible(v); };
    l.prefixeActif = [&app](bool v) { app.MainForm().EDT_prefixe_remplacement->setEnabled(v); };
    l.cocherCompteurInactif = [&app] { app.MainForm().CKB_compteur_inactif->setChecked(true); };
    l.afficherStatut = [&app](const QString& t) { app.MainForm().STB_main->showMessage(t); };
    l.compteurADroite = [&app] { return app.DLG_option_compteur().Position(); };
    l.chercherFichier = [&app] { app.MainForm().Chercher_fichier(); };
    l.sortirMode = [&app](Mode propre) { return app.DB_utilitaire().Proposer_sortie_mode(propre); };
    l.sauverParametre = [&app](const QString& section, const QString& cle, const QString& valeur) {
        app.DB_utilitaire().Sauver_parametre(section.toStdString(), cle.toStdString(),
                                             valeur.toStdString());
    };
    l.ouvrirAdresse = [&app](const QString& adresse) {
        app.ouvrirAdresse(adresse, QApplication::activeModalWidget());
    };
    l.ouvrirAide = [&app](const char* cle) {
        app.ouvrirAide(cle, QApplication::activeModalWidget());
    };
    return l;
}

void relierOptionsNommage(Application& app) {
    const LiensPrincipal liens = liensPrincipal(app);
    app.DLG_option_date().liens = liens;
    app.DLG_option_heure().liens = liens;
    app.DLG_masque().liens = liens;
    app.DLG_option_prefixe().ouvrirDate = [&app] { app.DLG_option_date().Gerer(true); };
    app.DLG_option_prefixe().ouvrirMasque = [&app] { app.DLG_masque().Gerer(); };
    TDB_masque& masque = app.DB_masque();
    masque.masque = [&app] { return app.MainForm().EDT_prefixe_remplacement->text(); };
    masque.compteurInactifVisible = [&app](bool v) {
        QCheckBox* box = app.MainForm().CKB_compteur_inactif;
        if (box->isHidden() == v)
            box->setVisible(v);
    };
    masque.modeExif = [&app] { return app.DB_utilitaire().Est_mode_exif(); };

    // EXIF naming and its formats.
    app.DLG_option_ouverture().liens = liens;
    app.DLG_option_exposition().liens = liens;
    TDLG_exif_option_affichage& affichage = app.DLG_exif_option_affichage();
    affichage.ouvrirDate = [&app] { app.DLG_option_date().Gerer(false); };
    affichage.ouvrirHeure = [&app] { app.DLG_option_heure().Gerer(); };
    affichage.ouvrirOuverture = [&app] { app.DLG_option_ouverture().Gerer(); };
    affichage.ouvrirExposition = [&app] { app.DLG_option_exposition().Gerer(); };
    TDB_utilitaire& util = app.DB_utilitaire();
    util.modeExif = [&app] { return app.DLG_exif_info().Est_mode_exif(); };
    util.desactiverModeExterne = [&app](Mode mode) {
        if (mode == Mode::Exif)
            app.DLG_exif_info().Desactive_exif();
    };
}

} // namespace varlime
