// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A plain information window: a title, read-only lines, OK and a help button.
#include <QDialog>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace varlime {

class ServicesFenetre;

class TDLG_information : public QDialog {
    Q_OBJECT
public:
    TDLG_information(ServicesFenetre& app, QWidget* parent);
    // Shows `title` and `lines`; the help button opens the address of `helpKey`.
    void Gerer(const QString& title, const QStringList& lines, const char* helpKey);

    QLabel* LBL_titre;
    QPlainTextEdit* MEM_information;
    QPushButton* BT_ok;
    QPushButton* BT_aide;

private:
    ServicesFenetre& app_;
    const char* helpKey_ = nullptr;
};

} // namespace varlime
