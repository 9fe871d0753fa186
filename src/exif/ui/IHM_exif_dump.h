// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The EXIF dump window: everything the shared reader found in one file, as plain
// text (outcome, byte order, every EXIF entry, the maker-note listing). It does not
// block the main window.
#include "core/messageFormat.h"

#include <QDialog>
#include <functional>
#include <string>

class QPlainTextEdit;
class QStatusBar;

namespace varlime {

class TimgData;

class TDLG_exif_dump : public QDialog {
    Q_OBJECT
public:
    // reader: the program's shared reader; currentFolder: the main window's current
    // folder (ending in '/'), in which the grid's bare names are resolved.
    TDLG_exif_dump(TimgData& reader, std::function<QString()> currentFolder, QWidget* parent);

    // Reads the file named in the grid and shows its dump.
    void Liste_info_exif(const QString& name);
    // Reads and lists the file at a full path given as bytes.
    void Liste_info_exif_chemin(const std::string& chemin);
    // Centred on the owner first (the main window's "Informations EXIF" button).
    void Liste_info_exif_centree(const QString& name);
    // The same for a full path given as the bytes on disk.
    void Liste_info_exif_centree(const std::string& chemin);
    // At the left edge of the screen first (shown beside the picture viewer).
    void Liste_info_exif_positionnee(const QString& name);
    // Fills the text box from the shared reader.
    void dumpEXIF();
    // Adds one line to the text box.
    void Memo(const QString& text);

    QPlainTextEdit* Memo1;
    QStatusBar* StatusBar1;

    // Message lookup of the active language (built-in French texts when unset).
    TextLookup texte;

private:
    TimgData& reader_;
    std::function<QString()> currentFolder_;
    // The bytes of a grid name's full path (a bare name lives in the current folder).
    std::string cheminDe(const QString& name) const;
};

} // namespace varlime
