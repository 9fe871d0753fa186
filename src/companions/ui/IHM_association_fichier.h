// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// "Association de fichiers": files of one extension (AVI) renamed with the EXIF data
// of the file of the same base name and another extension (THM).
#include "platform/ui/LiensPrincipal.h"

#include <QDialog>
#include <QString>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace varlime {

class ServicesFenetre;
class TDLG_canon;
class TDLG_exif_info;
class Utilitaire;

class TDLG_association_fichier : public QDialog {
    Q_OBJECT
public:
    TDLG_association_fichier(ServicesFenetre& app, Utilitaire& utilitaire, LiensPrincipal liens,
                             TDLG_exif_info& exif, TDLG_canon& canon, QWidget* parent = nullptr);

    // Offers to leave another mode, shows the dialog, then lists the folder again.
    void Gerer();
    // The stored extensions; an empty text leaves its field as it is.
    void Positionne_option_association_fichier(const QString& cible, const QString& source);
    void Desactiver_mode_association();
    // The status line's text of this mode, with the two extensions.
    QString Texte_statut() const;

    QLabel* LBL_titre;
    QLineEdit* EDT_association1;
    QLabel* LBL_et;
    QLineEdit* EDT_association2;
    QLabel* LBL_porteur;
    QCheckBox* CKB_activer;
    QPlainTextEdit* MEM_info;
    QPushButton* BT_ok;
    QPushButton* BT_options;

private:
    void CKB_activerChange(bool coche);

    ServicesFenetre& app_;
    Utilitaire& utilitaire_;
    LiensPrincipal liens_;
    TDLG_exif_info& exif_;
    TDLG_canon& canon_;
};

} // namespace varlime
