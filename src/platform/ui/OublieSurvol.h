// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Tool buttons are drawn raised while the mouse is over them. One that opened a modal
// dialog never hears that the mouse left it, and would stay drawn in its hover frame
// after the dialog closed. Each time the window comes back (or goes), the buttons the
// mouse is no longer over are told it left.
#include <QCoreApplication>
#include <QCursor>
#include <QEvent>
#include <QToolButton>
#include <QWidget>

namespace varlime {

class OublieSurvol : public QObject {
public:
    // Watches the tool buttons of `barre`; owned by it.
    explicit OublieSurvol(QWidget* barre) : QObject(barre), barre_(barre) {
        barre->window()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::WindowActivate || e->type() == QEvent::WindowDeactivate)
            for (QToolButton* b : barre_->findChildren<QToolButton*>()) {
                if (!b->underMouse() || b->rect().contains(b->mapFromGlobal(QCursor::pos())))
                    continue;
                QEvent sortie(QEvent::Leave);
                QCoreApplication::sendEvent(b, &sortie);
                b->setAttribute(Qt::WA_UnderMouse, false);
                b->update();
            }
        return QObject::eventFilter(o, e);
    }

private:
    QWidget* barre_;
};

} // namespace varlime
