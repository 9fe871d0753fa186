#pragma once
// Helpers of the window tests: an application object over a temporary program
// folder with scripted message boxes, and a way to act inside a modal dialog.
#include "app/Application.h"
#include "platform/ui/MessageService.h"
#include "support/test_support.h"

#include <QString>
#include <functional>
#include <memory>

class QWidget;

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

} // namespace varlime::test
