// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The report window of the test before renaming: the lines collected by the test in
// an editable memo, and a button that closes the window.
#include <QDialog>
#include <QStringList>
#include <string>
#include <vector>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace varlime {

class TDLG_rapport : public QDialog {
    Q_OBJECT
public:
    explicit TDLG_rapport(QWidget* parent = nullptr);

    // Replaces the memo's lines with the report lines.
    void Remplir(const std::vector<std::string>& lignes);
    QStringList Lignes() const;
    // Shows the window modally.
    void Gerer();

    QLabel* LBL_titre;
    QPlainTextEdit* MEM_rapport;
    QPushButton* BT_ok;
};

} // namespace varlime
