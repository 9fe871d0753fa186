#pragma once
// Creates a control with its name: language files and tests address controls by
// their object name, so every control gets one when it is made.
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <algorithm>

namespace varlime {

template <class Control> Control* control(const char* name, const QString& text, QWidget* parent) {
    auto* c = new Control(text, parent);
    c->setObjectName(QString::fromLatin1(name));
    return c;
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

} // namespace varlime
