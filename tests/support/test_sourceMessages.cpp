// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/test_sourceMessages.h"
#include "support/test_support.h"

#include <QRegularExpression>
#include <QString>

#include <filesystem>

namespace varlime::test {

std::map<std::string, std::string> keysUsedBySources() {
    // The key, then its default: one string literal or several written side by side.
    static const QRegularExpression pattern(
        QStringLiteral(R"re("(RSC_[A-Za-z0-9_]+)"(?:\s*,\s*((?:"(?:[^"\\]|\\.)*"\s*)+))?)re"));
    static const QRegularExpression literal(QStringLiteral(R"re("((?:[^"\\]|\\.)*)")re"));
    std::map<std::string, std::string> keys;
    const std::string source = std::string(VARLIME_SOURCE_DIR) + "/src";
    for (const auto& entry : std::filesystem::recursive_directory_iterator(source)) {
        const auto ext = entry.path().extension();
        if (!entry.is_regular_file() || (ext != ".cpp" && ext != ".h"))
            continue;
        const QString text = QString::fromStdString(readFile(entry.path().string()));
        for (auto it = pattern.globalMatch(text); it.hasNext();) {
            const auto m = it.next();
            std::string& def = keys[m.captured(1).toStdString()];
            if (!def.empty())
                continue;
            for (auto piece = literal.globalMatch(m.captured(2)); piece.hasNext();)
                def += piece.next().captured(1).toStdString();
        }
    }
    return keys;
}

} // namespace varlime::test
