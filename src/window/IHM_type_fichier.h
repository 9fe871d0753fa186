// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Which directory entries the listing sees: every entry, all but folders, or the
// entries allowed by chosen attributes.
#include <QDialog>

class QCheckBox;
class QGroupBox;
class QPushButton;

namespace varlime {

class ServicesFenetre;
class RadioGroup;

class TDLG_type_fichier : public QDialog {
    Q_OBJECT
public:
    TDLG_type_fichier(ServicesFenetre& app, QWidget* parent);
    // Shows the dialog modally.
    // Shows the dialog; Cancel keeps the choice it had.
    void Gerer();
    // The attribute set passed to the directory search.
    int Determiner() const;

    RadioGroup* GRA_fichier;
    QGroupBox* GRP_propriete;
    QCheckBox* CKB_lecture_seule;
    QCheckBox* CKB_cache;
    QCheckBox* CKB_systeme;
    QCheckBox* CKB_volume;
    QCheckBox* CKB_repertoire;
    QCheckBox* CKB_archive;
    QPushButton* BT_ok;
    QPushButton* BT_annuler;
};

} // namespace varlime
