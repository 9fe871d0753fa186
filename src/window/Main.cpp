// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/Main.h"
#include "naming/reglagesNommage.h"
#include "platform/texteQt.h"

#include "companions/ui/IHM_association_fichier.h"
#include "companions/ui/IHM_canon.h"
#include "companions/ui/MD_association_fichier.h"
#include "info/ui/IHM_information.h"

#include "core/nameUtils.h"
#include "exif/ui/IHM_exif_dump.h"
#include "exif_naming/faitsExif.h"
#include "exif_naming/ui/IHM_exif_info.h"
#include "exif_naming/ui/IHM_option_exposition.h"
#include "exif_naming/ui/IHM_option_ouverture.h"
#include "i18n/ui/IHM_langue.h"
#include "imaging/ui/IHM_vignette.h"
#include "imaging/ui/MD_image.h"
#include "info/ui/IHM_a_propos.h"
#include "info/ui/IHM_essai.h"
#include "platform/fileSystem.h"
#include "platform/ui/MessageService.h"
#include "platform/ui/RadioGroup.h"
#include "transfer/ui/IHM_rep_xp.h"
#include "transfer/ui/IHM_selection_repertoire.h"
#include "transfer/ui/IHM_transfert.h"
#include "window/FenetresPrincipal.h"
#include "window/IHM_masque.h"
#include "window/IHM_option_compteur.h"
#include "window/IHM_option_date.h"
#include "window/IHM_option_heure.h"
#include "window/IHM_option_prefixe.h"
#include "window/IHM_type_fichier.h"
#include "window/MD_masque.h"
#include "window/MD_utilitaire.h"
#include "window/fileGridModel.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QStatusBar>
#include <QTableView>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace varlime {

bool TMainForm::eventFilter(QObject* watched, QEvent* e) {
    if (watched == GRS_fichier->viewport() && e->type() == QEvent::Resize)
        ajusterColonnes();
    if (watched == IMG_imagette && e->type() == QEvent::MouseButtonRelease) {
        IMG_imagetteClick();
        return true;
    }
    if (watched == LBL_repertoire && e->type() == QEvent::MouseButtonDblClick) {
        app_.DLG_essai().Gerer(Repertoire_courant);
        return true;
    }
    return QMainWindow::eventFilter(watched, e);
}

void TMainForm::closeEvent(QCloseEvent* e) {
    prechargement_.arreter();
    Sauver_parametres_main();
    app_.DB_utilitaire().Ecrire_parametres_en_attente();
    app_.DB_image().Cloturer_DLL_LibGfl();
    e->accept();
}

void TMainForm::Selection_repertoire() {
    TDLG_rep_xp& picker = app_.DLG_rep_xp();
    if (picker.Selection_repertoire(qs(nomAffichable(Repertoire_courant)))) {
        // The picker shows the path as text; the folder is found again by its bytes.
        Repertoire_courant = cheminSurDisque(picker.cheminSelectionne());
        Validation_repertoire();
    } else if (LBL_repertoire->text().isEmpty()) {
        pickerJustCancelled_ = true;
    }
}

void TMainForm::Validation_repertoire(bool enregistrer) {
    lectureInterrompue_ = false;
    Repertoire_courant = Retourne_repertoire_slash(Repertoire_courant);
    LBL_repertoire->setText(qs(nomAffichable(Repertoire_courant)));
    // Bare names of the grid resolve in this folder.
    changerRepertoireCourant(Repertoire_courant);
    // The settings file is text: a path that is not UTF-8 would turn the whole file
    // into another encoding, so such a folder is listed but not remembered.
    if (enregistrer && nomAffichable(Repertoire_courant) == Repertoire_courant)
        app_.DB_utilitaire().Sauver_parametre(reglages::kDossier.section, reglages::kDossier.cle,
                                              Repertoire_courant);
    Chercher_fichier();
}

void TMainForm::Chercher_fichier() {
    // While a large folder is listed on the side the options are not touched: it is
    // listed again with them once it is done.
    if (grille_.listageEnCours()) {
        grille_.relisterApres();
        return;
    }
    grille_.traduire();
    OptionsNommage& o = chaine_.options();
    o.masqueRecherche = modele_.options().masqueRecherche;
    o.attributs = app_.DLG_type_fichier().Determiner();
    o.compagnons = app_.DB_association_fichier().options();
    listeFiltree_ = o.compagnons.rawCanon || o.compagnons.association;
    if (Repertoire_courant != "Erreur") {
        grille_.lister(Repertoire_courant, [this](bool listeOk) { finListage(listeOk); });
        return;
    }
    grille_.vider();
    finListage(true);
}

void TMainForm::finListage(bool listeOk) {
    signalerDossierIllisible(listeOk);
    Fichiers_trouves = chaine_.fichiersTrouves();
    Voir_rename();
    Rafraichir_imagette();
}

void TMainForm::signalerDossierIllisible(bool listeOk) {
    // A folder that is there but cannot be read would otherwise look empty. It is told
    // once, not at every keystroke in the search mask; a missing folder is the picker's
    // to report.
    int erreur = 0;
    if (!listeOk) {
        const int fd = ::open(Repertoire_courant.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd >= 0)
            ::close(fd);
        else
            erreur = errno;
    }
    struct stat st;
    const bool illisible = erreur != 0 && erreur != ENOENT && erreur != ENOTDIR &&
                           ::stat(Repertoire_courant.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    if (!illisible) {
        dossierIllisibleSignale_.clear();
        return;
    }
    if (dossierIllisibleSignale_ == Repertoire_courant)
        return;
    dossierIllisibleSignale_ = Repertoire_courant;
    const QString message = app_.DB_utilitaire().formater(
        app_.texte("RSC_msg_repertoire_illisible",
                   "Le répertoire %s ne peut pas être lu (%s) : aucun fichier n'est listé."),
        {qs(nomAffichable(Repertoire_courant)),
         qs(texteErreurSysteme(lookupMessages(app_.localization()), erreur))});
    // A folder given at start is listed before the window shows: its message waits for
    // the window, over which it opens.
    if (differerMessages && !premiereActivation_)
        messageDiffere_ = message;
    else
        app_.messages().error(message, this);
}

OptionsNommage TMainForm::optionsAffichees() const {
    OptionsNommage o = moteur_.options;
    const OptionsNommage& m = modele_.options();
    o.prefixe = m.prefixe;
    o.formatDate = m.formatDate;
    o.formatHeure = m.formatHeure;
    o.exif.formatOuverture = m.exif.formatOuverture;
    o.exif.formatExposition = m.exif.formatExposition;
    o.exif.suffixeExposition = app_.DLG_option_exposition().suffixe(m.exif.formatExposition);
    return o;
}

void TMainForm::Voir_rename() {
    // Masks that search and replace, add a prefix and suffix or remove a counter let
    // the user switch the counter off.
    CKB_compteur_inactif->setVisible(Type_masque(EDT_prefixe_remplacement->text().toStdString()) >=
                                     kMasqueChercherRemplacer);
    // While the folder is listed or the facts read on the side, the rows are the
    // worker's: the names are computed, with the options as they then stand, when it
    // is done.
    if (grille_.occupe())
        return;
    if (!lireOptions(chaine_.options()))
        return; // the grid keeps its previous new names
    // A companion mode left (by EXIF infos, or with EXIF naming) no longer filters the
    // listing: the folder is listed again, whole, rather than left showing the pairs only.
    const OptionsNommage& o = chaine_.options();
    if (listeFiltree_ && !o.compagnons.rawCanon && !o.compagnons.association) {
        Chercher_fichier();
        return;
    }
    // The counter controls are there whenever names get a counter.
    const bool sansCompteur = (o.compteurInactif && !CKB_compteur_inactif->isHidden()) ||
                              (o.exif.actif && o.exif.sansCompteur);
    Option_compteur_visible(!sansCompteur);
    app_.DB_utilitaire().Afficher_statut();
    lectureInterrompue_ = lectureInterrompue_ && o.exif.actif;
    // After a cancelled reading, the names come at once from what was read.
    if (lectureInterrompue_ && !calculSurPlace_) {
        montrerNonLus(grille_.calculerSansLecture());
        return;
    }
    montrerNonLus(0);
    // Many files to read: they are read on the side, and the names come at the end.
    if (o.exif.actif && !calculSurPlace_ && grille_.lectureAuLarge()) {
        if (grille_.lancerLecture())
            return;
        signalerPrechargementImpossible();
    }
    grille_.calculer();
}

void TMainForm::finPrechargement(bool complet) {
    TDLG_exif_info& exif = app_.DLG_exif_info();
    if (!complet) {
        // EXIF naming stays chosen: the rows not read are marked, and the status bar
        // says so and offers to read them.
        verificationDemandee_ = false;
        lectureInterrompue_ = true;
        Voir_rename();
        return;
    }
    lectureInterrompue_ = false;
    if (std::exchange(verificationDemandee_, false) && exif.Est_mode_exif() &&
        !confirmerListeExif()) {
        // Refused as the dialog's switch refuses it when the files are read at once.
        exif.CKB_exploitation_exif->setChecked(false);
        Sauver_parametres_main();
        exif.Ecran_option_exif();
    }
    calculSurPlace_ = true;
    Voir_rename();
    calculSurPlace_ = false;
}

void TMainForm::actualiser() {
    lectureInterrompue_ = false;
    Chercher_fichier();
}

void TMainForm::montrerNonLus(std::size_t nonLus) {
    if (nonLus == 0) {
        LBL_non_lus->hide();
        BT_lire_restants->hide();
        return;
    }
    LBL_non_lus->setText(app_.DB_utilitaire().formater(
        app_.texte("RSC_msg_exif_non_lus",
                   "Lecture EXIF annulée : %d fichiers ne sont pas lus et ne seront pas varlimés."),
        {qlonglong(nonLus)}));
    BT_lire_restants->setText(
        app_.texte("RSC_bt_lire_restants", "Lire les fichiers restants (F5)"));
    LBL_non_lus->show();
    BT_lire_restants->show();
}

void TMainForm::signalerPrechargementImpossible() {
    app_.messages().error(
        app_.DB_utilitaire().formater(
            app_.texte("RSC_msg_lecture_exif_impossible",
                       "Les informations EXIF ne peuvent pas être lues en arrière-plan (%s) : "
                       "la fenêtre les lit elle-même et attend la fin de leur lecture."),
            {QString::fromStdString(prechargement_.erreur())}),
        this);
}

void TMainForm::afficherOutilRaw(bool visible) {
    actionRaw_->setVisible(visible);
}

bool TMainForm::outilRawVisible() const {
    return actionRaw_->isVisible();
}

QStringList TMainForm::texteLignes(const char* cle, const std::vector<std::string>& defaut) {
    QStringList lignes;
    for (const std::string& l : app_.localization().GetLangLines("MESSAGES", cle, defaut))
        lignes << QString::fromStdString(l);
    return lignes;
}

bool TMainForm::Test_liste_exif() {
    // The companion modes name files that carry no EXIF of their own: nothing to ask.
    TDB_utilitaire& utilitaire = app_.DB_utilitaire();
    if ((utilitaire.modeRawCanon && utilitaire.modeRawCanon()) ||
        (utilitaire.modeAssociation && utilitaire.modeAssociation()))
        return true;
    // A large folder is read on the side: EXIF naming is on meanwhile, and the question,
    // if any, comes when the files are read.
    // So is a folder still being listed: the question comes once its files are read.
    if (grille_.listageEnCours()) {
        verificationDemandee_ = true;
        return true;
    }
    if (prechargement_.enCours() || grille_.lectureAuLarge()) {
        if (prechargement_.enCours() || grille_.lancerLecture()) {
            verificationDemandee_ = true;
            return true;
        }
        signalerPrechargementImpossible();
    }
    return confirmerListeExif();
}

bool TMainForm::confirmerListeExif() {
    const VerificationExif v = chaine_.verifierListeExif();
    // An empty list has no file without EXIF data to name.
    if (v.sansExif == 0 || !chaine_.fichiersTrouves())
        return true;
    TDB_utilitaire& util = app_.DB_utilitaire();
    QString message =
        v.sansExif == 1
            ? util.formater(app_.texte("RSC_msg_un_fichier_sans_exif",
                                       "Le fichier %s n'a pas d'en-tête Exif"),
                            {qs(v.premier)})
            : util.formater(app_.texte("RSC_msg_plusieurs_fichiers_sans_exif",
                                       "%d fichiers de la liste ne portent pas d'en-tête "
                                       "Exif\r\npar exemple : %s"),
                            {v.sansExif, qs(v.premier)});
    message +=
        QStringLiteral("\r\n") +
        app_.texte("RSC_msg_confirmation_varlimer_autres_exif",
                   "Voulez-vous varlimer les autres fichiers porteurs d'informations Exif ?");
    return app_.messages().confirm(message, this);
}

void TMainForm::Ecran_principal_exif() {
    TDLG_exif_info& exif = app_.DLG_exif_info();
    const bool on = exif.Est_mode_exif();
    for (QWidget* w :
         std::initializer_list<QWidget*>{LBL_prefixe, BT_option_prefixe, EDT_prefixe_remplacement})
        w->setVisible(!on);
    if (on)
        LBL_date_fichier->setVisible(false);
    if (on) {
        // The Canon RAW mode writes its own status.
        TDB_utilitaire& util = app_.DB_utilitaire();
        if (!(util.modeRawCanon && util.modeRawCanon()))
            STB_main->showMessage(app_.texte("RSC_statut_exif", "Mode EXIF"));
        Option_compteur_visible(!exif.CKB_compteur->isChecked());
    } else {
        STB_main->showMessage(app_.texte("RSC_statut_normal", "Mode NORMAL"));
        Option_compteur_visible(true);
        // Leaving EXIF naming brings back the stored prefix, mask and width.
        app_.DB_utilitaire().Lecture_parametres();
    }
}

void TMainForm::Desactive_option_exif() {
    TDB_utilitaire& util = app_.DB_utilitaire();
    const QString nom = nomLigneCourante();
    // With no file listed there is no name to give.
    app_.messages().warning(
        nom.isEmpty()
            ? app_.texte("RSC_msg_aucun_fichier_dans_liste", "Aucun fichier dans la liste.")
            : util.formater(app_.texte("RSC_fichier_sans_exif",
                                       "Le fichier %s ne porte pas d'information EXIF.\nVeuillez "
                                       "cliquer sur une autre ligne pour\nlire les informations "
                                       "du fichier."),
                            {nom}),
        this);
    quitterModeExif();
}

void TMainForm::quitterModeExif() {
    // The companion modes are kinds of EXIF naming: they go with it, or their filter
    // would go on hiding files in the normal mode.
    TDB_utilitaire& util = app_.DB_utilitaire();
    if (util.desactiverModeExterne) {
        util.desactiverModeExterne(Mode::RawCanon);
        util.desactiverModeExterne(Mode::Association);
    }
    app_.DLG_exif_info().CKB_exploitation_exif->setChecked(false);
    Ecran_principal_exif();
}

void TMainForm::BT_exif_infoClick() {
    const QModelIndex current = GRS_fichier->currentIndex();
    const std::size_t ligne = current.isValid() ? std::size_t(current.row()) : 0;
    const auto& rows = moteur_.lignes();
    TDLG_exif_info& exif = app_.DLG_exif_info();
    if (!grille_.listageEnCours() && ligne < rows.size() &&
        !rows[ligne].ancienSurDisque().empty()) {
        const std::string& nom = rows[ligne].ancienSurDisque();
        // While the listing is read on the side, this one file is read apart.
        if (prechargement_.enCours())
            exif.definirFichier(lireFaitsExif(chaine_.dossier().chemin() + nom), nom);
        else
            exif.definirFichier(chaine_.faits(nom), nom);
    } else {
        exif.definirFichier(FaitsExif{}, std::string());
    }
    if (exif.Test_fichier_exif())
        exif.Gerer();
    else
        Desactive_option_exif();
    Voir_rename();
}

void TMainForm::lireAvantRenommage() {
    // The rows a cancelled reading left are read now, on the side with their progress:
    // the report and the run speak of every file's new name. Cancelled again, they keep
    // their not-read marker and are not renamed.
    const bool nonLus = lectureInterrompue_ && chaine_.options().exif.actif;
    if (grille_.lireEtAttendre(nonLus) == PresentateurGrille::Lecture::Impossible) {
        signalerPrechargementImpossible();
        lectureInterrompue_ = false;
        calculSurPlace_ = true;
        Voir_rename();
        calculSurPlace_ = false;
    }
    grille_.terminerNoms();
}

void TMainForm::Selection(int direction, QString& name) {
    const int n = model_->rowCount();
    int row = GRS_fichier->currentIndex().isValid() ? GRS_fichier->currentIndex().row() : -1;
    if (direction == 0)
        row = (row + 1 >= n) ? 0 : row + 1;
    else if (direction == 1)
        row = (row <= 0) ? n - 1 : row - 1;
    if (row < 0)
        row = 0;
    GRS_fichier->setCurrentIndex(model_->index(row, 0));
    name = cellule(0, row + 1);
}

QString TMainForm::nomLigneCourante() const {
    const QModelIndex current = GRS_fichier->currentIndex();
    return cellule(0, current.isValid() ? current.row() + 1 : 1);
}

void TMainForm::TBT_exifClick() {
    Sauver_parametres_main();
    const QModelIndex current = GRS_fichier->currentIndex();
    const std::size_t ligne = current.isValid() ? std::size_t(current.row()) : 0;
    const auto& rows = moteur_.lignes();
    if (grille_.listageEnCours() || ligne >= rows.size() || rows[ligne].ancienSurDisque().empty()) {
        app_.messages().error(
            app_.texte("RSC_msg_aucun_fichier_dans_liste", "Aucun fichier dans la liste."), this);
        return;
    }
    // The file is opened by its name on disk, bytes and all.
    app_.DLG_exif_dump().Liste_info_exif_centree(moteur_.dossier().chemin() +
                                                 rows[ligne].ancienSurDisque());
}

int TMainForm::ligneCourante() const {
    const QModelIndex current = GRS_fichier->currentIndex();
    return current.isValid() ? current.row() : -1;
}

void TMainForm::selectionnerLigne(int ligne) {
    const int n = model_->rowCount();
    if (n > 0)
        GRS_fichier->setCurrentIndex(model_->index(std::clamp(ligne, 0, n - 1), 0));
}

std::string TMainForm::cheminLigne(int ligne) const {
    return grille_.cheminLigne(ligne);
}

void TMainForm::Rafraichir_imagette() {
    const QMargins m = panelLayout_->contentsMargins();
    IMG_imagette->setFixedWidth(
        std::max(16, PAN_main->contentsRect().width() - m.left() - m.right()));
    // Decoded on the side: the arrow keys move through the grid at once, and the
    // thumbnail follows when its picture is there.
    app_.DB_image().ImageEnArrierePlan(cheminLigne(ligneCourante()), IMG_imagette);
}

void TMainForm::IMG_imagetteClick() {
    const std::string chemin = cheminLigne(ligneCourante());
    if (!chemin.empty())
        app_.DLG_vignette().Image_centree(chemin);
}

std::string TMainForm::cheminAMontrer() {
    Sauver_parametres_main();
    const std::string chemin = cheminLigne(std::max(0, ligneCourante()));
    if (chemin.empty())
        app_.messages().error(
            app_.texte("RSC_msg_aucun_fichier_dans_liste", "Aucun fichier dans la liste."), this);
    return chemin;
}

void TMainForm::TBT_imageClick() {
    const std::string chemin = cheminAMontrer();
    if (chemin.empty())
        return;
    app_.DLG_vignette().Image_centree(chemin);
}

void TMainForm::TBT_exif_plus_imageClick() {
    const std::string chemin = cheminAMontrer();
    if (chemin.empty())
        return;
    TDLG_exif_dump& dump = app_.DLG_exif_dump();
    // At the screen's left edge; the viewer then sizes it beside itself.
    dump.move(0, dump.y());
    dump.Liste_info_exif_chemin(chemin);
    app_.DLG_vignette().Image_positionnee(chemin);
}

void TMainForm::TBT_transfertClick() {
    app_.DLG_transfert().Gerer();
    if (Repertoire_courant == "Erreur" || !Chemin_valide(Repertoire_courant))
        return;
    // The hidden folder list makes the folder the process's current directory.
    app_.DLG_selection_repertoire().definirRepertoire(qs(nomAffichable(Repertoire_courant)));
    Validation_repertoire();
}

void TMainForm::Positionne_compteur(int type) {
    if (type == 0 || type == 1)
        modele_.modifier([type](OptionsNommage& o) { o.compteurADroite = type == 1; });
    switch (type) {
    case 1:
        namingLayout_->removeWidget(counterGroup_);
        namingLayout_->insertWidget(1, counterGroup_);
        break;
    case 0:
        namingLayout_->removeWidget(counterGroup_);
        namingLayout_->insertWidget(0, counterGroup_);
        break;
    case 2:
        Option_compteur_visible(false);
        break;
    case 3:
        Option_compteur_visible(true);
        break;
    default:
        break;
    }
    Voir_rename();
}

void TMainForm::Prefixe_visible(bool visible) {
    EDT_prefixe_remplacement->setVisible(visible);
    // Without it the prefix's "O" would stand right beside the counter's, behind an
    // empty gap: the date's source fills the place and tells what names begin with.
    LBL_date_fichier->setText(app_.DLG_option_date().RGA_select_source_date->itemText(1));
    LBL_date_fichier->setVisible(!visible);
}

void TMainForm::Option_compteur_visible(bool visible) {
    for (QWidget* w : std::initializer_list<QWidget*>{
             BT_option_compteur, BT_gauche, BT_droite, LBL_compteur, CBB_largeur_increment,
             LBL_initialise_compteur, EDT_initialisation, LBL_info_alpha})
        w->setVisible(visible);
}

void TMainForm::EDT_initialisationChange() {
    app_.DLG_option_compteur().Informe_init_alpha(1);
    Voir_rename();
}

void TMainForm::ouvrirAide(const char* key) {
    app_.ouvrirAide(key, this);
}

void TMainForm::dragEnterEvent(QDragEnterEvent* e) {
    const QList<QUrl> urls = e->mimeData()->urls();
    if (urls.size() == 1 && urls.front().isLocalFile() &&
        Chemin_valide(cheminSurDisque(urls.front().toLocalFile())))
        e->acceptProposedAction();
}

void TMainForm::dropEvent(QDropEvent* e) {
    const QList<QUrl> urls = e->mimeData()->urls();
    if (urls.size() != 1 || !urls.front().isLocalFile())
        return;
    // A folder dropped onto the window is listed as if it had been picked.
    const std::string dossier = cheminSurDisque(urls.front().toLocalFile());
    if (!Chemin_valide(dossier))
        return;
    e->acceptProposedAction();
    Repertoire_courant = dossier;
    Validation_repertoire();
}

} // namespace varlime
