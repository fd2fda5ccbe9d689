#include "ui/mainwindow/datafoldersync.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QSet>

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

// The song a key's row shows, when its chart is loaded.
QString songText(const ChartStore &store, const QByteArray &key) {
    const int at = store.indexOfTag(key.left(8).toInt());
    if (key.size() != 11 || at < 0) return {};
    const int rank = key.mid(8).toInt();
    for (const ChartEntry &e : store.tabs.at(at).rows)
        if (e.rank.toInt() == rank)
            return QStringLiteral(" %1 / %2").arg(sjis::toUnicode(e.title), sjis::toUnicode(e.artist));
    return {};
}

QString fileText(const QByteArray &line) {
    if (line.isEmpty()) return QStringLiteral("(なし)");
    const AssociationEntry e = AssociationIndex::parseLine(line);
    QString text = sjis::toUnicode(e.file);
    if (!e.method.isEmpty() && e.method != "open")
        text += QStringLiteral(" (%1)").arg(sjis::toUnicode(e.method));
    return text;
}

bool keepMineAsked(MainWindow *form, const QList<IndexConflict> &conflicts) {
    QStringList listed;
    for (qsizetype i = 0; i < conflicts.size() && i < kListedKeys; ++i) {
        const IndexConflict &c = conflicts.at(i);
        listed << keyText(c.key) + songText(form->store(), c.key) +
                      QStringLiteral("\r\n    このウィンドウ: %1\r\n    他のプログラム: %2")
                          .arg(fileText(c.mine), fileText(c.theirs));
    }
    if (conflicts.size() > kListedKeys)
        listed << QStringLiteral("ほか %1 件").arg(conflicts.size() - kListedKeys);
    const QString text =
        QStringLiteral(
            "次の関連付けは、読み込んだ後に他のプログラムでも変更されています。\r\n\r\n%1\r\n\r\n"
            "このウィンドウでの変更を残しますか?\r\n"
            "「いいえ」では他のプログラムの変更を残します。")
            .arg(listed.join(QStringLiteral("\r\n")));
    return prompter().message(form, QMessageBox::Question, QStringLiteral("関連付けの競合"), text,
                              QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
}

// What happened to file.idx, in numbers.
QString lossText(const IndexLoss &loss) {
    switch (loss.kind) {
        case IndexLoss::Kind::Deleted:
            return QStringLiteral("file.idx が他のプログラムにより削除されました (%1 件 → 0 件)。")
                .arg(loss.linesHeld);
        case IndexLoss::Kind::Emptied:
            return QStringLiteral("file.idx が他のプログラムにより空にされました (%1 件 → %2 件)。")
                .arg(loss.linesHeld)
                .arg(loss.linesOnDisk);
        case IndexLoss::Kind::Shrunk: break;
    }
    return QStringLiteral("file.idx から関連付けが %1 件なくなっています (%2 件 → %3 件)。")
        .arg(loss.keysLost)
        .arg(loss.linesHeld)
        .arg(loss.linesOnDisk);
}

// Keep what the window holds (the default), take the disk, or nothing.
std::optional<bool> keepHeldAsked(MainWindow *form, const IndexLoss &loss) {
    const QString text =
        lossText(loss) + QStringLiteral(
                             "\r\n\r\nこのウィンドウが読み込んだ関連付けを残して保存しますか?\r\n\r\n"
                             "「はい」: 読み込んだ関連付けに、このウィンドウでの変更を加えて保存します。\r\n"
                             "「いいえ」: 今の file.idx に、このウィンドウでの変更だけを加えて保存します。"
                             "なくなった関連付けは表示からも消えます。\r\n"
                             "「キャンセル」: 保存しません。");
    const auto answer =
        prompter().message(form, QMessageBox::Warning, QStringLiteral("関連付けの確認"), text,
                           QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
    if (answer == QMessageBox::Yes) return true;
    if (answer == QMessageBox::No) return false;
    return std::nullopt;
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

bool DataFolderSync::saveIndex() {
    ChartStore &store = m_form->store();
    SaveAnswers answers;
    SaveOutcome outcome;
    ScopeExit shown([&] {
        for (int i = 0; i < m_form->tabCount(); ++i) m_form->refreshTable(i);
        m_form->selectionFeedback();
        if (!store.diskLost) showLoss(std::nullopt);
    });
    for (;;) {
        {
            const DataFolderLock lock(store.dataFolder);
            outcome = saveAssociations(store, answers);
        }
        if (outcome.status != SaveOutcome::Status::NeedsAnswer) break;
        // Questions wait for the user without the lock held; the save runs
        // again afterwards, on what the disk holds then.
        if (outcome.loss && !answers.keepHeld) {
            answers.keepHeld = keepHeldAsked(m_form, *outcome.loss);
            if (!answers.keepHeld) return false;
            continue;
        }
        answers.keepMine = keepMineAsked(m_form, outcome.conflicts);
        answers.conflictKeys.clear();
        for (const IndexConflict &c : outcome.conflicts) answers.conflictKeys.append(c.key);
    }
    m_snapshot = FolderSnapshot::take(m_folder);
    return true;
}

void DataFolderSync::showLoss(const std::optional<IndexLoss> &loss) {
    if (!loss) {
        m_form->statusPanels->setNotice({}, {});
        return;
    }
    // The numbers first: the panel may cut the rest, which the tooltip holds.
    m_form->statusPanels->setNotice(
        QStringLiteral("file.idx の関連付け %1 件 → %2 件。表示はそのまま、保存のときに確かめます。")
            .arg(loss->linesHeld)
            .arg(loss->linesOnDisk),
        lossText(*loss));
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
    reloadNow();
}

void DataFolderSync::reloadNow() {
    m_timer.stop();
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
    if (changes.index) {
        try {
            const AdoptResult adopted = adoptDiskIndex(store, readIndexFile(store.dataFolder));
            rows = adopted.rowsChanged > 0;
            showLoss(adopted.loss);
        } catch (const FileError &e) {
            // Said where it stays in sight, not in a box each second.
            m_form->statusPanels->setNotice(e.message(), e.message());
        }
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
            // Replaced: the new rows in place; their associations come from
            // the table and the journal, so unsaved changes stay.
            const int scratch = store.loadChartFile(int(store.tabs.size()), path);
            ChartTable fresh = std::move(store.tabs[scratch].rows);
            store.tabs.removeAt(scratch);
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
