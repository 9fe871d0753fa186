#pragma once
// The picture loading data module: the thumbnail of the main window and the loads of
// the viewer, through the imaging library when it loads, else the fallback loader,
// turned upright. The depth the library cannot hand over is told in a message box.
#include "core/messageFormat.h"
#include "imaging/chargementImage.h"

#include <QString>

class QLabel;
class QWidget;

namespace varlime {

class MessageService;
class TimgData;

class TDB_image {
public:
    TDB_image(LibGfl& bibliotheque, TimgData& lecteur, MessageService& messages, TextLookup texte);

    // The file (full path, bytes) in the thumbnail control: upright, fitted to the
    // control's width keeping its proportions; the control is hidden when no loader
    // reads the file. No message but the depth one.
    void Image(const std::string& chemin, QLabel* controle);
    // The upright picture, decoded at no less than `largeurVoulue` across (0: full).
    ImageChargee Charger(const std::string& chemin, int largeurVoulue, QWidget* parent);
    // The picture as stored, and its EXIF orientation (for the viewer's own turns),
    // decoded at no less than `largeurVoulue` across.
    ImageChargee ChargerStockee(const std::string& chemin, int& orientation, int largeurVoulue,
                                QWidget* parent);

    bool DLL_LibGfl_charge() const { return bibliotheque_.DLL_LibGfl_charge(); }
    void Cloturer_DLL_LibGfl() { bibliotheque_.Cloturer_DLL_LibGfl(); }

private:
    void signalerProfondeur(const ImageChargee& image, QWidget* parent);

    LibGfl& bibliotheque_;
    TimgData& lecteur_;
    MessageService& messages_;
    TextLookup texte_;
};

} // namespace varlime
