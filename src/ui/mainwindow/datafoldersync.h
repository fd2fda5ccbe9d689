#pragma once
// The main window's side of a shared data folder: its save applies the
// user's changes to what the disk holds (asking when the disk lost
// associations, and about keys both changed), a watcher brings other
// programs' new charts, replaced charts and association changes into the
// open window, and a second window on the folder is told once.
#include <QElapsedTimer>
#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>
#include <memory>

#include "core/charts/indexmerge.h"
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
    // The window's save of file.idx, under the write lock. False when the
    // user cancelled a question (nothing written). Throws FileError.
    bool saveIndex();
    // Reads the folder again now and shows what other programs changed
    // (otherwise this runs paced, after the watcher's notices).
    void reloadNow();

private:
    void onChanged();
    void reload();
    void schedule();
    void showLoss(const std::optional<IndexLoss> &loss);
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
