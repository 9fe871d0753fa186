// SPDX-License-Identifier: GPL-3.0-or-later
#include "transfer/ui/IHM_selection_repertoire.h"

#include "core/messageFormat.h"
#include "platform/fileSystem.h"
#include "platform/ui/MessageService.h"
#include "platform/ui/ServicesFenetre.h"
#include "platform/volumes.h"

#include <QComboBox>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace varlime {

TDLG_selection_repertoire::TDLG_selection_repertoire(ServicesFenetre& app, QWidget* parent)
    : QDialog(parent), app_(app) {
    setObjectName(QStringLiteral("DLG_selection_repertoire"));
    setWindowTitle(QStringLiteral("Sélection de répertoire"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    auto* layout = new QVBoxLayout(this);
    LB_rep = new QLabel(this);
    LB_rep->setObjectName(QStringLiteral("LB_rep"));
    layout->addWidget(LB_rep);
    DLB_Rep = new QListWidget(this);
    DLB_Rep->setObjectName(QStringLiteral("DLB_Rep"));
    layout->addWidget(DLB_Rep, 1);
    DCB_lecteur = new QComboBox(this);
    DCB_lecteur->setObjectName(QStringLiteral("DCB_lecteur"));
    layout->addWidget(DCB_lecteur);
    auto* buttons = new QHBoxLayout;
    BT_selectionner = new QPushButton(QStringLiteral("Sélectionner"), this);
    BT_selectionner->setObjectName(QStringLiteral("BT_selectionner"));
    BT_selectionner->setDefault(true);
    BT_annuler = new QPushButton(QStringLiteral("Annuler"), this);
    BT_annuler->setObjectName(QStringLiteral("BT_annuler"));
    buttons->addWidget(BT_selectionner);
    buttons->addStretch(1);
    buttons->addWidget(BT_annuler);
    layout->addLayout(buttons);
    connect(BT_selectionner, &QPushButton::clicked, this, &QDialog::accept);
    connect(BT_annuler, &QPushButton::clicked, this, &QDialog::reject);
    connect(DCB_lecteur, &QComboBox::activated, this, [this] { DCB_lecteurChange(); });
    connect(DLB_Rep, &QListWidget::itemActivated, this, [this] { DLB_RepClick(); });
    connect(DLB_Rep, &QListWidget::itemDoubleClicked, this, [this] { DLB_RepClick(); });
    remplirLecteurs();
    app.translate(this);
}

void TDLG_selection_repertoire::remplirLecteurs() {
    DCB_lecteur->clear();
    for (const std::string& volume : volumesProposes()) {
        const QString root = QString::fromStdString(volume);
        DCB_lecteur->addItem(root, root);
    }
}

bool TDLG_selection_repertoire::definirRepertoire(const QString& folder) {
    const std::string path = folder.toStdString();
    if (!Chemin_valide(path) || !changerRepertoireCourant(path)) {
        app_.messages().error(
            formatMessage(app_.texte("RSC_msg_erreur_entree_sortie", "Erreur d'entrée/sortie : %s"),
                          {folder}),
            this);
        return false;
    }
    folder_ = QDir::cleanPath(folder);
    LB_rep->setText(folder_);
    DLB_Rep->clear();
    QDir dir(folder_);
    if (!dir.isRoot())
        DLB_Rep->addItem(QStringLiteral(".."));
    for (const QString& sub :
         dir.entryList(QDir::AllDirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase))
        DLB_Rep->addItem(sub);
    std::vector<std::string> roots;
    for (int i = 0; i < DCB_lecteur->count(); ++i)
        roots.push_back(DCB_lecteur->itemData(i).toString().toStdString());
    const std::string volume = volumeDe(folder_.toStdString(), roots);
    if (!volume.empty())
        DCB_lecteur->setCurrentIndex(DCB_lecteur->findData(QString::fromStdString(volume)));
    return true;
}

void TDLG_selection_repertoire::DCB_lecteurChange() {
    const QString root = DCB_lecteur->currentData().toString();
    if (!root.isEmpty())
        definirRepertoire(root);
}

void TDLG_selection_repertoire::DLB_RepClick() {
    QListWidgetItem* item = DLB_Rep->currentItem();
    if (!item)
        return;
    definirRepertoire(QDir(folder_).absoluteFilePath(item->text()));
}

} // namespace varlime
