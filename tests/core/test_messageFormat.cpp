// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/messageFormat.h"

#include <gtest/gtest.h>

using varlime::formatMessage;

TEST(MessageFormat, PlaceholdersInOrder) {
    struct {
        const char* format;
        std::vector<QVariant> args;
        const char* expected;
    } cases[] = {
        {"%d fichiers\r\n%d erreurs", {3, 0}, "3 fichiers\r\n0 erreurs"},
        {"Le fichier %s", {QStringLiteral("a.jpg")}, "Le fichier a.jpg"},
        {"100%% sûr", {}, "100% sûr"},
        {"%s et %s", {QStringLiteral("un")}, "un et %s"},
        {"rien", {1, 2}, "rien"},
        {"fin %", {1}, "fin %"},
        {"%x %d", {7}, "%x 7"},
    };
    for (const auto& c : cases) {
        QString out;
        switch (c.args.size()) {
        case 0:
            out = formatMessage(QString::fromUtf8(c.format), {});
            break;
        case 1:
            out = formatMessage(QString::fromUtf8(c.format), {c.args[0]});
            break;
        default:
            out = formatMessage(QString::fromUtf8(c.format), {c.args[0], c.args[1]});
            break;
        }
        EXPECT_EQ(out.toStdString(), c.expected) << c.format;
    }
}
