#include "ui/common/guards.h"

#include <QApplication>
#include <QWidget>
#include <exception>

#include "core/base/errors.h"
#include "ui/common/prompter.h"

namespace vorq {

bool runGuarded(QWidget *parent, const std::function<void()> &command) {
    QString text;
    try {
        command();
        return true;
    } catch (const Error &e) {
        text = e.message();
    } catch (const std::bad_alloc &) {
        text = QStringLiteral("メモリが不足しています。");
    } catch (const std::exception &e) {
        text = QString::fromLocal8Bit(e.what());
    } catch (...) {
        text = QStringLiteral("予期しないエラーが発生しました。");
    }
    prompter().error(parent, text);
    return false;
}

CursorGuard::CursorGuard() { QApplication::setOverrideCursor(Qt::WaitCursor); }
CursorGuard::~CursorGuard() { QApplication::restoreOverrideCursor(); }

FreezeGuard::FreezeGuard(QWidget *w) : m_widget(w), m_wasEnabled(w && w->updatesEnabled()) {
    if (m_widget) m_widget->setUpdatesEnabled(false);
}
FreezeGuard::~FreezeGuard() {
    if (m_widget && m_wasEnabled) m_widget->setUpdatesEnabled(true);
}

}  // namespace vorq
