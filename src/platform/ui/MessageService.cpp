// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ui/MessageService.h"

#include "platform/ui/FramePlacement.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QShowEvent>
#include <QTimer>
#include <cstdio>

namespace varlime {

namespace {

// A message box centred over its parent's window, frame included. Qt centres a dialog
// whose frame is not known yet as if it had none and moves its frame's corner where the
// inside's was meant, so under a window manager it opens a title bar too high.
class BoiteCentree : public QMessageBox {
public:
    using QMessageBox::QMessageBox;

protected:
    void showEvent(QShowEvent* e) override {
        QMessageBox::showEvent(e); // the box takes its final size here
        const QWidget* p = parentWidget();
        if (!p || e->spontaneous())
            return;
        const QWidget* fenetre = p->window();
        placerParCadre(*this,
                       coinCentre(fenetre->frameGeometry(), size(), margesCadre(*this, {fenetre})),
                       size(), {fenetre});
        // The window manager may still move the box as it maps it: once its own frame is
        // known, the box is put back over the centre.
        essais_ = 0;
        QTimer::singleShot(0, this, [this] { recentrer(); });
    }

private:
    int essais_ = 0;
    void recentrer() {
        const QWidget* p = parentWidget();
        if (!p || !isVisible())
            return;
        const QMargins m = margesCadre(*this);
        if (m.isNull() && ++essais_ < 40) {
            QTimer::singleShot(25, this, [this] { recentrer(); });
            return;
        }
        // move() places a shown window by its frame's corner.
        move(coinCentre(p->window()->frameGeometry(), size(), m));
    }
};

} // namespace

bool DialogMessageService::show(MessageKind kind, const QString& text, MessageButtons buttons,
                                QWidget* parent) {
    BoiteCentree box(parent);
    box.setWindowTitle(QStringLiteral("Varlime"));
    box.setText(text);
    switch (kind) {
    case MessageKind::Warning:
        box.setIcon(QMessageBox::Warning);
        break;
    case MessageKind::Error:
        box.setIcon(QMessageBox::Critical);
        break;
    case MessageKind::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case MessageKind::Confirmation:
        box.setIcon(QMessageBox::Question);
        break;
    }
    if (buttons == MessageButtons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        box.button(QMessageBox::Yes)->setText(oui);
        box.button(QMessageBox::No)->setText(non);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
    }
    const int result = box.exec();
    return buttons == MessageButtons::Ok || result == QMessageBox::Yes;
}

bool ConsoleMessageService::show(MessageKind, const QString& text, MessageButtons, QWidget*) {
    shown << text;
    if (!quiet)
        std::fprintf(stderr, "%s\n", text.toUtf8().constData());
    return true;
}

bool ScriptedMessageService::show(MessageKind kind, const QString& text, MessageButtons buttons,
                                  QWidget*) {
    shown.push_back({kind, buttons, text});
    if (buttons == MessageButtons::Ok)
        return true;
    if (answers.empty())
        return true;
    const bool yes = answers.front();
    answers.pop_front();
    return yes;
}

QStringList ScriptedMessageService::texts() const {
    QStringList out;
    for (const auto& e : shown)
        out << e.text;
    return out;
}

} // namespace varlime
