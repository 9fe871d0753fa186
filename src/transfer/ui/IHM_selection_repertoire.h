// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The older folder picker: a list of volumes and the folder list of one of them.
// Setting its folder makes that folder the process's current directory.
#include <QDialog>

class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace varlime {

class ServicesFenetre;

class TDLG_selection_repertoire : public QDialog {
    Q_OBJECT
public:
    TDLG_selection_repertoire(ServicesFenetre& app, QWidget* parent);

    // Shows `folder` in the list and makes it the current directory; false (after
    // an error message) when it does not exist.
    bool definirRepertoire(const QString& folder);
    QString repertoire() const { return folder_; }
    // Refreshes the volume list (volumesProposes).
    void remplirLecteurs();

    QLabel* LB_rep;
    QListWidget* DLB_Rep;
    QComboBox* DCB_lecteur;
    QPushButton* BT_selectionner;
    QPushButton* BT_annuler;

    void DCB_lecteurChange();
    void DLB_RepClick();

private:
    ServicesFenetre& app_;
    QString folder_;
};

} // namespace varlime
