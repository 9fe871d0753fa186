// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Creates a control with its name: language files and tests address controls by
// their object name, so every control gets one when it is made.
#include <QDialog>
#include <QHBoxLayout>
#include <QHelpEvent>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QString>
#include <QStringList>
#include <QToolTip>
#include <QWidget>

#include <algorithm>

namespace varlime {

template <class Control> Control* control(const char* name, const QString& text, QWidget* parent) {
    auto* c = new Control(text, parent);
    c->setObjectName(QString::fromLatin1(name));
    return c;
}

// OK (the default button, accepting) and Annuler (rejecting), centred in a row that a
// choice dialog puts under its choices.
inline QHBoxLayout* boutonsOkAnnuler(QDialog* d, QPushButton*& ok, QPushButton*& annuler) {
    ok = control<QPushButton>("BT_ok", QStringLiteral("OK"), d);
    ok->setDefault(true);
    QObject::connect(ok, &QPushButton::clicked, d, &QDialog::accept);
    annuler = control<QPushButton>("BT_annuler", QStringLiteral("Annuler"), d);
    QObject::connect(annuler, &QPushButton::clicked, d, &QDialog::reject);
    auto* boutons = new QHBoxLayout;
    boutons->addStretch();
    boutons->addWidget(ok);
    boutons->addWidget(annuler);
    boutons->addStretch();
    return boutons;
}

// Widens a read-only text to its longest line: texts written with their own line breaks
// (and translated) must not also be cut in the middle of a line.
inline void largeurDesLignes(QPlainTextEdit* memo) {
    int plusLongue = 0;
    for (const QString& ligne : memo->toPlainText().split(QLatin1Char('\n')))
        plusLongue = std::max(plusLongue, memo->fontMetrics().horizontalAdvance(ligne));
    memo->setMinimumWidth(plusLongue + 2 * memo->frameWidth() +
                          2 * static_cast<int>(memo->document()->documentMargin()) +
                          memo->verticalScrollBar()->sizeHint().width() + 4);
}

// A one-line label whose text comes from the user's data (a path, a name, an EXIF value):
// however long the text, it never widens its window. What does not fit is left out in
// the middle, and the whole text shows as a tip. text() keeps the whole text.
class LibelleAbrege : public QLabel {
public:
    using QLabel::QLabel;
    QSize sizeHint() const override {
        QSize s = QLabel::sizeHint();
        s.setWidth(std::min(s.width(), fontMetrics().averageCharWidth() * 40));
        return s;
    }
    QSize minimumSizeHint() const override {
        QSize s = QLabel::minimumSizeHint();
        s.setWidth(std::min(s.width(), fontMetrics().averageCharWidth() * 16));
        return s;
    }
    bool abrege() const { return fontMetrics().horizontalAdvance(text()) > contentsRect().width(); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        const QRect r = contentsRect();
        p.setPen(palette().color(foregroundRole()));
        p.drawText(r, int(alignment()) | Qt::TextSingleLine,
                   fontMetrics().elidedText(text(), Qt::ElideMiddle, r.width()));
    }
    bool event(QEvent* e) override {
        if (e->type() == QEvent::ToolTip && toolTip().isEmpty()) {
            if (abrege())
                QToolTip::showText(static_cast<QHelpEvent*>(e)->globalPos(), text(), this);
            else
                QToolTip::hideText();
            return true;
        }
        return QLabel::event(e);
    }
};

} // namespace varlime
