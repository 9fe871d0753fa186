#include "imaging/ui/MD_image.h"

#include "exif/dEXIF.h"
#include "imaging/rotation.h"
#include "imaging/ui/chargeurQt.h"
#include "platform/ui/MessageService.h"

#include <QLabel>
#include <QPixmap>

namespace varlime {

TDB_image::TDB_image(LibGfl& bibliotheque, TimgData& lecteur, MessageService& messages,
                     TextLookup texte)
    : bibliotheque_(bibliotheque), lecteur_(lecteur), messages_(messages),
      texte_(std::move(texte)) {}

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
    if (image.pixels.vide()) {
        controle->clear();
        controle->setVisible(false);
        return;
    }
    const Pixels p = redimensionner(image.pixels, largeur);
    controle->setPixmap(QPixmap::fromImage(versQImage(p)));
    controle->setFixedHeight(p.hauteur);
    controle->setCursor(Qt::PointingHandCursor);
}

} // namespace varlime
