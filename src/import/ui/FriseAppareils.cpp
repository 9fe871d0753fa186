// SPDX-License-Identifier: GPL-3.0-or-later
#include "import/ui/FriseAppareils.h"

#include <QDateTime>
#include <QMouseEvent>
#include <QPainter>
#include <QTimeZone>
#include <algorithm>
#include <cmath>

namespace varlime {

namespace {

constexpr int kHauteurRang = 22;
constexpr int kMarge = 8;
constexpr int kEtiquette = 150;

const QColor kCouleurs[] = {QColor(31, 119, 180),  QColor(214, 39, 40),  QColor(44, 160, 44),
                            QColor(148, 103, 189), QColor(255, 127, 14), QColor(23, 190, 207)};

} // namespace

FriseAppareils::FriseAppareils(QWidget* parent) : QWidget(parent) {
    setMouseTracking(false);
    setMinimumHeight(kHauteurRang + 2 * kMarge);
}

void FriseAppareils::definir(std::vector<Rang> rangs) {
    if (glisse_ >= 0)
        return; // a drag in progress keeps its row
    rangs_ = std::move(rangs);
    setMinimumHeight(int(std::max<std::size_t>(1, rangs_.size())) * kHauteurRang + 2 * kMarge + 14);
    updateGeometry();
    update();
}

QSize FriseAppareils::sizeHint() const {
    return {600, minimumHeight()};
}

void FriseAppareils::bornes(qint64& debut, qint64& fin) const {
    debut = std::numeric_limits<qint64>::max();
    fin = std::numeric_limits<qint64>::min();
    for (const Rang& r : rangs_)
        for (qint64 t : r.instants) {
            debut = std::min(debut, t + r.decalage);
            fin = std::max(fin, t + r.decalage);
        }
    if (debut > fin)
        debut = fin = 0;
    // Some room on each side, and at least an hour shown.
    const qint64 marge = std::max<qint64>(1800, (fin - debut) / 20);
    debut -= marge;
    fin += marge;
}

double FriseAppareils::secondesParPixel() const {
    qint64 debut, fin;
    bornes(debut, fin);
    const int largeur = std::max(1, width() - kEtiquette - 2 * kMarge);
    return double(fin - debut) / largeur;
}

int FriseAppareils::rangSous(int y) const {
    const int r = (y - kMarge) / kHauteurRang;
    return y >= kMarge && r >= 0 && r < int(rangs_.size()) ? r : -1;
}

void FriseAppareils::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().base());
    qint64 debut, fin;
    bornes(debut, fin);
    const int x0 = kEtiquette + kMarge;
    const int largeur = std::max(1, width() - x0 - kMarge);
    const double echelle = double(largeur) / double(std::max<qint64>(1, fin - debut));
    for (std::size_t k = 0; k < rangs_.size(); ++k) {
        const Rang& r = rangs_[k];
        const int y = kMarge + int(k) * kHauteurRang;
        p.setPen(palette().text().color());
        p.drawText(QRect(kMarge, y, kEtiquette - kMarge, kHauteurRang),
                   Qt::AlignVCenter | Qt::AlignLeft, r.nom);
        const QColor c = kCouleurs[k % std::size(kCouleurs)];
        p.setPen(QPen(c, 2));
        for (qint64 t : r.instants) {
            const int x = x0 + int(double(t + r.decalage - debut) * echelle);
            p.drawLine(x, y + 4, x, y + kHauteurRang - 4);
        }
    }
    // The axis: the first and last times shown.
    const int ya = kMarge + int(rangs_.size()) * kHauteurRang + 12;
    p.setPen(palette().mid().color());
    p.drawLine(x0, ya - 10, x0 + largeur, ya - 10);
    p.setPen(palette().text().color());
    const auto heure = [](qint64 t) {
        return QDateTime::fromSecsSinceEpoch(t, Qt::UTC)
            .toString(QStringLiteral("yyyy-MM-dd HH:mm"));
    };
    if (!rangs_.empty()) {
        p.drawText(QPoint(x0, ya + 2), heure(debut));
        const QString f = heure(fin);
        p.drawText(QPoint(x0 + largeur - fontMetrics().horizontalAdvance(f), ya + 2), f);
    }
}

void FriseAppareils::mousePressEvent(QMouseEvent* e) {
    glisse_ = rangSous(int(e->position().y()));
    depart_ = int(e->position().x());
    if (glisse_ >= 0) {
        decalageDepart_ = rangs_[glisse_].decalage;
        echelleDepart_ = secondesParPixel();
    }
}

void FriseAppareils::mouseMoveEvent(QMouseEvent* e) {
    if (glisse_ < 0)
        return;
    // The scale of the press holds during the drag, or the row would run away.
    const double s = echelleDepart_;
    const long d = long(std::lround((e->position().x() - depart_) * s / 60.0)) * 60;
    rangs_[glisse_].decalage = decalageDepart_ + d;
    update();
}

void FriseAppareils::mouseReleaseEvent(QMouseEvent* e) {
    if (glisse_ < 0)
        return;
    mouseMoveEvent(e);
    const int rang = glisse_;
    glisse_ = -1;
    if (rangs_[rang].decalage != decalageDepart_)
        emit decalageGlisse(rang, rangs_[rang].decalage);
}

} // namespace varlime
