#pragma once
// The main window's side of a shared data folder: its save merges with what
// other programs stored since the load (asking about keys both changed), a
// watcher brings their new charts, replaced charts and association changes
// into the open window, and a second window on the folder is told once.
#include <QElapsedTimer>
#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>
#include <memory>

#include "core/datafolder/datafolderlock.h"
#include "core/datafolder/folderwatch.h"

namespace vorq {

class MainWindow;

class DataFolderSync : public QObject {
    Q_OBJECT
public:
    explicit DataFolderSync(MainWindow *form);

    // A (re)load of the folder starts: changes are counted from here.
    void follow(const QByteArray &dataFolder);
    // After the start-up load: says once when another window has the folder.
    void sayIfShared();
    // The window's save of file.idx, under the write lock.
    void saveIndex();

private:
    void onChanged();
    void schedule();
    void reload();
    void apply(const FolderChanges &changes);
    void rewatch();
    bool inRange(int tag) const;

    MainWindow *m_form;
    QFileSystemWatcher m_watcher;
    QTimer m_timer;
    QElapsedTimer m_clock;
    ReloadPacer m_pacer;
    FolderSnapshot m_snapshot;
    QString m_folder;
    std::unique_ptr<PresenceLock> m_presence;
    bool m_told = false;
};

}  // namespace vorq
