#include "core/messageFormat.h"

#include <vector>

namespace varlime {

QString formatMessage(const QString& format, std::initializer_list<QVariant> args) {
    const std::vector<QVariant> values(args);
    std::size_t next = 0;
    QString out;
    out.reserve(format.size() + 32);
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format[i];
        if (c != u'%' || i + 1 >= format.size()) {
            out += c;
            continue;
        }
        const QChar k = format[i + 1];
        if (k == u'%') {
            out += u'%';
            ++i;
        } else if ((k == u's' || k == u'd') && next < values.size()) {
            out += values[next++].toString();
            ++i;
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace varlime
