#pragma once
// Clean-ups bound to a scope around the forms' commands: errors shown in the
// error box instead of crossing the event loop, the hourglass, frozen
// drawing, and any other undo at scope exit.
#include <functional>

class QWidget;

namespace vorq {

// Runs a command; any exception is shown in the top-level error box and
// swallowed, so none crosses the event loop. Returns false on an error.
bool runGuarded(QWidget *parent, const std::function<void()> &command);

// Hourglass cursor for the guard's lifetime.
class CursorGuard {
public:
    CursorGuard();
    ~CursorGuard();
    CursorGuard(const CursorGuard &) = delete;
    CursorGuard &operator=(const CursorGuard &) = delete;
};

// Frozen drawing of a widget for the guard's lifetime.
class FreezeGuard {
public:
    explicit FreezeGuard(QWidget *w);
    ~FreezeGuard();
    FreezeGuard(const FreezeGuard &) = delete;
    FreezeGuard &operator=(const FreezeGuard &) = delete;

private:
    QWidget *m_widget;
    bool m_wasEnabled;
};

// Runs a clean-up at scope exit (disabled widgets, stopped timers...).
class ScopeExit {
public:
    explicit ScopeExit(std::function<void()> f) : m_f(std::move(f)) {}
    ~ScopeExit() {
        if (m_f) m_f();
    }
    ScopeExit(const ScopeExit &) = delete;
    ScopeExit &operator=(const ScopeExit &) = delete;

private:
    std::function<void()> m_f;
};

}  // namespace vorq
