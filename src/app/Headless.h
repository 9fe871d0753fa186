#pragma once
// Runs without a window: the same windows are created (never shown), the command's
// options set their controls as a user would, and the result is printed.
#include <QStringList>
#include <QTextStream>
#include <string>

namespace varlime {

// True when the arguments name a command run without a window.
bool estCommandeSansFenetre(const QStringList& args);

// Runs the command; returns the process exit status. `programFolder` holds the
// settings and language files.
int executerSansFenetre(const QStringList& args, const std::string& programFolder, QTextStream& out,
                        QTextStream& err);

} // namespace varlime
