// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/ui/IHM_vignette.h"

#include "exif/ui/IHM_exif_dump.h"
#include "imaging/rotation.h"
#include "imaging/ui/IHM_info_touche.h"
#include "imaging/ui/MD_image.h"
#include "imaging/ui/chargeurQt.h"
#include "platform/ui/FramePlacement.h"
#include "platform/ui/MessageService.h"
#include "platform/ui/ServicesFenetre.h"

#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QPixmap>
#include <QScreen>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace varlime {

namespace {

// Halves to even, as every size of this window is rounded.
int arrondi(double v) {
    return static_cast<int>(std::nearbyint(v));
}

// The name the grid shows for a path: what follows its last '/'.
QString nomDuFichier(const std::string& chemin) {
    return QFile::decodeName(QByteArray::fromStdString(chemin.substr(chemin.rfind('/') + 1)));
}

} // namespace

TDLG_vignette::TDLG_vignette(ServicesFenetre& app, TDB_image& images, TDLG_exif_dump& dump,
                             GrilleVignette grille, QWidget* principal)
    : QDialog(principal), app_(app), images_(images), dump_(dump), grille_(std::move(grille)),
      main_(*principal), infoTouche_(new TDLG_info_touche(this)) {
    setObjectName(QStringLiteral("DLG_vignette"));
    setWindowTitle(QStringLiteral("Visualisation"));
    setModal(false);
    IMG_01 = new QLabel(this);
    IMG_01->setObjectName(QStringLiteral("IMG_01"));
    // Drawn by afficherPixels at the size it should have, centred: a small picture at
    // its own size, a large one shrunk smoothly rather than stretched by the label.
    IMG_01->setScaledContents(false);
    IMG_01->setAlignment(Qt::AlignCenter);
    IMG_01->setWordWrap(true);
    IMG_01->installEventFilter(this);
    const int largeur = arrondi(0.7 * ecran().width());
    resize(largeur, arrondi(largeur / 1.3333));
}

QSize TDLG_vignette::ecran() const {
    if (ecranImpose)
        return *ecranImpose;
    const QScreen* s = screen();
    return s ? s->availableGeometry().size() : QSize(1024, 768);
}

double TDLG_vignette::rapport() const {
    const Taille propre = pixels_.propre();
    return static_cast<double>(propre.hauteur) / static_cast<double>(propre.largeur);
}

void TDLG_vignette::Image_centree(const std::string& chemin) {
    hautVoulu_ = main_.frameGeometry().top() + 78;
    placer(QPoint(frameGeometry().left(), *hautVoulu_));
    Initialise_image();
    Mode_positionne = false;
    Image(chemin);
}

void TDLG_vignette::Image_positionnee(const std::string& chemin) {
    Initialise_image();
    Mode_positionne = true;
    Image(chemin);
}

void TDLG_vignette::Initialise_image() {
    IMG_01->setGeometry(0, 0, width(), height());
    infoTouche_->Afficher(*this, coin_);
}

void TDLG_vignette::afficherPixels() {
    if (pixels_.vide())
        return;
    const Taille propre = pixels_.propre();
    const QSize zone = IMG_01->size();
    const QSize voulue = propre.largeur <= zone.width() && propre.hauteur <= zone.height()
                             ? QSize(propre.largeur, propre.hauteur)
                             : zone;
    QImage image = versQImage(pixels_);
    if (image.size() != voulue && !voulue.isEmpty())
        image = image.scaled(voulue, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    IMG_01->setPixmap(QPixmap::fromImage(image));
}

QSize TDLG_vignette::tailleDessinee() const {
    return IMG_01->pixmap().size();
}

void TDLG_vignette::Image(const std::string& chemin) {
    chemin_ = chemin;
    struct stat etat;
    identite_ =
        ::lstat(chemin.c_str(), &etat) == 0 ? Identite{etat.st_dev, etat.st_ino, true} : Identite{};
    setWindowTitle(nomDuFichier(chemin));
    IMG_01->setVisible(true);
    int orientation = 1;
    // The window never grows past the screen: a decode as wide as the screen (in
    // either direction, as the picture may stand on its side) loses nothing visible
    // and keeps paging quick.
    const QSize e = ecran();
    ImageChargee image =
        images_.ChargerStockee(chemin, orientation, std::max(e.width(), e.height()), this);
    dimensionnement_ = true;
    IMG_01->resize(width(), height());
    dimensionnement_ = false;
    if (image.pixels.vide()) {
        // The window is neither resized nor moved, and no box stops the user paging
        // through a card: the picture area tells what it cannot show, and the next
        // arrow key goes on to the next file.
        pixels_ = Pixels();
        IMG_01->clear();
        IMG_01->setText(
            formatMessage(app_.texte("RSC_msg_image_non_affichable", kMessageNonAffichable),
                          {nomDuFichier(chemin)}));
        if (!isVisible())
            show();
        raise();
        activateWindow();
        return;
    }
    // Mirrors and the half turn keep the proportions; a quarter turn is sized as the
    // picture stood on the card first, then turned, as a turn by double-click is.
    Pixels stocke = image.pixels;
    redresser(image.pixels, orientation);
    const int angle = image.pixels.redressee ? 0 : angleOrientation(orientation);
    pixels_ = angle == 0 ? image.pixels : stocke;
    Dimensionne();
    Positionne();
    if (angle != 0) {
        pixels_ = std::move(image.pixels);
        dimensionnement_ = true;
        IMG_01->resize(IMG_01->height(), IMG_01->width());
        dimensionnement_ = false;
        Dimensionne();
        Positionne();
    }
    afficherPixels();
    const bool premiere = !isVisible();
    show();
    // A window shown for the first time may only now know its frame: placed again by it.
    if (premiere)
        Positionne();
    // The keys page through the list: they must come to this window.
    raise();
    activateWindow();
}

void TDLG_vignette::Dimensionne() {
    if (pixels_.vide())
        return;
    const double r = rapport();
    dimensionnement_ = true;
    // A window left standing up by a portrait picture takes its width back from its
    // height, and the picture is fitted to it as a resize would: paging from a portrait
    // to a landscape picture keeps the view its size instead of shrinking it.
    if (height() > width()) {
        taille(QSize(arrondi(height() / r), height()));
        ajuster();
    }
    if (pixels_.hauteur > pixels_.largeur)
        IMG_01->resize(arrondi(IMG_01->height() / r), IMG_01->height());
    else
        IMG_01->resize(IMG_01->width(), arrondi(IMG_01->width() * r));
    // Never past the screen, however often a long picture is turned.
    const QSize e = ecran() - (frameGeometry().size() - size());
    if (IMG_01->width() > e.width() || IMG_01->height() > e.height())
        IMG_01->resize(IMG_01->size().scaled(e, Qt::KeepAspectRatio));
    taille(IMG_01->size());
    dimensionnement_ = false;
}

int TDLG_vignette::hautSurEcran(int haut) const {
    const QMargins m = margesCadre(*this, {&main_});
    return std::max(0, std::min(haut, ecran().height() - height() - m.top() - m.bottom()));
}

void TDLG_vignette::Positionne() {
    const QSize e = ecran();
    if (Mode_positionne) {
        const int haut = hautSurEcran(main_.frameGeometry().top() + 78);
        placer(QPoint(e.width() - width(), haut));
        // Placed by its frame, as this window is, so that both tops line up under a
        // window manager's title bars.
        placerParCadre(dump_, QPoint(0, haut), QSize(e.width() - width(), height()),
                       {this, &main_});
    } else {
        // The top the centred layout was given; a window manager may have moved the
        // window since, and a window not yet shown cannot say where it stands.
        placer(QPoint(arrondi((e.width() - width()) / 2.0),
                      hautSurEcran(hautVoulu_.value_or(frameGeometry().top()))));
    }
    if (infoTouche_->isVisible())
        infoTouche_->Afficher(*this, coin_);
}

void TDLG_vignette::placer(QPoint coin) {
    coin_ = coin;
    placerParCadre(*this, coin, size(), {&main_});
}

void TDLG_vignette::Orientation(int angle) {
    if (pixels_.vide())
        return;
    Bmprot90(pixels_, angle);
    dimensionnement_ = true;
    IMG_01->resize(IMG_01->height(), IMG_01->width());
    dimensionnement_ = false;
    afficherPixels();
    Dimensionne();
    Positionne();
}

void TDLG_vignette::IMG_01DblClick() {
    if (pixels_.vide())
        return;
    Bmprot90(pixels_, 90);
    dimensionnement_ = true;
    IMG_01->resize(IMG_01->height(), IMG_01->width());
    dimensionnement_ = false;
    afficherPixels();
    Dimensionne();
    // Standing up, the window may now reach below the screen: raised as far as needed.
    if (const int haut = hautSurEcran(coin_.y()); haut != coin_.y())
        placer(QPoint(coin_.x(), haut));
}

void TDLG_vignette::FormResize() {
    if (pixels_.vide() || dimensionnement_)
        return;
    dimensionnement_ = true;
    ajuster();
    dimensionnement_ = false;
}

void TDLG_vignette::ajuster() {
    const double r = rapport();
    if (pixels_.hauteur > pixels_.largeur)
        IMG_01->resize(arrondi(height() / r), height());
    else
        IMG_01->resize(width(), arrondi(width() * r));
    taille(IMG_01->size());
}

void TDLG_vignette::taille(QSize s) {
    const auto maintenant = std::chrono::steady_clock::now();
    std::erase_if(demandes_, [&](const Demande& d) { return maintenant - d.quand > kEcho; });
    demandes_.push_back({s, maintenant});
    resize(s);
}

void TDLG_vignette::resizeEvent(QResizeEvent* e) {
    QDialog::resizeEvent(e);
    // A window manager confirms each size this window asked for, some of them after the
    // next one was asked: those are not the user's, and fitting the picture to a size
    // already left behind would shrink the view.
    const auto maintenant = std::chrono::steady_clock::now();
    for (const Demande& d : demandes_)
        if (d.taille == e->size() && maintenant - d.quand <= kEcho)
            return;
    FormResize();
}

bool TDLG_vignette::eventFilter(QObject* watched, QEvent* e) {
    if (watched == IMG_01 && e->type() == QEvent::MouseButtonDblClick) {
        IMG_01DblClick();
        return true;
    }
    if (watched == IMG_01 && e->type() == QEvent::Resize)
        afficherPixels();
    return QDialog::eventFilter(watched, e);
}

void TDLG_vignette::Effacer_image() {
    // The question is about the picture on screen: the grid's cursor may have moved to
    // another row since, as this window does not block the main one. That picture's row
    // stands for the current row in what follows.
    const auto& lignes = grille_.moteur().lignes();
    int ligne = -1;
    for (int i = 0; i < static_cast<int>(lignes.size()) && ligne < 0; ++i)
        if (!chemin_.empty() && grille_.cheminLigne(i) == chemin_)
            ligne = i;
    if (chemin_.empty())
        return;
    const int dossier = grille_.moteur().dossier().fd();
    // The row's own name, in the folder its rows were listed from, and nothing else.
    const std::string nom = ligne >= 0 ? lignes[ligne].ancienSurDisque() : std::string();
    // A rename run, or any other program, may have given the name to another file while
    // this window showed the picture: only the file shown is ever deleted.
    const auto memeFichier = [&] {
        struct stat etat;
        return identite_.connue && ligne >= 0 && !nom.empty() &&
               nom.find('/') == std::string::npos && nom != "." && nom != ".." &&
               ::fstatat(dossier, nom.c_str(), &etat, AT_SYMLINK_NOFOLLOW) == 0 &&
               etat.st_dev == identite_.appareil && etat.st_ino == identite_.inode;
    };
    const auto direChange = [&] {
        app_.messages().warning(
            formatMessage(app_.texte("RSC_msg_image_changee", kMessageImageChangee),
                          {nomDuFichier(chemin_)}),
            this);
    };
    if (!memeFichier()) {
        direChange();
        return;
    }
    if (!app_.messages().confirm(
            app_.texte("RSC_msg_confirmation_effacer_image", kMessageConfirmationEffacer), this))
        return;
    // Checked again after the question, which may have stayed open a long time.
    if (!memeFichier()) {
        direChange();
        return;
    }
    const int suivante = ligne == static_cast<int>(lignes.size()) - 1 ? 0 : ligne;
    const int erreur = ::unlinkat(dossier, nom.c_str(), 0) == 0 ? 0 : errno;
    // A picture that stays must not look deleted: the user is told why.
    if (erreur != 0)
        app_.messages().warning(
            formatMessage(app_.texte("RSC_msg_effacement_impossible", kMessageEffacementImpossible),
                          {nomDuFichier(nom), QString::fromStdString(texteErreurSysteme(
                                                  lookupMessages(app_.localization()), erreur))}),
            this);
    grille_.chercherFichier();
    grille_.selectionnerLigne(suivante);
    montrer(grille_.cheminLigne(grille_.ligneCourante()));
}

void TDLG_vignette::montrer(const std::string& chemin) {
    // The list emptied by a delete: nothing left to show.
    if (chemin.empty()) {
        close();
        return;
    }
    if (dump_.isVisible())
        dump_.Liste_info_exif_chemin(chemin);
    Image(chemin);
}

void TDLG_vignette::keyPressEvent(QKeyEvent* e) {
    infoTouche_->Effacer();
    QString nom;
    switch (e->key()) {
    case Qt::Key_Right:
    case Qt::Key_PageDown:
    case Qt::Key_Up:
        grille_.selection(0, nom);
        montrer(grille_.cheminLigne(grille_.ligneCourante()));
        break;
    case Qt::Key_Left:
    case Qt::Key_PageUp:
    case Qt::Key_Down:
        grille_.selection(1, nom);
        montrer(grille_.cheminLigne(grille_.ligneCourante()));
        break;
    case Qt::Key_Delete:
        Effacer_image();
        break;
    case Qt::Key_Escape:
        close();
        break;
    default:
        break;
    }
}

void TDLG_vignette::closeEvent(QCloseEvent* e) {
    infoTouche_->Effacer();
    if (dump_.isVisible())
        dump_.close();
    QDialog::closeEvent(e);
}

} // namespace varlime
