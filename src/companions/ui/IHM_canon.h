// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// "Traitement des RAW Canon": the Canon RAW switch, the box of users not concerned
// by it (which hides the mode everywhere), and the way to the EXIF naming options.
#include "platform/ui/LiensPrincipal.h"

#include <QDialog>
#include <QString>
#include <functional>

class QCheckBox;
class QPlainTextEdit;
class QPushButton;

namespace varlime {

class ServicesFenetre;
class TDLG_exif_info;
class Utilitaire;

class TDLG_canon : public QDialog {
    Q_OBJECT
public:
    TDLG_canon(ServicesFenetre& app, Utilitaire& utilitaire, LiensPrincipal liens,
               TDLG_exif_info& exif, QWidget* parent = nullptr);

    // Offers to leave another mode, shows the dialog, then lists the folder again.
    void Gerer();
    // The stored OPTIONS/RAW_CANON: "1" the user is concerned, anything else not.
    void Positionne_option_raw_canon(const QString& valeur);
    void Desactiver_raw_canon();
    void Affiche_raw_canon(bool concerne);
    // Leaves the file association mode (the other companion mode; its dialog comes
    // after this one).
    std::function<void()> desactiverAssociation;

    QCheckBox* CKB_traiter;
    QCheckBox* CKB_pas_raw_canon;
    QPlainTextEdit* MEM_info;
    QPushButton* BT_ok;
    QPushButton* BT_options;
    QPushButton* BT_aide;

private:
    void CKB_traiterChange(bool coche);
    void CKB_pas_raw_canonClick();
    void placerBoutons();

    ServicesFenetre& app_;
    Utilitaire& utilitaire_;
    LiensPrincipal liens_;
    TDLG_exif_info& exif_;
};

} // namespace varlime
