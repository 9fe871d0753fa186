// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// "Information EXIF du fichier": the EXIF naming switch, the items of the name and
// their order, the separators, the free text and the counter options, with the
// current file's values and a live example. The options live in the controls; the
// composer itself is core (exif_naming/composeurExif.h).
#include "exif_naming/composeurExif.h"
#include "platform/ui/LiensPrincipal.h"

#include <QDialog>
#include <QString>
#include <array>
#include <optional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace varlime {

class ServicesFenetre;
class TDLG_exif_option_affichage;
class Utilitaire;

class TDLG_exif_info : public QDialog {
    Q_OBJECT
public:
    TDLG_exif_info(ServicesFenetre& app, Utilitaire& utilitaire, LiensPrincipal liens,
                   TDLG_exif_option_affichage& affichage, QWidget* parent = nullptr);

    // Opens the dialog for the main window's current file, then stores its settings.
    // It leaves any other mode, but the companion modes when their own dialog opens
    // it for their EXIF options.
    void Gerer(bool depuisCompagnon = false);
    bool Est_mode_exif() const;
    void Active_exif();
    // Switches EXIF naming off and lays the windows out for it.
    void Desactive_exif();
    // The file the labels and the example speak of: its facts and its old name.
    void definirFichier(const FaitsExif& faits, const std::string& ancien);
    bool Test_fichier_exif() const { return faits_.exif; }
    // Composes the current file's name, refreshing the value labels and the example.
    QString Retourne_nom_exif();
    // The EXIF part of the naming options as the controls hold them.
    void remplirOptions(OptionsExif& exif) const;

    // Settings (section EXIF): restored in the order the dialog needs them; false
    // when a separator index is no integer.
    bool Positionne_option_exif(const QString& zoneLibre, const QString& liste,
                                const QString& sansCompteur, const QString& indexFinal,
                                const QString& finalCoche, const QString& indexInfo,
                                const QString& infoCoche, const QString& masqueCompteur);
    void Sauver_parametres_exif();
    QString Liste_option() const;
    void Exploite_liste_option(const QString& valeur);
    // The item a stored piece of LISTE_OPTION names, under any language's name.
    std::optional<std::size_t> itemStocke(const QString& piece) const;
    void Positionne_ordre(const QString& nom);
    void Efface(const QString& nom);
    void Ecran_option_exif();
    // The order list's rows, top to bottom (one empty row when nothing is chosen).
    QStringList lignesOrdre() const;
    // The name this dialog shows for an item (the language it was opened in).
    QString nomAffiche(ItemExif item) const;
    // The example as the line draws it, cut to its width.
    QString exempleAffiche() const;

    QCheckBox* CKB_exploitation_exif;
    QLabel* LBL_zone_libre;
    QLineEdit* EDT_zone_libre;
    std::array<QCheckBox*, 10> CKB_items; // in the order of kItemsExif
    QTableWidget* GRS_exif_ordre;
    QPushButton* BT_haut;
    QPushButton* BT_bas;
    QCheckBox* CKB_separateur_info;
    QComboBox* CBB_separateur_info;
    QCheckBox* CKB_separateur_final;
    QComboBox* CBB_separateur_final;
    QCheckBox* CKB_compteur;
    QCheckBox* CKB_masque_compteur;
    std::array<QLabel*, 9> LBL_valeurs; // make, model, date, time, aperture, exposure,
                                        // focal, 35 mm focal, owner
    QLabel* LBL_titre_exemple;
    QLabel* LBL_exemple;
    QLabel* LBL_avertissement_1;
    QLabel* LBL_avertissement_2;
    QPushButton* BT_ok;
    QPushButton* BT_aide;
    QPushButton* BT_options;

protected:
    void reject() override; // Escape: the options as the dialog opened with them
    void closeEvent(QCloseEvent* e) override;

private:
    // The constructor's steps: the controls, their layout, their connections.
    void creerControles();
    void disposerControles();
    void relierControles();
    void CKB_exploitation_exifClick();
    void CKB_masque_compteurClick();
    void BT_okClick();
    void deplacer(int sens);
    void Compose_exemple();
    void ajusterHauteur();
    void ajusterTaille();
    // Shows the option controls exactly when EXIF naming is on.
    void afficherControles();
    OptionsNommage optionsCourantes() const;

    // What the dialog holds, to put back when it is cancelled.
    struct Etat {
        bool actif;
        QString zoneLibre, liste;
        bool masqueCompteur, infoCoche;
        QString separateurInfo;
        bool finalCoche;
        QString separateurFinal;
        bool sansCompteur;
        QString prefixe; // the main window's prefix field
    };
    Etat etat() const;
    void retablir(const Etat& e);
    std::optional<Etat> ouvert_;

    ServicesFenetre& app_;
    Utilitaire& utilitaire_;
    LiensPrincipal liens_;
    TDLG_exif_option_affichage& affichage_;
    FaitsExif faits_;
    std::string ancien_;
    bool fermetureAutorisee_ = false;
    // The items' names as this dialog shows them, in the order of kItemsExif: a change of
    // language reaches the windows at the next start, so the rows keep these names.
    std::array<QString, 10> nomsItems_;
};

} // namespace varlime
