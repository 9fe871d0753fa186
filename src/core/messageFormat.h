#pragma once
// Fills the placeholders of a message ("%s", "%d", "%%") in order. Messages come
// from language files written by translators, so a placeholder without an argument
// is left as it is and a surplus argument is ignored: a damaged translation never
// reads past its arguments.
#include <QString>
#include <QVariant>
#include <initializer_list>

namespace varlime {

QString formatMessage(const QString& format, std::initializer_list<QVariant> args);

} // namespace varlime
