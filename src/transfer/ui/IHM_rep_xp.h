// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The folder picker: a tree of the file system's folders.
#include <QDialog>

class QFileSystemModel;
class QLabel;
class QPushButton;
class QTreeView;

namespace varlime {

class ServicesFenetre;

class TDLG_rep_xp : public QDialog {
    Q_OBJECT
public:
    TDLG_rep_xp(ServicesFenetre& app, QWidget* parent);

    // Opens the picker at `start` (ignored when empty or "Erreur"); true when the user
    // confirmed a folder, which then is the process's current directory.
    bool Selection_repertoire(const QString& start);
    // The selected folder's path (no trailing '/' except for the root).
    QString cheminSelectionne() const;
    // Selects a folder in the tree; false when it does not exist.
    bool selectionner(const QString& path);

    QLabel* LBL_rep;
    QTreeView* STV_rep;
    QPushButton* BT_selectionner;
    QPushButton* BT_annuler;

private:
    ServicesFenetre& app_;
    QFileSystemModel* model_;
};

} // namespace varlime
