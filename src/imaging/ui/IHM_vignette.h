// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// "Visualisation": the viewer of the main window's files, upright, the window hugging
// the picture's proportions. Arrow and page keys walk through the list, Delete deletes
// the shown file after confirmation, a double-click turns the picture a quarter turn
// (the file is never changed). It does not block the main window.
#include "core/messageFormat.h"
#include "core/renameEngine.h"
#include "imaging/pixels.h"

#include <QDialog>
#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

class QLabel;

namespace varlime {

class ServicesFenetre;
class TDB_image;
class TDLG_exif_dump;
class TDLG_info_touche;

// The main window's grid as the viewer walks it: rows counted from 0.
struct GrilleVignette {
    // The naming engine behind the grid: the folder listed and its rows.
    std::function<const MoteurNommage&()> moteur;
    // Full path (bytes) of a row's file; empty when none.
    std::function<std::string(int ligne)> cheminLigne;
    // -1 when no row is current.
    std::function<int()> ligneCourante;
    std::function<void(int ligne)> selectionnerLigne;
    // Moves the current row (0 next, 1 previous, wrapping) and gives its old name.
    std::function<void(int direction, QString& nom)> selection;
    // Lists the folder again.
    std::function<void()> chercherFichier;
};

class TDLG_vignette : public QDialog {
    Q_OBJECT
public:
    // `principal` is the main window: its parent, and where it stands centred.
    TDLG_vignette(ServicesFenetre& app, TDB_image& images, TDLG_exif_dump& dump,
                  GrilleVignette grille, QWidget* principal);
    // The key help, which this window owns, so that window managers keep it above
    // the viewer it explains.
    TDLG_info_touche& DLG_info_touche() { return *infoTouche_; }

    // Paths are the file's full path as bytes.
    void Image_centree(const std::string& chemin);
    void Image_positionnee(const std::string& chemin);
    void Initialise_image();
    void Image(const std::string& chemin);
    void Dimensionne();
    void Positionne();
    void Orientation(int angle);

    // false: centred, 78 pixels below the main window's top; true: at the screen's
    // right edge, the EXIF dump window filling the rest on the left.
    bool Mode_positionne = false;
    // The screen's size; tests impose one, otherwise the window's screen.
    std::optional<QSize> ecranImpose;
    // The path shown (bytes), and the picture as shown, upright.
    const std::string& cheminAffiche() const { return chemin_; }
    const Pixels& imageAffichee() const { return pixels_; }
    // The size the picture is drawn at inside IMG_01: never larger than its own.
    QSize tailleDessinee() const;

    QLabel* IMG_01;

protected:
    void resizeEvent(QResizeEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void FormResize();
    // Fits the picture to the window's size as it stands, and the window to the picture.
    void ajuster();
    // Resizes the window, noting the size asked for (see resizeEvent).
    void taille(QSize s);
    // Places the window's frame's top left corner.
    void placer(QPoint coin);
    // The top `haut`, raised as far as needed for the whole window to stay on the
    // screen: a tall picture below the main window's top would lose its bottom.
    int hautSurEcran(int haut) const;
    void IMG_01DblClick();
    void Effacer_image();
    // Draws the picture in IMG_01: at its own size when that fits (never enlarged),
    // else shrunk smoothly to IMG_01's size.
    void afficherPixels();
    void montrer(const std::string& chemin);
    QSize ecran() const;
    // Picture height ÷ width.
    double rapport() const;

    ServicesFenetre& app_;
    TDB_image& images_;
    TDLG_exif_dump& dump_;
    GrilleVignette grille_;
    QWidget& main_;
    TDLG_info_touche* infoTouche_;
    std::string chemin_;
    Pixels pixels_;
    // The file shown, as it was when shown: Delete acts only while its name still
    // leads to that same file.
    struct Identite {
        dev_t appareil = 0;
        ino_t inode = 0;
        bool connue = false;
    } identite_;
    bool dimensionnement_ = false;
    // Where the frame was last placed, and the top the centred layout asks for.
    QPoint coin_;
    std::optional<int> hautVoulu_;
    // The sizes this window asked for lately, and when; a confirmation comes well
    // within kEcho.
    struct Demande {
        QSize taille;
        std::chrono::steady_clock::time_point quand;
    };
    static constexpr std::chrono::seconds kEcho{2};
    std::vector<Demande> demandes_;
};

} // namespace varlime
