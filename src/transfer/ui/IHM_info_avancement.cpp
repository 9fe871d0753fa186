// SPDX-License-Identifier: GPL-3.0-or-later
#include "transfer/ui/IHM_info_avancement.h"

#include "platform/ui/ServicesFenetre.h"

#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

namespace varlime {

TDLG_info_avancement::TDLG_info_avancement(ServicesFenetre& app, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("DLG_info_avancement"));
    setWindowTitle(QStringLiteral("Avancement traitement"));
    // No title-bar buttons: the run, not the user, closes it.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setModal(false);
    setMinimumWidth(320);
    auto* layout = new QVBoxLayout(this);
    QFont bold = font();
    bold.setBold(true);
    LBL_message = new QLabel(this);
    LBL_message->setObjectName(QStringLiteral("LBL_message"));
    LBL_compteur = new QLabel(this);
    LBL_compteur->setObjectName(QStringLiteral("LBL_compteur"));
    for (QLabel* l : {LBL_message, LBL_compteur}) {
        l->setFont(bold);
        l->setAlignment(Qt::AlignCenter);
        l->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
        layout->addWidget(l);
    }
    PB_avancement = new QProgressBar(this);
    PB_avancement->setObjectName(QStringLiteral("PB_avancement"));
    layout->addWidget(PB_avancement);
    app.translate(this);
}

void TDLG_info_avancement::Initialiser_message(const QString& texte, int total) {
    LBL_message->setText(texte);
    setWindowTitle(texte);
    LBL_compteur->clear();
    PB_avancement->setRange(0, std::max(0, total));
    PB_avancement->setValue(0);
    QCoreApplication::processEvents();
    if (parentWidget())
        move(parentWidget()->geometry().center() - rect().center());
    show();
}

void TDLG_info_avancement::Affiche_avancement(const QString& texte, int fait) {
    LBL_compteur->setText(texte);
    if (fait >= 0 && PB_avancement->maximum() > 0)
        PB_avancement->setValue(std::min(fait, PB_avancement->maximum()));
    raise();
    repaint();
}

void TDLG_info_avancement::Fermer() {
    hide();
}

} // namespace varlime
