// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The listing window: every entry below a folder, folders first, one line each.
#include <QDialog>

class QPlainTextEdit;
class QPushButton;

namespace varlime {

class ServicesFenetre;

class TDLG_essai : public QDialog {
    Q_OBJECT
public:
    TDLG_essai(ServicesFenetre& app, QWidget* parent);
    void Gerer(const std::string& folder);
    // The listing text of a folder and its sub-folders (links are not followed).
    static QString listing(const QString& folder, int maxLines = 20000);

    QPlainTextEdit* MEM_liste;
    QPushButton* BT_ok;
};

} // namespace varlime
