// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The photo transfer dialog: a source folder (typically a camera card's DCIM folder)
// and a target folder with their file counts, two lists of six favourite folders,
// and the copy and move buttons that start the worker thread.
#include "platform/ui/LiensPrincipal.h"

#include <QDialog>
#include <QPointer>
#include <functional>
#include <string>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;
class QVBoxLayout;

namespace varlime {

class ServicesFenetre;
class TDLG_rep_xp;
class Utilitaire;
class TDLG_info_avancement;
class TThread_copie;

class TDLG_transfert : public QDialog {
    Q_OBJECT
public:
    enum class Panneau { Source, Cible };

    TDLG_transfert(ServicesFenetre& app, Utilitaire& utilitaire, LiensPrincipal liens,
                   TDLG_rep_xp& selecteur, TDLG_info_avancement& avancement, QWidget* parent);
    ~TDLG_transfert() override;

    // Shows the dialog with the main window's folder as target; afterwards the target,
    // when it is an existing folder, becomes the main window's folder.
    void Gerer();
    // Re-reads the stored source folder and refreshes both panels.
    void FormActivate();
    void Liste_information_fichier(Panneau p);
    bool Fichier_a_copier(const std::string& nom) const;
    void Chercher_dcim();
    void Selection_repertoire(Panneau p);
    void Sauver_rep_liste(Panneau p);
    void Creer_sous_repertoire();
    void Sauver_parametres_transfert();
    // A stored row (`ligne` 1 to 6) of a favourite list.
    void Positionne_option_transfert_chemin(Panneau p, int ligne, const QString& valeur);
    void Positionne_option_transfert(const QString& source);
    // A click on a favourite row takes its path as the panel's folder.
    void GRS_rep_Click(Panneau p, int ligne);
    void BT_copierClick() { Demarrer(false); }
    void BT_deplacerClick() { Demarrer(true); }
    void BT_interrompreClick();
    // The worker's button switch: true while a run goes on.
    void Basculer_boutons(bool enCours);
    // A message of the run: an information for a run that fully succeeded, a warning
    // otherwise.
    void Afficher_message(const QString& texte, bool reussite = false);
    // Before a move deletes `n` files from `source`: asks once, unless the user chose
    // not to be asked (the box below, stored as OPTIONS/CONFIRMER_EFFACEMENT).
    bool Confirmer_effacement(int n, const std::string& source);
    bool enCours() const;
    // Waits for the run to end (after asking it to stop when `interrompre`).
    void attendreFin(bool interrompre);
    // Escape, or the window closed by other means: a run is stopped and waited for first.
    void reject() override;

    TDLG_info_avancement& DLG_info_avancement() { return avancement_; }
    QString dossierTexte(Panneau p) const;
    void definirDossier(Panneau p, const QString& texte);
    QTableWidget* grille(Panneau p) const {
        return p == Panneau::Source ? GRS_rep_source : GRS_rep_cible;
    }

    QLabel* LBL_origine;
    QLabel* LBL_destination;
    QLabel* LBL_repertoire_source;
    QLabel* LBL_repertoire_cible;
    QLabel* LBL_info_fichier_source;
    QLabel* LBL_info_fichier_cible;
    QTableWidget* GRS_rep_source;
    QTableWidget* GRS_rep_cible;
    QCheckBox* CHK_apn;
    QCheckBox* CKB_confirmer_effacement;
    QLineEdit* EDT_sous_repertoire;
    QPushButton* BT_creer_sous_repertoire;
    QPushButton* BT_sauve_source;
    QPushButton* BT_sauve_cible;
    QPushButton* BT_selection_repertoire_source;
    QPushButton* BT_selection_repertoire_cible;
    QPushButton* BT_copier;
    QPushButton* BT_deplacer;
    QPushButton* BT_interrompre;
    QPushButton* BT_quitter;
    QPushButton* BT_aide;

protected:
    bool event(QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    // The constructor's steps: the folder panels, the buttons, their connections.
    void creerPanneaux(QVBoxLayout& layout);
    void creerBoutons(QVBoxLayout& layout);
    void relierControles();
    void Demarrer(bool deplacement);
    QString placeholder(Panneau p) const;

    ServicesFenetre& app_;
    Utilitaire& utilitaire_;
    LiensPrincipal liens_;
    TDLG_rep_xp& selecteur_;
    TDLG_info_avancement& avancement_;
    QPointer<TThread_copie> thread_;
    QString placeholderSource_;
    QString placeholderCible_;
};

} // namespace varlime
