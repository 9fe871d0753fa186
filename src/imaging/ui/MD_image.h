// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The picture loading data module: the thumbnail of the main window and the loads of
// the viewer, through the imaging library when it loads, else the fallback loader,
// turned upright. The depth the library cannot hand over is told in a message box.
#include "core/messageFormat.h"
#include "imaging/chargementImage.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

class QLabel;
class QWidget;

namespace varlime {

class MessageService;
class TimgData;

class TDB_image : public QObject {
public:
    TDB_image(LibGfl& bibliotheque, TimgData& lecteur, MessageService& messages, TextLookup texte);
    ~TDB_image() override;

    // The file (full path, bytes) in the thumbnail control: upright, fitted to the
    // control's width keeping its proportions; the control is hidden when no loader
    // reads the file. No message but the depth one. Decoded on a worker thread so that
    // walking through the grid never waits for a picture: the control keeps what it shows until the
    // new picture is there, and of several files asked for meanwhile only the last is decoded. An
    // empty path hides the control and drops what was asked before.
    void ImageEnArrierePlan(const std::string& chemin, QLabel* controle);
    // Waits until the worker is idle and what it decoded is shown.
    void attendreImagette();
    // How many thumbnails the worker decoded since the start.
    std::uint64_t imagettesDecodees() const { return decodees_; }
    // The picture itself as stored (never a stored copy), and its EXIF orientation (for
    // the viewer's own turns), shrunk into a square of `cote`.
    ImageChargee ChargerStockee(const std::string& chemin, int& orientation, int cote,
                                QWidget* parent);

    bool DLL_LibGfl_charge() const { return bibliotheque_.DLL_LibGfl_charge(); }
    void Cloturer_DLL_LibGfl() { bibliotheque_.Cloturer_DLL_LibGfl(); }

private:
    void signalerProfondeur(const ImageChargee& image, QWidget* parent);
    void afficher(const ImageChargee& image, QLabel* controle);
    void travailler();

    struct Demande {
        std::string chemin;
        int largeur = 0;
        std::uint64_t numero = 0;
        QPointer<QLabel> controle;
    };
    std::mutex mutexTravail_;
    std::condition_variable reveil_;
    std::optional<Demande> demande_;
    bool occupe_ = false;
    bool arret_ = false;
    // The number of the last request; a result of an older one is dropped.
    std::uint64_t derniere_ = 0;
    std::atomic<std::uint64_t> decodees_{0};
    // The worker's own reader: the shared one belongs to the window's thread.
    std::unique_ptr<TimgData> lecteurTravail_;
    std::thread travailleur_;

    LibGfl& bibliotheque_;
    TimgData& lecteur_;
    MessageService& messages_;
    TextLookup texte_;
};

} // namespace varlime
