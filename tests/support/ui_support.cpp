// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/ui_support.h"

#include "window/Main.h"

#include <cstdlib>

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <memory>

namespace varlime::test {

void whenModal(std::function<void(QWidget*)> action) {
    auto* timer = new QTimer;
    auto tries = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, tries, action] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && modal->isVisible()) {
            timer->stop();
            timer->deleteLater();
            action(modal);
        } else if (++*tries > 2000) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start(5);
}

namespace {
// The one collector alive (message handlers are process-wide).
ModelTestFaults* gFaults = nullptr;
} // namespace

void ModelTestFaults::handle(QtMsgType type, const QMessageLogContext& context,
                             const QString& text) {
    if (context.category && qstrcmp(context.category, "qt.modeltest") == 0) {
        gFaults->faults_.append(text);
        return;
    }
    if (gFaults->previous_)
        gFaults->previous_(type, context, text);
}

ModelTestFaults::ModelTestFaults() {
    gFaults = this;
    previous_ = qInstallMessageHandler(&ModelTestFaults::handle);
}

ModelTestFaults::~ModelTestFaults() {
    qInstallMessageHandler(previous_);
    gFaults = nullptr;
}

namespace {
// Each application object journals its runs in a state folder of its own, so that no
// test sees another one's runs.
std::unique_ptr<Application> nouvelleApplication(const TempDir& programDir,
                                                 MessageService& messages) {
    ::setenv("XDG_STATE_HOME", (programDir.path() + "state").c_str(), 1);
    return std::make_unique<Application>(programDir.path(), messages);
}
} // namespace

AppFixture::AppFixture() : app(nouvelleApplication(programDir, messages)) {}

AppFixture::~AppFixture() {
    app.reset();
}

QString q(const std::string& s) {
    return QString::fromStdString(s);
}

void open(TMainForm& m, const TempDir& folder) {
    m.Repertoire_courant = folder.path();
    m.Validation_repertoire();
}

Grid grid(TMainForm& m) {
    Grid out;
    for (int r = 1; r < m.nombreLignes(); ++r)
        out.emplace_back(m.cellule(0, r).toStdString(), m.cellule(1, r).toStdString());
    return out;
}

} // namespace varlime::test
