#include "ui/mainwindow/datafoldersync.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QSet>

#include "core/charts/indexmerge.h"
#include "core/text/sjistext.h"
#include "ui/common/guards.h"
#include "ui/common/prompter.h"
#include "ui/mainwindow/mainwindow.h"

namespace vorq {

namespace {

// While the window is busy a due reload looks again this often.
constexpr int kBusyRetryMs = 250;
// The question lists at most this many keys.
constexpr int kListedKeys = 20;

QString keyText(const QByteArray &key) {
    const int tag = key.left(8).toInt();
    if (key.size() != 11 || tag < 10000000) return sjis::toUnicode(key);
    return QStringLiteral("%1 %2位").arg(sjis::toUnicode(dateLabelFromTag(tag))).arg(key.mid(8).toInt());
}

bool keepMineAsked(MainWindow *form, const QList<QByteArray> &keys) {
    QStringList listed;
    for (qsizetype i = 0; i < keys.size() && i < kListedKeys; ++i) listed << keyText(keys.at(i));
    if (keys.size() > kListedKeys) listed << QStringLiteral("ほか %1 件").arg(keys.size() - kListedKeys);
    const QString text =
        QStringLiteral(
            "次の関連付けは、読み込んだ後に他のプログラムでも変更されています。\r\n\r\n%1\r\n\r\n"
            "このウィンドウでの変更を残しますか?\r\n"
            "「いいえ」では他のプログラムの変更を残します。")
            .arg(listed.join(QStringLiteral("\r\n")));
    return prompter().message(form, QMessageBox::Question, QStringLiteral("関連付けの競合"), text,
                              QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
}

}  // namespace

DataFolderSync::DataFolderSync(MainWindow *form) : QObject(form), m_form(form) {
    m_clock.start();
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, [this] { reload(); });
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, [this] { onChanged(); });
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, [this] { onChanged(); });
}

void DataFolderSync::follow(const QByteArray &dataFolder) {
    const QString folder = sjis::path(dataFolder);
    if (folder != m_folder) {
        if (!m_watcher.directories().isEmpty()) m_watcher.removePaths(m_watcher.directories());
        if (!m_watcher.files().isEmpty()) m_watcher.removePaths(m_watcher.files());
        m_folder = folder;
        if (!m_folder.isEmpty() && QFileInfo(m_folder).isDir()) m_watcher.addPath(m_folder);
        m_presence.reset();
        m_told = false;
    }
    m_snapshot = FolderSnapshot::take(m_folder);
    m_pacer.ran(m_clock.elapsed());
    rewatch();
}

void DataFolderSync::rewatch() {
    // Files written in place (an editor) say so only to a watch of their
    // own; a rename drops that watch, so it is renewed after each reload.
    for (const char *name : {"file.idx", "notfound.txt"}) {
        const QString path = m_folder + QLatin1String(name);
        if (QFileInfo::exists(path) && !m_watcher.files().contains(path)) m_watcher.addPath(path);
    }
}

void DataFolderSync::sayIfShared() {
    if (m_folder.isEmpty() || m_presence) return;
    m_presence = std::make_unique<PresenceLock>(sjis::fromUnicode(m_folder));
    if (m_presence->alone() || m_told) return;
    m_told = true;
    prompter().message(m_form, QMessageBox::Information, QStringLiteral("vorqview"),
                       QStringLiteral("このデータフォルダは他の vorqview でも開かれています。\r\n%1\r\n\r\n"
                                      "保存のときは互いの変更をまとめ、両方で変更した関連付けは確認します。")
                           .arg(QDir::toNativeSeparators(m_folder)),
                       QMessageBox::Ok, QMessageBox::Ok);
}

void DataFolderSync::saveIndex() {
    ChartStore &store = m_form->store();
    std::optional<bool> answer;
    QList<QByteArray> asked, pending;
    for (;;) {
        bool written = false;
        {
            const DataFolderLock lock(store.dataFolder);
            written = saveIndexMerged(store, [&](const QList<QByteArray> &keys) -> std::optional<bool> {
                const QSet<QByteArray> known(asked.begin(), asked.end());
                for (const QByteArray &k : keys)
                    if (!known.contains(k)) {
                        pending = keys;
                        return std::nullopt;
                    }
                return answer;
            });
        }
        if (written) break;
        // The question waits for the user without the lock held; the merge
        // runs again afterwards, on what the disk holds then.
        answer = keepMineAsked(m_form, pending);
        asked = pending;
    }
    for (int i = 0; i < m_form->tabCount(); ++i) m_form->refreshTable(i);
    m_form->selectionFeedback();
    m_snapshot = FolderSnapshot::take(m_folder);
}

void DataFolderSync::onChanged() {
    m_pacer.changed(m_clock.elapsed());
    schedule();
}

void DataFolderSync::schedule() {
    const bool busy = m_form->operationRunning();
    const qint64 delay = m_pacer.delayMs(m_clock.elapsed(), busy);
    if (delay < 0 && !(busy && m_pacer.pending())) return;
    if (!m_timer.isActive()) m_timer.start(int(delay < 0 ? kBusyRetryMs : delay));
}

void DataFolderSync::reload() {
    if (m_form->operationRunning() || m_pacer.delayMs(m_clock.elapsed(), false) > 0) return schedule();
    m_pacer.ran(m_clock.elapsed());
    const FolderSnapshot now = FolderSnapshot::take(m_folder);
    const FolderChanges changes = diffSnapshots(m_snapshot, now);
    m_snapshot = now;
    rewatch();
    if (changes.any()) runGuarded(m_form, [&] { apply(changes); });
}

bool DataFolderSync::inRange(int tag) const {
    const OptionsDialog *o = m_form->options();
    if (!o) return false;
    const auto start = dateFromLabel(sjis::fromUnicode(o->dateStartBox->currentText()));
    const auto end = dateFromLabel(sjis::fromUnicode(o->dateEndBox->currentText()));
    return start && end && tag >= dateTag(*start) && tag <= dateTag(*end);
}

void DataFolderSync::apply(const FolderChanges &changes) {
    ChartStore &store = m_form->store();
    bool rows = false;
    // Associations first: charts added below take the new ones.
    const QString index = m_folder + QStringLiteral("file.idx");
    if (changes.index && QFileInfo::exists(index)) {
        const QByteArray data = readWholeFile(index, 256 * 1024 * 1024);
        QList<QByteArray> lines;
        for (const QByteArray &v : lineViews(data)) lines.append(QByteArray(v.constData(), v.size()));
        rows = adoptIndexFromDisk(store, lines) > 0;
    }
    QHash<int, QString> paths;
    for (const QString &p : store.listChartFiles()) paths.insert(QFileInfo(p).fileName().left(8).toInt(), p);
    bool added = false;
    for (const QList<int> *tags : {&changes.newCharts, &changes.replacedCharts}) {
        for (const int tag : *tags) {
            const QString path = paths.value(tag);
            if (path.isEmpty()) continue;
            const int at = store.indexOfTag(tag);
            if (at < 0) {
                if (!inRange(tag)) continue;
                m_form->addChartQuietly(path);
                added = true;
                continue;
            }
            // Replaced: the new rows in place, with their associations; a
            // row the window changed and did not save keeps its change.
            QHash<QByteArray, std::pair<QByteArray, QByteArray>> unsaved;
            for (const ChartEntry &e : store.tabs.at(at).rows) {
                const AssociationEntry *a = store.associations.lookup(associationKey(tag, e.rank));
                if (a ? (a->file != e.file || a->method != e.method) : !e.file.isEmpty())
                    unsaved.insert(e.rank, {e.file, e.method});
            }
            const int scratch = store.loadChartFile(int(store.tabs.size()), path);
            ChartTable fresh = std::move(store.tabs[scratch].rows);
            store.tabs.removeAt(scratch);
            for (ChartEntry &e : fresh)
                if (const auto it = unsaved.constFind(e.rank); it != unsaved.cend())
                    std::tie(e.file, e.method) = *it;
            if (fresh != store.tabs.at(at).rows) {
                store.tabs[at].rows = std::move(fresh);
                m_form->refreshTable(at);
            }
        }
    }
    if (rows)
        for (int i = 0; i < m_form->tabCount(); ++i) m_form->refreshTable(i);
    if (added || changes.notFound) m_form->buildDateList();
    if (rows || added) m_form->selectionFeedback();
}

}  // namespace vorq
