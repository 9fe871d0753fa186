// SPDX-License-Identifier: GPL-3.0-or-later
// Where the main window stands on the screen, and the widths of its grid's columns.
#include "platform/texteQt.h"
#include "window/Main.h"

#include "exif/ui/IHM_exif_dump.h"
#include "imaging/ui/IHM_vignette.h"
#include "platform/ui/Controls.h"
#include "window/FenetresPrincipal.h"
#include "window/MD_masque.h"
#include "window/fileGridModel.h"

#include <QGuiApplication>
#include <QHeaderView>
#include <QScreen>
#include <QStyle>
#include <QTableView>
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

int TMainForm::largeurNoms(int colonne) const {
    // The widest names are among the longest: only those few are measured, so that a
    // folder of many thousand photos costs one pass over the lengths.
    constexpr std::size_t kMesures = 24;
    const auto& rows = model_->rows();
    auto texte = [colonne](const FileRow& r) -> const std::string& {
        return colonne == 0 ? r.ancien : r.nouveau;
    };
    std::vector<std::pair<std::size_t, std::size_t>> longs; // (length, row)
    longs.reserve(kMesures + 1);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const std::size_t n = texte(rows[i]).size();
        if (longs.size() == kMesures && n <= longs.back().first)
            continue;
        longs.insert(
            std::upper_bound(longs.begin(), longs.end(), std::pair{n, i},
                             [](const auto& a, const auto& b) { return a.first > b.first; }),
            {n, i});
        if (longs.size() > kMesures)
            longs.pop_back();
    }
    const QFontMetrics fm = GRS_fichier->fontMetrics();
    int largeur = QFontMetrics(GRS_fichier->horizontalHeader()->font())
                      .horizontalAdvance(
                          model_->headerData(colonne, Qt::Horizontal, Qt::DisplayRole).toString());
    for (const auto& [n, i] : longs)
        largeur = std::max(largeur,
                           fm.horizontalAdvance(colonne == 0 ? qs(rows[i].ancien)
                                                             : qs(nomAffichable(rows[i].nouveau))));
    return largeur + 2 * GRS_fichier->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 12;
}

void TMainForm::ajusterColonnes() {
    // Each column as wide as its names when both fit, the room left shared between them;
    // otherwise the room shared in the ratio of their widths (a column never below a
    // quarter), the names cut in the middle and shown whole as a tip.
    const int place = std::max(80, GRS_fichier->viewport()->width());
    const int a = largeurNoms(0), b = largeurNoms(1);
    int w0;
    if (a + b <= place)
        w0 = a + (place - a - b) / 2;
    else
        w0 = std::clamp(int(std::lround(double(place) * a / double(a + b))), place / 4,
                        place - place / 4);
    GRS_fichier->horizontalHeader()->setDefaultSectionSize(place / 2);
    GRS_fichier->setColumnWidth(0, w0);
    GRS_fichier->setColumnWidth(1, place - w0);
}

} // namespace varlime
