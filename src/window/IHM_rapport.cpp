// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/IHM_rapport.h"

#include "core/messageFormat.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace varlime {

TDLG_rapport::TDLG_rapport(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("DLG_rapport"));
    setWindowTitle(QStringLiteral("Rapport des erreurs possibles"));
    setModal(true);

    LBL_titre = new QLabel(QStringLiteral("Rapport des erreurs possibles"), this);
    LBL_titre->setObjectName(QStringLiteral("LBL_titre"));
    QFont gras = LBL_titre->font();
    gras.setBold(true);
    LBL_titre->setFont(gras);

    MEM_rapport = new QPlainTextEdit(this);
    MEM_rapport->setObjectName(QStringLiteral("MEM_rapport"));
    // Long names make long lines: they wrap rather than hide behind a scroll bar.
    MEM_rapport->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    MEM_rapport->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);

    BT_ok = new QPushButton(QStringLiteral("Fermer"), this);
    BT_ok->setObjectName(QStringLiteral("BT_ok"));
    BT_ok->setDefault(true);
    connect(BT_ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(LBL_titre);
    layout->addWidget(MEM_rapport, 1);
    layout->addWidget(BT_ok, 0, Qt::AlignHCenter);
    resize(560, 380);
}

void TDLG_rapport::Remplir(const std::vector<std::string>& lignes) {
    QStringList texte;
    for (const auto& l : lignes)
        texte << QString::fromStdString(controlesVisibles(l, false));
    MEM_rapport->setPlainText(texte.join(QLatin1Char('\n')));
}

QStringList TDLG_rapport::Lignes() const {
    return MEM_rapport->toPlainText().split(QLatin1Char('\n'));
}

void TDLG_rapport::Gerer() {
    exec();
}

} // namespace varlime
