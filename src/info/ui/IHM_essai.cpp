// SPDX-License-Identifier: GPL-3.0-or-later
#include "info/ui/IHM_essai.h"

#include "platform/ui/ServicesFenetre.h"

#include <QDirIterator>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace varlime {

TDLG_essai::TDLG_essai(ServicesFenetre& app, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("DLG_essai"));
    setWindowTitle(QStringLiteral("Contenu du répertoire"));
    resize(600, 500);
    auto* layout = new QVBoxLayout(this);
    MEM_liste = new QPlainTextEdit(this);
    MEM_liste->setObjectName(QStringLiteral("MEM_liste"));
    MEM_liste->setReadOnly(true);
    layout->addWidget(MEM_liste, 1);
    BT_ok = new QPushButton(QStringLiteral("Fermer"), this);
    BT_ok->setObjectName(QStringLiteral("BT_ok"));
    layout->addWidget(BT_ok, 0, Qt::AlignHCenter);
    connect(BT_ok, &QPushButton::clicked, this, &QDialog::accept);
    app.translate(this);
}

QString TDLG_essai::listing(const QString& folder, int maxLines) {
    QStringList lines;
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext() && lines.size() < maxLines) {
        it.next();
        lines << it.filePath().mid(folder.endsWith(u'/') ? folder.size() : folder.size() + 1);
    }
    lines.sort(Qt::CaseInsensitive);
    if (it.hasNext())
        lines << QStringLiteral("...");
    return lines.join(u'\n');
}

void TDLG_essai::Gerer(const std::string& folder) {
    if (folder.empty() || folder == "Erreur")
        return;
    MEM_liste->setPlainText(listing(QString::fromStdString(folder)));
    exec();
}

} // namespace varlime
