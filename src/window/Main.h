// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The main window: the current folder, the file grid with old and new names, the
// naming controls, and the rename run.
#include "core/renameEngine.h"
#include "core/renameTest.h"
#include "naming/chaineNommage.h"
#include "naming/modeleNommage.h"
#include "window/ControleurRenommage.h"
#include "window/presentateurGrille.h"

#include <QMainWindow>
#include <QStringList>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QMenu;
class QAction;
class QPushButton;
class QStatusBar;
class QToolBar;
class QToolButton;
class QTableView;
class QWidget;
class QVBoxLayout;

namespace varlime {

class FenetresPrincipal;
class IniDocument;
class FileGridModel;
class PanneauNommage;

class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    explicit TMainForm(FenetresPrincipal& app);
    ~TMainForm() override;

    // Moves the window down and right by `rang` steps, so that windows started one
    // after the other stay apart; it stays on the screen.
    void decalerFenetre(int rang);
    // Rebuilds the grid from the current folder and the search mask, then the preview.
    void Chercher_fichier();
    // Recomputes every new name from the current options.
    void Voir_rename();
    // The rename run, after confirmation; ends with a fresh listing and the summary.
    void Varlimer();
    // Undoes the last run in the listed folder, after confirmation.
    void Annuler_dernier_varlimage();
    // Reports, once, a run that never ended and offers to undo it.
    void Signaler_varlimage_interrompu();
    // The test before renaming: the report of the grid as it stands, shown in the
    // report window. Nothing on disk changes.
    void Tester_rename();
    RapportTest Rapport_test();
    // Lets the user pick a folder, then validates it.
    void Selection_repertoire();
    // Normalises, shows, stores and lists the current folder (a folder given on the
    // command line is not stored).
    void Validation_repertoire(bool enregistrer = true);
    // Old name of the grid's current row (the first row when none is current).
    QString nomLigneCourante() const;
    // The EXIF dump of the current row's file.
    void TBT_exifClick();
    // The photo transfer dialog; its target then becomes the current folder, listed.
    void TBT_transfertClick();
    // The viewer, centred, with the current row's file.
    void TBT_imageClick();
    // The EXIF dump window at the left and the viewer at the right of the screen.
    void TBT_exif_plus_imageClick();
    void IMG_imagetteClick();
    // The thumbnail of the current row's file, hidden when none or unreadable.
    void Rafraichir_imagette();
    // Grid rows counted from 0 (header left out); -1 when no row is current.
    int ligneCourante() const;
    void selectionnerLigne(int ligne);
    // Full path (bytes) of a row's file in the folder listed; empty when none.
    std::string cheminLigne(int ligne) const;
    // The current row's file for the viewer or the dump (the first row when none is
    // current), after saving the options; empty, told, when the list holds no file.
    std::string cheminAMontrer();
    // Moves the current row (0 next, 1 previous, wrapping) and returns its old name.
    void Selection(int direction, QString& name);
    // Counter placement: 0 left, 1 right, 2 hide, 3 show; ends with a preview.
    void Positionne_compteur(int type);
    void Option_compteur_visible(bool visible);
    // Shows or hides the prefix field; while it is hidden for the file-date prefix,
    // the source of the date stands in its place.
    void Prefixe_visible(bool visible);
    void Sauver_parametres_main();
    // The width field holds a number that can be stored.
    bool largeurEnregistrable() const;
    void Positionne_option_main(const QString& masque, const QString& prefixe,
                                const QString& largeur);

    // The current folder as bytes (ending in '/'), or "Erreur" when none was ever
    // stored. The settings file sets it only until a folder is listed: from then on
    // the grid, the test and the run belong to the folder listed.
    std::string Repertoire_courant = "Erreur";
    // Set at start before the window shows: a message of a listing made until then waits
    // for the window's first activation.
    bool differerMessages = false;
    bool Fichiers_trouves = false;
    // The test before renaming, the run and its undo, over this window.
    ControleurRenommage& renommage() { return renommage_; }

    // The grid's rows as they stand (hand edits included).
    FileGridModel& grille() { return *model_; }
    // What the grid shows: the listing, the names, the reading of EXIF facts.
    PresentateurGrille& presentateur() { return grille_; }
    // The naming engine behind the grid: the folder listed, its rows, the options.
    MoteurNommage& moteur() { return moteur_; }
    // True once a folder was listed in this window.
    bool dossierListe() const { return moteur_.dossier().ouvert(); }
    // Cell text with the grid's numbering: row 0 is the header, rows 1..N the files.
    QString cellule(int colonne, int ligne) const { return grille_.cellule(colonne, ligne); }
    int nombreLignes() const { return grille_.nombreLignes(); } // header included, at least 2

    // EXIF naming: the button "EXIF infos" (the dialog for the current row's file),
    // the list check before switching it on (true = go on), the window's layout for
    // it, and the refusal for a file without EXIF data.
    void BT_exif_infoClick();
    bool Test_liste_exif();
    void Ecran_principal_exif();
    void Desactive_option_exif();
    // The options of the last preview, with the formats as the dialogs now hold them.
    OptionsNommage optionsAffichees() const;
    // The naming options of this window: its own fields send their edits there.
    ModeleNommage& modele() { return modele_; }
    // The options the model keeps, as the settings file holds them (read at start); the
    // first stored text that is no number ends the read and is returned.
    std::optional<std::string> reprendreReglages(const IniDocument& ini);
    // The naming panel: the dialogs editing the model's options, the fields following it.
    PanneauNommage& panneau() { return *panneau_; }
    // The naming pipeline behind the grid, and its reading of EXIF facts on the side.
    ChaineNommage& chaine() { return chaine_; }
    PrechargementExif& prechargement() { return grille_.prechargement(); }

    // The options of the preview: the model's, with the parts the EXIF and companion
    // dialogs still hold; false when there are none to compute with.
    bool lireOptions(OptionsNommage& options);

    // Controls, named as the language files address them.
    QLabel* LBL_repertoire;
    QLineEdit* EDT_masque_recherche;
    QPushButton* BT_option_prefixe;
    QLineEdit* EDT_prefixe_remplacement;
    QPushButton* BT_gauche;
    QPushButton* BT_droite;
    QComboBox* CBB_largeur_increment;
    QLineEdit* EDT_initialisation;
    QLabel* LBL_info_alpha;
    QCheckBox* CKB_extension;
    QLineEdit* TXT_extension_remplacement;
    QCheckBox* CKB_compteur_inactif;
    QCheckBox* CKB_extension_minuscule;
    QTableView* GRS_fichier;
    QLabel* IMG_imagette;
    QPushButton* BT_exif_info;
    QPushButton* BT_tester;
    QPushButton* BT_valider_rename;
    QStatusBar* STB_main;
    QToolButton* TBT_exif;
    QToolButton* TBT_transfert;
    QToolButton* TBT_raw;
    QPushButton* BT_canon;
    QAction* MIT_options_raw_canon;
    QAction* MIT_options_raw_nikon;
    QAction* MIT_options_raw_pentax;
    QAction* MIT_options_association;
    // The Canon RAW tool button, shown to users concerned by that mode (a tool bar
    // shows or hides its widgets through their actions).
    void afficherOutilRaw(bool visible);
    bool outilRawVisible() const;
    QToolButton* TBT_image;
    QToolButton* TBT_exif_plus_image;
    QAction* MIT_quitter;
    QAction* MIT_option_date;
    QAction* MIT_option_masque;
    QAction* MIT_aide_sommaire;
    QAction* MIT_aide_truc_astuce;
    QAction* MIT_aide_langue;

protected:
    bool event(QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dropEvent(QDropEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    // Controls that only the window itself reaches (tests find them by name).
    QPushButton* BT_selection_repertoire;
    QLabel* LBL_masque_recherche;
    QLabel* LBL_prefixe;
    QLabel* LBL_date_fichier;
    QPushButton* BT_option_compteur;
    QLabel* LBL_compteur;
    QLabel* LBL_initialise_compteur;
    QWidget* PAN_main;
    QToolBar* TBR_outils;
    QMenu* MIT_raw;
    QMenu* MIT_fichier;
    QMenu* MIT_options;
    QMenu* MIT_aide;
    QAction* MIT_select_repertoire;
    QAction* MIT_importer_carte;
    QAction* MIT_annuler_varlimage;
    QAction* MIT_options_compteur;
    QAction* MIT_option_type_fichier;
    QAction* MIT_aide_a_propos;

    // The window's parts, built in this order by the constructor, then connected.
    void construireMenus();
    void construireOutils();
    void construireLigneDossier(QVBoxLayout& top, QWidget* central);
    void construireGroupesNommage(QVBoxLayout& top, QWidget* central);
    void construireLigneOptions(QVBoxLayout& top, QWidget* central);
    void construireGrille(QVBoxLayout& top, QWidget* central);
    void relierMenus();
    void relierBoutons();
    void relierChamps();
    // A message of several lines in the active language.
    QStringList texteLignes(const char* cle, const std::vector<std::string>& defaut);
    QAction* actionRaw_ = nullptr;
    void FormActivate();
    void placerFenetre();
    void ajusterColonnes();
    void ouvrirAide(const char* key);
    void EDT_initialisationChange();
    // Writes the three main options when they differ from what was last written.
    void enregistrerOptionsMain();

    // The rows of a listing are there: the names follow.
    void finListage(bool listeOk);
    // Tells once that the folder is there but could not be listed.
    void signalerDossierIllisible(bool listeOk);
    // The desktop has placed the window and drawn its frame.
    bool fenetrePlacee() const;
    bool premiereActivation_ = false;
    bool attentePlacement_ = false;
    int essaisPlacement_ = 0;
    // A message of the listing made before the window showed.
    QString messageDiffere_;
    std::string dossierIllisibleSignale_;

    // The end of a reading of EXIF facts on the side: the list check it was started
    // for, if any, then the names. A cancelled reading keeps EXIF naming: the rows not
    // read show the not-read marker until F5 or the status bar's button reads them.
    void finPrechargement(bool complet);
    // Ends the listing and the reading on the side, reads on the side what a cancelled
    // one left (the window answering meanwhile), and names every row.
    void lireAvantRenommage();
    // Lists the folder again and reads what a cancelled reading left (F5).
    void actualiser();
    // The status bar's note of the rows left unread, hidden when there are none.
    void montrerNonLus(std::size_t nonLus);
    // A cancelled reading: the names come from what was read, until F5.
    bool lectureInterrompue_ = false;
    QLabel* LBL_non_lus = nullptr;
    QPushButton* BT_lire_restants = nullptr;
    // The list check before EXIF naming, over facts already read.
    bool confirmerListeExif();
    // EXIF naming off, with the companion modes that are kinds of it.
    void quitterModeExif();
    // Tells that the worker reading the facts could not start (the window reads them).
    void signalerPrechargementImpossible();

    FenetresPrincipal& app_;
    ModeleNommage modele_;
    std::unique_ptr<PanneauNommage> panneau_;
    ChaineNommage chaine_;
    MoteurNommage& moteur_ = chaine_.moteur();
    // Declared after the pipeline: it stops its workers before the pipeline goes.
    PresentateurGrille grille_;
    PrechargementExif& prechargement_ = grille_.prechargement();
    ControleurRenommage::Fenetre fenetreRenommage();
    ControleurRenommage renommage_;
    // The reading just ended: the names are computed here, whatever is left to read.
    bool calculSurPlace_ = false;
    // The list check waits for the reading that was started for it.
    bool verificationDemandee_ = false;
    // The rows were listed through a companion mode's filter.
    bool listeFiltree_ = false;
    FileGridModel* model_;
    QHBoxLayout* namingLayout_;
    QWidget* prefixGroup_;
    QWidget* counterGroup_;
    QVBoxLayout* panelLayout_;
    bool activationPending_ = false;
    bool pickerJustCancelled_ = false;
    bool dejaMontree_ = false;
    bool revenuDAutreProgramme_ = false;
    // The main options as last handed to the settings module.
    std::string enregistre_[3];
    bool interrompusSignales_ = false;
    bool optionsLues_ = false;
    // The settings file was read, at the first activation: never again in this window.
    bool parametresLus_ = false;
    bool enLecture_ = false;
};

} // namespace varlime
