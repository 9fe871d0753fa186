// SPDX-License-Identifier: GPL-3.0-or-later
#include "exif/ui/IHM_exif_dump.h"

#include "exif/dEXIF.h"
#include "exif/exifDump.h"

#include <QFile>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollBar>
#include <QStatusBar>
#include <QTextCursor>
#include <QVBoxLayout>

namespace varlime {

TDLG_exif_dump::TDLG_exif_dump(TimgData& reader, std::function<QString()> currentFolder,
                               QWidget* parent)
    : QDialog(parent), reader_(reader), currentFolder_(std::move(currentFolder)) {
    setObjectName(QStringLiteral("DLG_exif_dump"));
    setWindowTitle(QStringLiteral("Informations Exif"));
    setModal(false);
    resize(424, 592);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    layout->addWidget(Memo1, 1);
    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);
    layout->addWidget(StatusBar1);
}

std::string TDLG_exif_dump::cheminDe(const QString& name) const {
    const QString folder = currentFolder_ ? currentFolder_() : QString();
    // A bare grid name lives in the current folder; the full path never depends on
    // the process's current directory.
    const QString path = name.startsWith(QLatin1Char('/')) ? name : folder + name;
    return QFile::encodeName(path).toStdString();
}

void TDLG_exif_dump::Liste_info_exif(const QString& name) {
    Liste_info_exif_chemin(cheminDe(name));
}

void TDLG_exif_dump::Liste_info_exif_chemin(const std::string& chemin) {
    const std::string modele =
        texte ? texte("RSC_msg_information_exif_pour", "Information EXIF pour %s")
              : std::string("Information EXIF pour %s");
    StatusBar1->showMessage(QString::fromStdString(formatMessage(modele, {chemin})));
    reader_.ReadImageFile(chemin);
    Memo1->clear();
    dumpEXIF();
    // The dump reads from its top: the error line, the make and the model come first.
    Memo1->moveCursor(QTextCursor::Start);
    Memo1->verticalScrollBar()->setValue(0);
    show();
    raise();
}

void TDLG_exif_dump::Liste_info_exif_centree(const QString& name) {
    Liste_info_exif_centree(cheminDe(name));
}

void TDLG_exif_dump::Liste_info_exif_centree(const std::string& chemin) {
    if (QWidget* owner = parentWidget()) {
        const QRect g = owner->frameGeometry();
        move(g.center() - QPoint(width() / 2, height() / 2));
    }
    Liste_info_exif_chemin(chemin);
}

void TDLG_exif_dump::Liste_info_exif_positionnee(const QString& name) {
    move(0, y());
    Liste_info_exif(name);
}

void TDLG_exif_dump::dumpEXIF() {
    // The maker note's heading is the one line of ours among the reader's: it is shown in
    // the active language.
    static constexpr const char* kTitreMakerNote =
        "--- Informations spécifiques supplémentaires ---";
    for (const std::string& line : DumpExifLines(reader_))
        Memo(QString::fromStdString(line == kTitreMakerNote && texte
                                        ? texte("RSC_titre_infos_specifiques", kTitreMakerNote)
                                        : line));
}

void TDLG_exif_dump::Memo(const QString& text) {
    Memo1->appendPlainText(text);
}

} // namespace varlime
