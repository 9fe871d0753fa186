// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Helpers of the window tests: an application object over a temporary program
// folder with scripted message boxes, and a way to act inside a modal dialog.
#include "app/Application.h"
#include "platform/ui/MessageService.h"
#include "support/test_support.h"

#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class QWidget;

namespace varlime {
class TMainForm;
}

namespace varlime::test {

// Runs `action` on the next modal dialog that is shown (checked every few
// milliseconds for up to ten seconds); the action must close it.
void whenModal(std::function<void(QWidget*)> action);

struct AppFixture {
    AppFixture();
    ~AppFixture();
    TempDir programDir;
    ScriptedMessageService messages;
    std::unique_ptr<Application> app;
};

QString q(const std::string& s);

// The main window's grid as it stands: old and new name of each file row.
using Grid = std::vector<std::pair<std::string, std::string>>;
Grid grid(TMainForm& m);

// Lists `folder` in the main window the way a validated pick does.
void open(TMainForm& m, const TempDir& folder);

// Collects, while it lives, the faults a QAbstractItemModelTester in Warning mode finds
// (its messages of category "qt.modeltest"); other messages go on as before. Outside a
// QtTest run the tester's Fatal mode would abort the whole test program, so a test checks
// faults() instead and fails on its own.
class ModelTestFaults {
public:
    ModelTestFaults();
    ~ModelTestFaults();
    ModelTestFaults(const ModelTestFaults&) = delete;
    ModelTestFaults& operator=(const ModelTestFaults&) = delete;
    const QStringList& faults() const { return faults_; }

private:
    static void handle(QtMsgType type, const QMessageLogContext& context, const QString& text);
    QStringList faults_;
    QtMessageHandler previous_ = nullptr;
};

} // namespace varlime::test
