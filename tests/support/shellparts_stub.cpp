// Stand-ins for the desktop seams while the real ones are not in this build:
// only what the forms under test call. Used by tests only.
#include <QApplication>
#include <QCursor>

#include "fakeprompter.h"

namespace vorq {

namespace {
Prompter *g_prompter = nullptr;
}

Prompter &prompter() {
    static FakePrompter fallback;
    return g_prompter ? *g_prompter : fallback;
}

void setPrompter(Prompter *p) { g_prompter = p; }

bool runGuarded(QWidget *parent, const std::function<void()> &command) {
    try {
        command();
        return true;
    } catch (const std::exception &e) {
        prompter().error(parent, QString::fromUtf8(e.what()));
        return false;
    }
}

CursorGuard::CursorGuard() { QApplication::setOverrideCursor(Qt::WaitCursor); }
CursorGuard::~CursorGuard() { QApplication::restoreOverrideCursor(); }

}  // namespace vorq
