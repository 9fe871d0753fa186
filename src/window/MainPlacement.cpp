// SPDX-License-Identifier: GPL-3.0-or-later
// Where the main window stands on the screen, and the widths of its grid's columns.
#include "window/Main.h"

#include "exif/ui/IHM_exif_dump.h"
#include "imaging/ui/IHM_vignette.h"
#include "platform/ui/Controls.h"
#include "window/FenetresPrincipal.h"
#include "window/MD_masque.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWindow>
#include <algorithm>
#include <cmath>
#include <utility>

namespace varlime {

void TMainForm::placerFenetre() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect s = screen->availableGeometry();
    const int w = std::min(1000, s.width());
    const int h = int(std::lround(s.height() * 0.85));
    resize(w, h);
    move(s.x() + int(std::lround((s.width() - w) / 2.0)),
         s.y() + int(std::lround(s.height() / 20.0)));
}

void TMainForm::decalerFenetre(int rang) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen || rang <= 0)
        return;
    const QRect zone = screen->availableGeometry();
    // One title bar's height a step, as desktops cascade their windows.
    const int pas = std::max(24, fontMetrics().height() * 2);
    int dx = pas * rang;
    if (x() + dx + width() > zone.right() + 1)
        dx = std::max(zone.left() - x(), -dx); // no room at the right: to the left
    const int dy = pas * rang;
    if (y() + dy + height() > zone.bottom() + 1)
        resize(width(), std::max(minimumSizeHint().height(), zone.bottom() + 1 - y() - dy));
    move(x() + dx, y() + dy);
}

bool TMainForm::fenetrePlacee() const {
    // Without a window manager (offscreen, tests) there is no frame to wait for.
    const QString plateforme = QGuiApplication::platformName();
    if (plateforme == QLatin1String("offscreen") || plateforme == QLatin1String("minimal"))
        return true;
    return windowHandle() && windowHandle()->isExposed() && frameGeometry() != geometry();
}

void TMainForm::resizeEvent(QResizeEvent* e) {
    QMainWindow::resizeEvent(e);
    ajusterColonnes();
}

void TMainForm::ajusterColonnes() {
    grille_.ajusterColonnes();
}

} // namespace varlime
