// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The small progress window of a copy or move run: the phase title, the running
// count, and a bar of files done out of the total.
#include <QDialog>

class QLabel;
class QProgressBar;

namespace varlime {

class ServicesFenetre;

class TDLG_info_avancement : public QDialog {
    Q_OBJECT
public:
    TDLG_info_avancement(ServicesFenetre& app, QWidget* parent);

    // Shows the window (modeless) with `texte` as its caption and title, an empty
    // count, and a bar running from 0 to `total` (a busy bar when the total is unknown).
    void Initialiser_message(const QString& texte, int total = 0);
    // Shows the count line; `fait` files are done.
    void Affiche_avancement(const QString& texte, int fait = -1);
    void Fermer();

    QLabel* LBL_message;
    QLabel* LBL_compteur;
    QProgressBar* PB_avancement;
};

} // namespace varlime
