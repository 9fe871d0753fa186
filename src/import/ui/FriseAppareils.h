// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The cameras' shots on one time axis, a row per camera, so that two bodies whose
// clocks disagree show it at a glance. Dragging a row sideways shifts that camera's
// clock (by whole minutes); the offset is handed back on release.
#include <QString>
#include <QWidget>
#include <vector>

namespace varlime {

class FriseAppareils : public QWidget {
    Q_OBJECT
public:
    struct Rang {
        QString nom;
        long decalage = 0;            // seconds
        std::vector<qint64> instants; // capture times as shot, seconds since the epoch
    };
    explicit FriseAppareils(QWidget* parent = nullptr);
    void definir(std::vector<Rang> rangs);
    const std::vector<Rang>& rangs() const { return rangs_; }
    QSize sizeHint() const override;
    // The seconds one pixel stands for on the axis as drawn.
    double secondesParPixel() const;

signals:
    void decalageGlisse(int rang, long secondes);

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    void bornes(qint64& debut, qint64& fin) const;
    int rangSous(int y) const;
    std::vector<Rang> rangs_;
    int glisse_ = -1;
    int depart_ = 0;
    long decalageDepart_ = 0;
    double echelleDepart_ = 1; // seconds a pixel, at the press
};

} // namespace varlime
