#include "imaging/ui/MD_image.h"

#include "exif/dEXIF.h"
#include "imaging/rotation.h"
#include "imaging/ui/chargeurQt.h"
#include "platform/ui/MessageService.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPixmap>
#include <algorithm>
#include <cmath>

namespace varlime {

TDB_image::TDB_image(LibGfl& bibliotheque, TimgData& lecteur, MessageService& messages,
                     TextLookup texte)
    : bibliotheque_(bibliotheque), lecteur_(lecteur), messages_(messages), texte_(std::move(texte)),
      lecteurTravail_(std::make_unique<TimgData>()) {}

TDB_image::~TDB_image() {
    {
        std::lock_guard verrou(mutexTravail_);
        arret_ = true;
    }
    reveil_.notify_all();
    if (travailleur_.joinable())
        travailleur_.join();
}

void TDB_image::signalerProfondeur(const ImageChargee& image, QWidget* parent) {
    if (image.profondeurRefusee)
        messages_.error(
            QString::fromStdString(texte_("RSC_msg_bpp_non_supporte", kMessageProfondeur)), parent);
}

ImageChargee TDB_image::Charger(const std::string& chemin, int largeurVoulue, QWidget* parent) {
    ImageChargee image =
        chargerImageRedressee(&bibliotheque_, lecteur_, chemin, largeurVoulue, chargerAvecQt);
    signalerProfondeur(image, parent);
    return image;
}

ImageChargee TDB_image::ChargerStockee(const std::string& chemin, int& orientation,
                                       int largeurVoulue, QWidget* parent) {
    orientation = orientationExif(lecteur_, chemin);
    ImageChargee image = chargerImage(&bibliotheque_, chemin, largeurVoulue, chargerAvecQt);
    signalerProfondeur(image, parent);
    return image;
}

void TDB_image::Image(const std::string& chemin, QLabel* controle) {
    controle->setVisible(true);
    const int largeur = std::max(1, controle->width());
    // Decoded near the size shown: walking through a folder with the arrow keys must
    // not wait for full-size decodes.
    const ImageChargee image = Charger(chemin, largeur, controle->window());
    afficher(image, controle);
}

void TDB_image::afficher(const ImageChargee& image, QLabel* controle) {
    const int largeur = std::max(1, controle->width());
    if (image.pixels.vide()) {
        controle->clear();
        controle->setVisible(false);
        return;
    }
    // The box is as high as it is wide: a tall picture is fitted to its height, so that
    // it never stretches the main window.
    const Pixels& s = image.pixels;
    const int hauteurPleine = static_cast<int>(
        std::lround(static_cast<double>(largeur) * s.hauteur / std::max(1, s.largeur)));
    const Pixels p = redimensionner(
        s, hauteurPleine <= largeur
               ? largeur
               : std::max(1, static_cast<int>(std::lround(static_cast<double>(largeur) * s.largeur /
                                                          s.hauteur))));
    controle->setPixmap(QPixmap::fromImage(versQImage(p)));
    controle->setFixedHeight(p.hauteur);
    controle->setCursor(Qt::PointingHandCursor);
}

void TDB_image::ImageEnArrierePlan(const std::string& chemin, QLabel* controle) {
    std::unique_lock verrou(mutexTravail_);
    const std::uint64_t numero = ++derniere_;
    if (chemin.empty()) {
        demande_.reset();
        verrou.unlock();
        controle->clear();
        controle->setVisible(false);
        return;
    }
    demande_ = Demande{chemin, std::max(1, controle->width()), numero, controle};
    if (!travailleur_.joinable())
        travailleur_ = std::thread([this] { travailler(); });
    verrou.unlock();
    reveil_.notify_one();
}

void TDB_image::travailler() {
    std::unique_lock verrou(mutexTravail_);
    for (;;) {
        reveil_.wait(verrou, [this] { return arret_ || demande_.has_value(); });
        if (arret_)
            return;
        Demande d = std::move(*demande_);
        demande_.reset();
        occupe_ = true;
        verrou.unlock();
        auto image = std::make_shared<ImageChargee>(chargerImageRedressee(
            &bibliotheque_, *lecteurTravail_, d.chemin, d.largeur, chargerAvecQt));
        ++decodees_;
        // Shown by the window's thread, if nothing was asked for since.
        QMetaObject::invokeMethod(
            this,
            [this, image, numero = d.numero, controle = d.controle] {
                {
                    std::lock_guard v(mutexTravail_);
                    if (numero != derniere_)
                        return;
                }
                if (!controle)
                    return;
                controle->setVisible(true);
                signalerProfondeur(*image, controle->window());
                afficher(*image, controle);
            },
            Qt::QueuedConnection);
        verrou.lock();
        occupe_ = false;
        reveil_.notify_all();
    }
}

void TDB_image::attendreImagette() {
    {
        std::unique_lock verrou(mutexTravail_);
        reveil_.wait(verrou, [this] { return arret_ || (!occupe_ && !demande_); });
    }
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
}

} // namespace varlime
