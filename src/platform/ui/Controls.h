#pragma once
// Creates a control with its name: language files and tests address controls by
// their object name, so every control gets one when it is made.
#include <QString>
#include <QWidget>

namespace varlime {

template <class Control> Control* control(const char* name, const QString& text, QWidget* parent) {
    auto* c = new Control(text, parent);
    c->setObjectName(QString::fromLatin1(name));
    return c;
}

} // namespace varlime
