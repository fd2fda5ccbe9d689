#pragma once
// The main window's library commands: Ctrl+L opens "ライブラリと照合",
// Ctrl+Shift+L the wanted list; both also in the date list's menu.
#include <QObject>

class QAction;

namespace vorq {

class MainWindow;

class LibraryReviewWindow;
class WantedWindow;

class LibraryCommands : public QObject {
    Q_OBJECT
public:
    explicit LibraryCommands(MainWindow *window);
    void showReview();
    void showWanted();
    LibraryReviewWindow *reviewWindow() const { return m_review; }
    WantedWindow *wantedWindow() const { return m_wanted; }
    QAction *reviewAction = nullptr;
    QAction *wantedAction = nullptr;

private:
    MainWindow *m_main;
    LibraryReviewWindow *m_review = nullptr;
    WantedWindow *m_wanted = nullptr;
};

}  // namespace vorq
