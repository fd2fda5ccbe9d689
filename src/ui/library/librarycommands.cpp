#include "ui/library/librarycommands.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>

#include "ui/common/guards.h"
#include "ui/library/libraryreviewwindow.h"
#include "ui/library/wantedwindow.h"
#include "ui/mainwindow/mainwindow.h"
#include "ui/options/optionsdialog.h"

namespace vorq {

LibraryCommands::LibraryCommands(MainWindow *window) : QObject(window), m_main(window) {
    setObjectName(QStringLiteral("LibraryCommands"));
    auto add = [&](const QString &name, const QString &text, const QKeySequence &keys,
                   void (LibraryCommands::*slot)()) {
        auto *action = new QAction(text, window);
        action->setObjectName(name);
        action->setShortcut(keys);
        action->setShortcutContext(Qt::WindowShortcut);
        window->addAction(action);
        if (window->dateMenu) window->dateMenu->addAction(action);
        connect(action, &QAction::triggered, this, [this, slot] { (this->*slot)(); });
        return action;
    };
    if (window->dateMenu) window->dateMenu->addSeparator();
    reviewAction = add(QStringLiteral("LibraryReview"), QStringLiteral("ライブラリと照合(&L)..."),
                       QKeySequence(Qt::CTRL | Qt::Key_L), &LibraryCommands::showReview);
    wantedAction = add(QStringLiteral("WantedSongs"), QStringLiteral("未所有の曲と収集率..."),
                       QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_L), &LibraryCommands::showWanted);
}

void LibraryCommands::showReview() {
    runGuarded(m_main, [&] {
        if (!m_review) {
            m_review = new LibraryReviewWindow(m_main);
            // The music folder of the options is where a library usually is.
            if (m_main->options() && m_main->options()->musicFolderEdit)
                m_review->setFolder(m_main->options()->musicFolderEdit->text());
            // A new scan changes what the wanted list can say about left-out files.
            connect(m_review, &LibraryReviewWindow::scanned, this, [this] {
                if (m_wanted) m_wanted->scanChanged();
            });
        }
        m_review->show();
        m_review->raise();
        m_review->activateWindow();
    });
}

void LibraryCommands::showWanted() {
    runGuarded(m_main, [&] {
        if (!m_wanted) {
            m_wanted = new WantedWindow(m_main);
            m_wanted->setScanSource(
                [this]() -> const ScanResult * { return m_review ? m_review->lastScan() : nullptr; });
        }
        m_wanted->refresh();
        m_wanted->show();
        m_wanted->raise();
        m_wanted->activateWindow();
    });
}

}  // namespace vorq
