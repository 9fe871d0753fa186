// SPDX-License-Identifier: GPL-3.0-or-later
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
    : lecteurTravail_(std::make_unique<TimgData>()), bibliotheque_(bibliotheque), lecteur_(lecteur),
      messages_(messages), texte_(std::move(texte)) {}

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

namespace {

// The grid's thumbnail: a square box, where a stored copy that is the photo may serve.
DemandeImage demandeImagette(int largeur) {
    DemandeImage d;
    d.boite = {largeur, largeur};
    d.apercuPermis = true;
    return d;
}

} // namespace

ImageChargee TDB_image::ChargerStockee(const std::string& chemin, int& orientation, int cote,
                                       QWidget* parent) {
    orientation = orientationExif(lecteur_, chemin);
    DemandeImage demande;
    demande.boite = {cote, cote};
    ImageChargee image = chargerImage(&bibliotheque_, chemin, demande, chargerAvecQt);
    signalerProfondeur(image, parent);
    return image;
}

void TDB_image::afficher(const ImageChargee& image, QLabel* controle) {
    const int largeur = std::max(1, controle->width());
    if (image.pixels.vide()) {
        controle->clear();
        controle->setVisible(false);
        return;
    }
    // The box is as high as it is wide: a tall picture is fitted to its height, so that
    // it never stretches the main window. The other side follows the picture's own
    // proportions, rounded once.
    const Taille propre = image.pixels.propre();
    const Taille t = propre.hauteur <= propre.largeur
                         ? Taille{largeur, proportion(largeur, propre.hauteur, propre.largeur)}
                         : Taille{proportion(largeur, propre.largeur, propre.hauteur), largeur};
    const Pixels p = redimensionnerA(image.pixels, t);
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
            &bibliotheque_, *lecteurTravail_, d.chemin, demandeImagette(d.largeur), chargerAvecQt));
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
