// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The import window: a camera card (or any folder) filed into an archive and its
// backups. It shows the destination tree as the import will make it before a byte is
// copied, the cameras with their clocks on one time axis, then runs the import on a
// worker thread with its progress, and offers what comes after (open the folder, eject
// the card, delete from the card what every destination verified).
#include "import/importCarte.h"
#include "import/ui/ModeleImport.h"
#include "import/ui/cartes.h"

#include <QDialog>
#include <QSet>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTableWidget;
class QThread;
class QTreeView;

namespace varlime {

class ArbreImport;
class FriseAppareils;
class ServicesFenetre;

class TDLG_import : public QDialog {
    Q_OBJECT
public:
    TDLG_import(ServicesFenetre& app, QWidget* parent);
    ~TDLG_import() override;

    // Shows the window, on `source` when one is given (a card that just appeared).
    void Gerer(const QString& source = {});
    // Watching for cards asks the system bus, a blocking call: the program starts it once
    // its window shows, never for a window built by a script or a test.
    void surveillerCartes();
    SurveillanceCartes& surveillance() { return surveillance_; }
    ModeleImport& modele() { return modele_; }
    ArbreImport& arbre() { return *arbre_; }
    // True once the plan of the options as they stand is shown.
    bool planPret() const { return planPret_; }
    // Why the last plan could not be made (empty when it was).
    const QString& refusPlan() const { return refusPlan_; }
    bool enCours() const { return travail_ != nullptr; }
    // The import as the button starts it: refused (false) when a destination lacks room.
    bool Importer();
    void Interrompre();
    void SupprimerDeLaCarte();
    void Ejecter();
    void OuvrirDossier();
    const BilanImport& dernierBilan() const { return bilan_; }
    // The files behind a result line.
    QStringList fichiersDeLigne(int ligne) const;
    // Free space of a destination's volume; tests put in their own.
    std::function<qint64(const QString& dossier)> espaceLibre;
    // Called with the options of each plan before it is made (tests fix the history).
    std::function<void(OptionsImport&)> preparerOptions;
    // The cameras as listed: their offset key and the row's texts.
    std::vector<std::string> clesAppareils() const { return cles_; }

    QTableWidget* LST_sources;
    QPushButton* BT_autre_dossier;
    QComboBox* CBB_archive;
    QComboBox* CBB_sauvegarde1;
    QComboBox* CBB_sauvegarde2;
    QLabel* LBL_place_archive;
    QLabel* LBL_place_sauvegarde1;
    QLabel* LBL_place_sauvegarde2;
    QLineEdit* EDT_modele;
    QLineEdit* EDT_nom;
    QSpinBox* SPN_largeur;
    QSpinBox* SPN_debut;
    QCheckBox* CKB_nom_date;
    QCheckBox* CKB_proposer;
    QTreeView* TRV_plan;
    QLabel* LBL_resume;
    QTableWidget* TBL_appareils;
    FriseAppareils* FRI_appareils;
    QProgressBar* PGB_import;
    QLabel* LBL_avancement;
    QPushButton* BT_importer;
    QPushButton* BT_interrompre;
    QListWidget* LST_bilan;
    QPushButton* BT_ouvrir_dossier;
    QPushButton* BT_ejecter;
    QLabel* LBL_ejecter;
    QPushButton* BT_supprimer_carte;
    QPushButton* BT_aide;
    QPushButton* BT_fermer;

protected:
    void reject() override;

private:
    QWidget* construireSource();
    QWidget* construireDestinations();
    QWidget* construireOptions();
    QWidget* construireAppareils();
    QWidget* construireExecution();
    QComboBox* destination(const char* nom, const char* bouton, QLabel*& place, QWidget* boite,
                           int ligne, const QString& libelle,
                           std::pair<const char*, const char*> titre);
    // The folder picker, its title looked up in the active language.
    QString choisirDossier(const char* cle, const char* titre, const QString& depart);
    void ajusterALEcran();
    void relier();
    void relierDestinations();
    void lireReglages();
    void listerSources();
    void choisirAutreDossier();
    void modeleChange(ModeleImport::Champ champ);
    void planifier();
    void planFini(std::shared_ptr<ImportCarte> import, QString refus, quint64 generation);
    OptionsImport optionsDuPlan() const;
    // The plan shown made again for the options as they stand, from what it read;
    // false when the card must be read again.
    bool replanifier(bool appareils);
    void montrerPlan(bool appareils);
    void deplier();
    void remplirAppareils();
    void remplirFrise();
    void afficherPlace();
    void afficherResume();
    void decalageSaisi(int ligne, int colonne);
    void avancement(const ProgressionImport& p);
    void lancer(std::shared_ptr<ImportCarte> import, bool deplacement);
    void termine(BilanImport bilan, bool deplacement);
    void afficherBilan(bool deplacement);
    void basculer(bool enCours);
    void ouvrirLigne(int ligne);
    QString texte(const char* cle, const char* defaut) const;
    // The texts of the active language for the engine's lines.
    TextLookup recherche() const;
    // A size as the window writes it, in the active language.
    QString taille(qint64 octets) const;
    // Every destination with the bytes it lacks; empty when all fit.
    QStringList manquesDePlace() const;
    std::vector<std::string> destinations() const;
    void attendreTravaux();

    ServicesFenetre& app_;
    ModeleImport modele_;
    ArbreImport* arbre_;
    SurveillanceCartes surveillance_;
    QTimer attente_;
    std::shared_ptr<ImportCarte> import_; // the plan shown, which Importer runs
    std::shared_ptr<ImportCarte> planEnCours_;
    std::shared_ptr<ImportCarte> enMarche_; // the run under way
    QThread* planificateur_ = nullptr;
    QThread* travail_ = nullptr;
    quint64 generation_ = 0;
    bool relancer_ = false;
    bool planPret_ = false;
    QString refusPlan_;
    std::vector<CarteTrouvee> sources_;
    std::vector<std::string> cles_;
    BilanImport bilan_;
    PlanImport planDuBilan_;
    bool bilanDeplacement_ = false;
    std::vector<std::vector<std::string>> listesBilan_;
    qint64 dernierAvancement_ = 0;
    QSet<QString> deplies_; // the folders of files the user opened, by path
};

} // namespace varlime
