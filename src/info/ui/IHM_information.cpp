// SPDX-License-Identifier: GPL-3.0-or-later
#include "info/ui/IHM_information.h"

#include "platform/ui/ServicesFenetre.h"

#include <QDesktopServices>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

namespace varlime {

TDLG_information::TDLG_information(ServicesFenetre& app, QWidget* parent)
    : QDialog(parent), app_(app) {
    setObjectName(QStringLiteral("DLG_information"));
    setWindowTitle(QStringLiteral("Information"));
    auto* layout = new QVBoxLayout(this);
    LBL_titre = new QLabel(this);
    LBL_titre->setObjectName(QStringLiteral("LBL_titre"));
    QFont bold = LBL_titre->font();
    bold.setBold(true);
    LBL_titre->setFont(bold);
    layout->addWidget(LBL_titre);
    MEM_information = new QPlainTextEdit(this);
    MEM_information->setObjectName(QStringLiteral("MEM_information"));
    MEM_information->setReadOnly(true);
    layout->addWidget(MEM_information, 1);
    auto* buttons = new QHBoxLayout;
    BT_ok = new QPushButton(QStringLiteral("OK"), this);
    BT_ok->setObjectName(QStringLiteral("BT_ok"));
    BT_aide = new QPushButton(QStringLiteral("Aide"), this);
    BT_aide->setObjectName(QStringLiteral("BT_aide"));
    buttons->addStretch(1);
    buttons->addWidget(BT_ok);
    buttons->addWidget(BT_aide);
    buttons->addStretch(1);
    layout->addLayout(buttons);
    connect(BT_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(BT_aide, &QPushButton::clicked, this, [this] {
        if (helpKey_)
            app_.ouvrirAide(helpKey_, this);
    });
    app.translate(this);
}

void TDLG_information::Gerer(const QString& title, const QStringList& lines, const char* helpKey) {
    helpKey_ = helpKey;
    LBL_titre->setText(title);
    setWindowTitle(title);
    MEM_information->setPlainText(lines.join(u'\n'));
    BT_aide->setVisible(helpKey != nullptr);
    exec();
}

} // namespace varlime
