// The randomized model test of file.idx. Random sequences of what the window
// (set, clear, save, a reload through Option, the live view), vorq (associate,
// scan --apply, a writer killed at a random moment, cdr into a folder of
// links) and other programs (charts and file.idx emptied, cut short,
// deleted, older copies put back) do to one data folder; after every step a
// model of what each key should hold is checked against the disk and the
// window, every row against the literal rules of reading file.idx, and after
// every write that the lines read stay in order and the replaced file.idx is
// kept. VORQ_MODEL_SEED replays a seed, VORQ_MODEL_STEPS runs longer.
#include <gtest/gtest.h>

#include <signal.h>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QProcess>
#include <QPushButton>
#include <QRandomGenerator>
#include <QThread>
#include <numeric>

#include "core/charts/indexmerge.h"
#include "fakeshell.h"
#include "indexmerge_literal.h"
#include "mainwindowfixture.h"
#include "ui/associations/associationcommands.h"
#include "ui/mainwindow/datafoldersync.h"
#include "vorqrun.h"

using namespace vorq;

namespace {

using KeyMap = QMap<QByteArray, QByteArray>;  // key -> file of its first line
constexpr int kDates = 6, kRows = 8;
const QDate kFirst(1995, 4, 8);

int tagOf(int d) { return dateTag(kFirst.addDays(7 * d)); }
QByteArray keyOf(int d, int rank) {
    return QByteArray::number(tagOf(d)) + QByteArray::number(rank).rightJustified(3, '0');
}
QByteArray chartLine(int d, int r) {
    const QByteArray song = QByteArray::number((3 * d + r) % 10);
    return QByteArray::number(r) + "\tSong" + song + "\tArtist" + song;
}

// clang-format off
enum class Kind { WindowSet, WindowClear, WindowSave, VorqSet, VorqClear, VorqScan, VorqKilled, ChartEmpty, ChartCut,
                  ChartRestore, IndexDelete, IndexEmpty, IndexCut, IndexOlder, OptionReload, LiveView, CdrLinks };
// Each kind's name in a list of steps, and how often it comes.
const struct { const char *name; int weight; } kKinds[] = {
    {"window-set", 16}, {"window-clear", 6}, {"window-save", 10}, {"vorq-set", 10}, {"vorq-clear", 4},
    {"vorq-scan", 3}, {"vorq-killed", 3}, {"chart-empty", 2}, {"chart-cut", 2}, {"chart-restore", 3},
    {"index-delete", 1}, {"index-empty", 1}, {"index-cut", 3}, {"index-older", 3}, {"option-reload", 5},
    {"live-view", 12}, {"cdr-links", 2}};
// clang-format on

struct Step {
    Kind kind = Kind::LiveView;
    int date = 0, rank = 1, file = 0, choice = 0, amount = 0;
    QList<int> answers;  // 0 yes, 1 no, 2 cancel, for the questions in turn
    // "window-set 2 4 13 0 38 1 2 1": kind, date, rank, file, choice, amount, answers.
    QString text() const {
        QStringList t{QLatin1String(kKinds[int(kind)].name)};
        for (int n : QList<int>{date, rank, file, choice, amount} + answers) t << QString::number(n);
        return t.join(QLatin1Char(' '));
    }
    static std::optional<Step> parse(const QString &text) {
        const QStringList t = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        const auto kind = std::find_if(std::begin(kKinds), std::end(kKinds),
                                       [&](const auto &k) { return t.value(0) == QLatin1String(k.name); });
        if (t.size() < 6 || kind == std::end(kKinds)) return std::nullopt;
        const auto n = [&t](int i) { return t[i].toInt(); };
        Step s{Kind(kind - std::begin(kKinds)), n(1), n(2), n(3), n(4), n(5), {}};
        for (int i = 6; i < t.size(); ++i) s.answers << t[i].toInt();
        return s;
    }
};

Step randomStep(QRandomGenerator &r) {
    const auto n = [&r](int below) { return int(r.bounded(below)); };
    int pick = n(
        std::accumulate(std::begin(kKinds), std::end(kKinds), 0, [](int a, auto k) { return a + k.weight; }));
    int k = 0;
    while (pick >= kKinds[k].weight) pick -= kKinds[k++].weight;
    // Braces draw in order: a seed gives the same steps everywhere.
    return {Kind(k), n(kDates), 1 + n(kRows), n(40), n(3), n(100), {n(3), n(3), n(3)}};
}

struct Disk {
    bool exists = false, cut = false;
    QByteArray data;
    QList<QByteArray> lines;
    KeyMap keys;
};

Disk parseDisk(const QByteArray &data, bool exists) {
    const bool cut = !data.isEmpty() && !data.endsWith('\n') && !data.endsWith('\r');
    Disk d{exists, cut, data, sjis::splitLines(data), {}};
    for (const QByteArray &l : d.lines) {
        const QByteArray key = indexLineKey(l);
        if (!key.isEmpty() && !d.keys.contains(key)) d.keys.insert(key, AssociationIndex::parseLine(l).file);
    }
    return d;
}

// Answers from the step's list, restricted to the buttons offered; records
// each answer beside its question.
class ModelPrompter : public test::FakePrompter {
public:
    QList<int> next;
    QList<QMessageBox::StandardButton> given;
    QMessageBox::StandardButton message(QWidget *w, QMessageBox::Icon icon, const QString &caption,
                                        const QString &text, QMessageBox::StandardButtons buttons,
                                        QMessageBox::StandardButton def) override {
        FakePrompter::message(w, icon, caption, text, buttons, def);
        QList<QMessageBox::StandardButton> offered;
        for (auto b : {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel, QMessageBox::Ok})
            if (buttons & b) offered << b;
        given << (next.isEmpty() ? def : offered.value(next.takeFirst() % offered.size(), def));
        return given.last();
    }
    // The first question of this caption: its answer (-1: not asked) and text.
    int answerTo(const char *caption) const {
        const qsizetype i = first(caption);
        return i < 0 ? -1 : int(given.value(i));
    }
    QString textOf(const char *caption) const { return asked.value(first(caption)).text; }
    qsizetype first(const char *caption) const {
        for (qsizetype i = 0; i < asked.size(); ++i)
            if (asked[i].caption == QString::fromUtf8(caption)) return i;
        return -1;
    }
    void reset(const QList<int> &answers) {
        next = answers;
        given.clear();
        asked.clear();
    }
};

class ModelQuestion : public SameSongQuestion {
public:
    int choice = 0;  // 0 this row only, 1 all, 2 nothing
    bool asked = false;
    QList<RowRef> chosen;
    Answer ask(QWidget *, const QList<RowRef> &rows, const RowRef &self, QList<RowRef> *out) override {
        asked = true;
        *out = choice == 1 ? rows : choice == 0 ? QList<RowRef>{self} : QList<RowRef>{};
        chosen = *out;
        return choice == 1 ? Answer::All : choice == 0 ? Answer::Selected : Answer::Nothing;
    }
};

// One run over a fresh data folder and window.
class ModelRun {
public:
    ModelRun() {
        useScratchFolders(home, prog, QDate(1995, 5, 15));
        data = scratchDataFolder();
        for (int d = 0; d < kDates; ++d) {
            QList<QByteArray> lines;
            for (int r = 1; r <= kRows; ++r) lines << chartLine(d, r);
            charts << sjis::joinLines(lines);
            sjis::saveFile(chartPath(d), charts.last());
        }
        QList<QByteArray> idx;
        for (int d = 0; d < kDates; ++d)
            for (int r = 1; r <= 3; ++r)
                idx << keyOf(d, r) + "\t/m/f" + QByteArray::number(d * 3 + r) + ".mp3\t";
        idx[3] += "print";
        idx[4].chop(1);  // without its last TAB
        // Lines no row ever shows: each must survive every save.
        idx << "hand written note" << keyOf(0, 1) + "\t/m/second.mp3\t"
            << "19950408150\t/m/rank150.mp3\t"
            << "19950410001\t/m/not-broadcast.mp3\t"
            << "19950527001\t/m/not-loaded.mp3\t";
        sjis::saveLines(data + QStringLiteral("file.idx"), idx);
        const Disk disk = readDisk();
        U = disk.keys;
        F = {"hand written note", keyOf(0, 1) + "\t/m/second.mp3\t"};
        S = disk;
        older << disk.lines;
        for (const char *name : {"Artist1-Song1.mp3", "Artist5-Song5.mp3", "Artist8-Song8.mp3"})
            sjis::saveFile(music.filePath(QLatin1String(name)), {});
        sjis::saveFile(prog.filePath(QStringLiteral("live.ini")), "[Restrictions]\r\nWriteMode=0\r\n");
        setPrompter(&prompter);
        setShell(&shell);
        startMainWindow(form, options);
        form->associationCommands->setQuestion(&question);
        readAfresh(disk);
    }
    ~ModelRun() {
        form.reset();
        setPrompter(nullptr);
        setShell(nullptr);
        env::setToday({});
        env::setProgramFolder({});
    }

    // The index of the first step after which the model does not hold, or -1.
    int run(const QList<Step> &steps, const QDeadlineTimer &deadline, QString *why, int *ran) {
        for (int i = 0; i < steps.size() && !deadline.hasExpired(); ++i) {
            *ran = i + 1;
            prompter.reset(steps[i].answers);
            m_why.clear();
            const Disk before = readDisk();
            if (!apply(steps[i], before) || !check() || !keptReplaced(steps[i].kind, before)) {
                *why = m_why;
                return i;
            }
        }
        return -1;
    }

private:
    QTemporaryDir home, prog, music, stage;
    QString data;
    QList<QByteArray> charts;
    std::unique_ptr<MainWindow> form;
    OptionsDialog *options = nullptr;
    ModelPrompter prompter;
    test::FakeShell shell;
    ModelQuestion question;
    // The model: what each key should hold (saved), the window's unsaved
    // changes ("" removes), lines no key names that must stay and those the
    // disk lost, the disk as the window last read it, and what the window
    // holds by the rules of reading file.idx (what each row shows; the keys
    // it holds that the disk lost).
    KeyMap U, P;
    QSet<QByteArray> F, FR;
    Disk S;
    test::LiteralIndex view;
    QList<QList<QByteArray>> older;
    QString m_why, newestKept;

    QString chartPath(int d) const { return data + QString::number(tagOf(d)) + QStringLiteral(".txt"); }
    QString idxPath() const { return data + QStringLiteral("file.idx"); }
    Disk readDisk() const {
        QFile f(idxPath());
        return f.open(QIODevice::ReadOnly) ? parseDisk(f.readAll(), true) : parseDisk({}, false);
    }
    // Why the model does not hold, and of what (a key, a line).
    bool fail(const char *why, const QByteArray &what = {}) {
        if (qEnvironmentVariableIsSet("VORQ_MODEL_DEBUG"))  // the disk and the model as they are
            std::printf("%s\n%s\n", sjis::readFile(idxPath()).constData(), U.values().join(' ').constData());
        m_why = QString::fromUtf8(why) +
                (what.isEmpty() ? QString() : QStringLiteral(": ") + QString::fromUtf8(what));
        return false;
    }
    const ChartEntry *rowOf(const QByteArray &key) const {
        const ChartStore &s = form->store();
        const int t = s.indexOfTag(key.left(8).toInt());
        if (t < 0) return nullptr;
        for (const ChartEntry &e : s.tabs.at(t).rows)
            if (e.rank.toInt() == key.mid(8).toInt()) return &e;
        return nullptr;
    }
    // What the window shows or holds for a key; nullopt: nothing.
    std::optional<QByteArray> windowFile(const QByteArray &key) const {
        if (const ChartEntry *e = rowOf(key)) return e->file;
        if (const JournalEntry *j = form->store().journal.find(key))
            return j->removed ? QByteArray() : AssociationIndex::parseLine(j->line).file;
        if (const AssociationEntry *a = form->store().associations.lookup(key)) return a->file;
        return std::nullopt;
    }
    void dropLinesOf(const QByteArray &key) {
        F.removeIf([&](const QByteArray &f) { return indexLineKey(f) == key; });
    }
    void take(const QByteArray &key, const QByteArray &file) {
        if (file.isEmpty()) {
            U.remove(key);
            dropLinesOf(key);
        } else {
            U[key] = file;
        }
    }

    // The window read file.idx (n): another program's changes are taken, a
    // loss of more than a few keys is kept out (what the window had read
    // stays restorable), keys the window never saw go with the disk.
    void windowRead(Disk n) {
        const bool lost = view.lost;
        view.adopt(n.lines, n.exists, n.cut);
        int removed = 0;
        for (auto it = S.keys.cbegin(); it != S.keys.cend(); ++it)
            removed += n.keys.contains(it.key()) ? 0 : 1;
        const bool damage = test::lossByRules(S.keys.size(), removed, n.exists);
        if ((damage || lost) && n.cut)
            n = parseDisk(sjis::joinLines(n.lines.first(n.lines.size() - 1)), true);
        for (auto it = n.keys.cbegin(); it != n.keys.cend(); ++it)
            if (!S.keys.contains(it.key()) || S.keys.value(it.key()) != *it) U[it.key()] = *it;
        for (const QByteArray &k : U.keys()) {  // what the disk lost stays while the window holds it
            if (n.keys.contains(k)) continue;
            if (view.held.contains(k))
                U[k] = view.fileOf(k);
            else
                U.remove(k);
        }
        for (const QByteArray &f : QSet<QByteArray>(F)) {
            if (n.lines.contains(f)) continue;
            if (damage && S.lines.contains(f))
                FR.insert(f);
            else if (!FR.contains(f))
                F.remove(f);
        }
        S = n;
    }

    // The window's save ran (its read first): the model follows the answers.
    bool saved(const Disk &before, bool dirty) {
        windowRead(before);
        if ((!dirty && P.isEmpty() && prompter.answerTo("関連付けの確認") < 0) ||
            !prompter.errors().isEmpty())
            return true;
        const int loss = prompter.answerTo("関連付けの確認");
        if (loss == QMessageBox::Cancel) return true;
        if (loss == QMessageBox::No) {  // the user let the loss go
            for (const QByteArray &k : view.held.keys())
                if (!view.disk.contains(k)) U.remove(k);
            for (const QByteArray &f : FR) F.remove(f);
        }
        const Disk after = readDisk();
        const bool theirs = prompter.answerTo("関連付けの競合") == QMessageBox::No;
        for (auto it = P.cbegin(); it != P.cend(); ++it) {
            const QByteArray got = after.keys.value(it.key());
            if (got == *it) {
                take(it.key(), *it);
            } else if (theirs && got == U.value(it.key())) {
                // The other program's line kept: the question named both files.
                const QString text = prompter.textOf("関連付けの競合");
                if ((!it->isEmpty() && !text.contains(sjis::toUnicode(*it))) ||
                    (!got.isEmpty() && !text.contains(sjis::toUnicode(got))))
                    return fail("the conflict question does not name both files of", it.key());
                take(it.key(), got);
            } else {
                return fail("the save did not write the user's change of", it.key());
            }
        }
        // Every other line read is written back as it was, in order (a line
        // cut short may go while the disk lost keys).
        auto at = after.lines.cbegin();
        for (const QByteArray &line : before.lines.first(before.lines.size() - (before.cut ? 1 : 0))) {
            if (P.contains(indexLineKey(line))) continue;
            at = std::find(at, after.lines.cend(), line);
            if (at == after.lines.cend()) return fail("the save lost or moved", line);
            ++at;
        }
        P.clear();
        FR.clear();
        readAfresh(after);
        for (auto it = U.cbegin(); it != U.cend(); ++it)
            if (after.keys.value(it.key()) != *it) return fail("after a save not on disk", it.key());
        for (const QByteArray &f : F)
            if (!after.lines.contains(f)) return fail("after a save gone", f);
        return true;
    }

    // The window holds the disk as it is (a save or a load).
    void readAfresh(const Disk &d) {
        S = d;
        view = {};
        view.adopt(d.lines, d.exists, false);
    }

    QStringList vorqArgs(const QString &command, const QStringList &more) const {
        return QStringList{command, QStringLiteral("--data"), data, QStringLiteral("--today"),
                           QStringLiteral("1995-05-15")} +
               more;
    }
    VorqRun vorq(const QString &command, const QStringList &more) {
        return runVorqAt(vorqCopy(), vorqArgs(command, more));
    }
    QStringList target(const Step &s) const {
        return {QStringLiteral("--date"), kFirst.addDays(7 * s.date).toString(Qt::ISODate),
                QStringLiteral("--rank"), QString::number(s.rank)};
    }
    QByteArray fileOf(const Step &s) const { return "/m/f" + QByteArray::number(s.file) + ".mp3"; }

    bool apply(const Step &s, const Disk &before) {
        // Earlier versions, for a sync tool to put back.
        if (before.exists && before.lines != older.last()) older << before.lines;
        if (older.size() > 40) older.removeAt(1);
        switch (s.kind) {
            case Kind::WindowSet:
            case Kind::WindowClear: {
                const QByteArray key = keyOf(s.date, s.rank);
                const int tab = form->store().indexOfTag(tagOf(s.date));
                const ChartEntry *e = rowOf(key);
                if (!e) return true;
                const int row = int(e - form->store().tabs.at(tab).rows.constData());
                question.choice = s.choice;
                question.asked = false;
                const QByteArray file = s.kind == Kind::WindowSet ? fileOf(s) : QByteArray();
                form->associationCommands->assign({tab, row}, file);
                const QList<RowRef> rows = question.asked ? question.chosen : QList<RowRef>{{tab, row}};
                for (const RowRef &r : rows)
                    P[associationKey(form->store().tabs.at(r.tab).tag,
                                     form->store().tabs.at(r.tab).rows.at(r.row).rank)] = file;
                return true;
            }
            case Kind::WindowSave: {
                const bool dirty = form->associationsDirty();
                form->onStatusBarDoubleClicked();
                if (!dirty) return true;  // nothing read, nothing written
                return saved(before, true);
            }
            case Kind::OptionReload: {
                const bool dirty = form->associationsDirty();
                const int start = s.amount % kDates, end = start + s.choice * (kDates - 1 - start) / 2;
                options->dateStartBox->setCurrentIndex((start + 1) % kDates);
                options->dateStartBox->setCurrentIndex(start);
                options->dateEndBox->setCurrentIndex(end);
                options->applyButton->click();
                const int ask = prompter.answerTo("保存の確認");
                if (ask == QMessageBox::Cancel) return true;
                if (ask == QMessageBox::No) P.clear();  // let go; file.idx is still read again
                if (!saved(before, ask == QMessageBox::No ? false : dirty)) {
                    return false;
                }
                if (!prompter.errors().isEmpty() ||
                    prompter.answerTo("関連付けの確認") == QMessageBox::Cancel)
                    return true;
                // Loaded again: the window holds file.idx as it is now.
                const Disk now = readDisk();
                for (auto it = U.cbegin(); it != U.cend(); ++it)
                    if (!P.contains(it.key()) && now.keys.value(it.key()) != *it)
                        return fail("the reload dropped", it.key());
                readAfresh(now);
                FR.clear();
                return true;
            }
            case Kind::LiveView:
                form->dataFolderSync()->reloadNow();
                windowRead(before);
                return true;
            case Kind::VorqSet:
            case Kind::VorqClear: {
                const bool set = s.kind == Kind::VorqSet;
                QStringList more =
                    target(s) + (set ? QStringList{QStringLiteral("--file"), QString::fromLatin1(fileOf(s))}
                                     : QStringList{QStringLiteral("--clear")});
                if (set && s.choice == 1) more << QStringLiteral("--same-song") << QStringLiteral("all");
                const VorqRun r = vorq(QStringLiteral("associate"), more);
                if (r.status != 0) return true;  // no such row now: nothing done
                take(keyOf(s.date, s.rank), set ? fileOf(s) : QByteArray());
                for (const QByteArray &line : r.out.split('\n')) {
                    const QList<QByteArray> f = line.split('\t');
                    if (f.size() < 6) continue;
                    const auto date = dateFromLabel(sjis::fromUnicode(QString::fromUtf8(f[0])));
                    if (date) take(QByteArray::number(dateTag(*date)) + f[1].rightJustified(3, '0'), f[5]);
                }
                return true;
            }
            case Kind::VorqScan: {
                const VorqRun r = vorq(QStringLiteral("scan"),
                                       {QStringLiteral("--folder"), music.path(), QStringLiteral("--apply"),
                                        QStringLiteral("--cache"), home.filePath(QStringLiteral("cache"))});
                const Disk after = readDisk();
                if (r.status != 0) return fail("vorq scan failed", r.err);
                for (auto it = before.keys.cbegin(); it != before.keys.cend(); ++it)
                    if (!after.keys.contains(it.key())) return fail("vorq scan removed", it.key());
                for (auto it = after.keys.cbegin(); it != after.keys.cend(); ++it)
                    if (before.keys.value(it.key()) != *it) U[it.key()] = *it;
                return true;
            }
            case Kind::VorqKilled: {
                QProcess p;
                p.setProcessEnvironment(scratchEnvironment());
                p.start(vorqCopy(),
                        vorqArgs(QStringLiteral("associate"),
                                 QStringList{QStringLiteral("--file"), QString::fromLatin1(fileOf(s))} +
                                     target(s)));
                p.waitForStarted();
                QThread::usleep(unsigned(s.amount) * 300);
                ::kill(pid_t(p.processId()), SIGKILL);
                p.waitForFinished();
                if (readDisk().keys.value(keyOf(s.date, s.rank)) == fileOf(s))
                    U[keyOf(s.date, s.rank)] = fileOf(s);
                return true;
            }
            case Kind::ChartEmpty: sjis::saveFile(chartPath(s.date), {}); return true;
            case Kind::ChartCut:  // whole lines: a line cut short stops every load of the chart
                sjis::saveLines(chartPath(s.date), sjis::splitLines(charts[s.date]).first(s.amount % kRows));
                return true;
            case Kind::ChartRestore: sjis::saveFile(chartPath(s.date), charts[s.date]); return true;
            case Kind::IndexDelete: QFile::remove(idxPath()); return damaged(before);
            case Kind::IndexEmpty: sjis::saveFile(idxPath(), {}); return damaged(before);
            case Kind::IndexCut: {
                QFile f(idxPath());
                if (f.open(QIODevice::ReadWrite)) f.resize(f.size() * (s.amount % 60) / 100);
                return damaged(before);
            }
            case Kind::IndexOlder:
                sjis::saveLines(idxPath(), older.at(s.amount % older.size()));
                return damaged(before);
            case Kind::CdrLinks: {
                QDir(stage.path()).removeRecursively();
                QDir().mkpath(stage.path());
                QFile::link(idxPath(), stage.filePath(QStringLiteral("file.idx")));
                QFile::link(prog.filePath(QStringLiteral("live.ini")),
                            stage.filePath(QStringLiteral("vorqview.ini")));
                sjis::saveFile(prog.filePath(QStringLiteral("vorqview")), "program");
                vorq(QStringLiteral("cdr"),
                     {QStringLiteral("--root"), stage.path(), QStringLiteral("--program"),
                      prog.filePath(QStringLiteral("vorqview")), QStringLiteral("--overwrite")});
                if (sjis::readFile(prog.filePath(QStringLiteral("live.ini"))) !=
                    "[Restrictions]\r\nWriteMode=0\r\n")
                    return fail("the staging wrote through a link into the live settings");
                return true;
            }
        }
        return true;
    }

    // Another program changed file.idx behind everyone's back: what it still
    // holds is its own; what the window cannot give back is gone.
    bool damaged(const Disk &) {
        const Disk n = readDisk();
        for (const QByteArray &k : U.keys()) {
            if (n.keys.contains(k))
                U[k] = n.keys.value(k);      // taken as the disk's, whoever wrote it
            else if (view.held.contains(k))  // what the window read, or holds of what the disk lost
                U[k] = view.fileOf(k);
            else
                U.remove(k);
        }
        for (const QByteArray &f : QSet<QByteArray>(F))
            if (!n.lines.contains(f) && !S.lines.contains(f) && !FR.contains(f)) F.remove(f);
        return true;
    }

    // What a writer of ours replaced is kept, byte for byte, and nothing
    // else is (an empty file holds nothing to have back; a killed writer may
    // have kept a version before it replaced anything).
    bool keptReplaced(Kind kind, const Disk &before) {
        const bool replaced = (kind == Kind::WindowSave || kind == Kind::OptionReload ||
                               (kind >= Kind::VorqSet && kind <= Kind::VorqKilled)) &&
                              !before.data.isEmpty() && readDisk().data != before.data;
        const QList<IndexVersion> kept = listIndexVersions(sjis::fromUnicode(data));
        const QString last = std::exchange(newestKept, kept.isEmpty() ? QString() : kept.first().name);
        if (replaced && (newestKept.isEmpty() ||
                         sjis::readFile(backupFolder(sjis::fromUnicode(data)) + newestKept) != before.data))
            return fail("the file.idx replaced is not kept");
        if (!replaced && kind != Kind::VorqKilled && newestKept != last)
            return fail("a version was kept though nothing was replaced");
        return true;
    }

    bool check() {
        if (!m_why.isEmpty()) return false;
        const Disk disk = readDisk();
        for (auto it = U.cbegin(); it != U.cend(); ++it) {
            if (P.contains(it.key()) || disk.keys.value(it.key()) == *it) continue;
            if (windowFile(it.key()) != std::optional<QByteArray>(*it))
                return fail("neither on disk nor in the window", it.key() + " " + *it);
        }
        for (auto it = P.cbegin(); it != P.cend(); ++it)
            if (windowFile(it.key()) != std::optional<QByteArray>(*it))
                return fail("the unsaved change is not on view", it.key());
        const QList<QByteArray> held = form->store().associations.lines();
        for (const QByteArray &f : F)
            if (!disk.lines.contains(f) && !held.contains(f)) return fail("lost", f);
        if (!P.isEmpty() && !form->associationsDirty()) return fail("unsaved changes without the marker");
        // Every row shows what the rules of reading file.idx give, but for
        // the user's unsaved changes.
        if (form->store().diskLost != view.lost)
            return fail("the window's loss of the disk is not the rules'");
        for (const ChartTab &tab : form->store().tabs)
            for (const ChartEntry &e : tab.rows)
                if (const QByteArray key = associationKey(tab.tag, e.rank);
                    !P.contains(key) && e.file != view.fileOf(key))
                    return fail("the row does not show the disk's line", key + " " + e.file);
        return true;
    }
};

int envInt(const char *name, int fallback) {
    bool ok = false;
    const int v = qEnvironmentVariableIntValue(name, &ok);
    return ok ? v : fallback;
}

}  // namespace

TEST(AssociationModel, EveryAssociationIsOnDiskOrInTheWindowWhateverHappens) {
    const quint32 seed =
        quint32(envInt("VORQ_MODEL_SEED", int(QRandomGenerator::global()->bounded(1 << 30))));
    const int count = envInt("VORQ_MODEL_STEPS", 3000);
    QRandomGenerator random(seed);
    QList<Step> steps;
    for (int i = 0; i < count; ++i) steps << randomStep(random);
    // VORQ_MODEL_REPLAY names a file of steps as a failure prints them.
    if (const QString replay = qEnvironmentVariable("VORQ_MODEL_REPLAY"); !replay.isEmpty()) {
        steps.clear();
        QFile f(replay);
        if (f.open(QIODevice::ReadOnly))
            for (const QByteArray &line : f.readAll().split('\n'))
                if (const auto s = Step::parse(QString::fromUtf8(line.trimmed()))) steps << *s;
    }
    // Bounded in time: a slow machine (or a sanitizer build) runs fewer.
    const QDeadlineTimer budget(qEnvironmentVariableIsSet("VORQ_MODEL_STEPS") ? -1 : 50000);
    QString why;
    int ran = 0, failed = -1;
    {
        ModelRun model;
        failed = model.run(steps, budget, &why, &ran);
    }
    std::printf("model test: seed %u, %d steps\n", seed, ran);
    if (failed < 0) return;

    // The shortest failing list found: whole chunks out, then single steps.
    QList<Step> shortest = steps.first(failed + 1);
    QString shortestWhy = why;
    QElapsedTimer shrinking;
    shrinking.start();
    const qint64 shrinkMs = envInt("VORQ_MODEL_SHRINK_SECONDS", 120) * 1000LL;
    for (qsizetype chunk = shortest.size() / 2; chunk >= 1 && shrinking.elapsed() < shrinkMs; chunk /= 2) {
        for (qsizetype at = 0; at + chunk <= shortest.size() && shrinking.elapsed() < shrinkMs;) {
            QList<Step> fewer = shortest;
            fewer.remove(at, chunk);
            ModelRun replay;
            int n = 0;
            QString w;
            const int f = replay.run(fewer, QDeadlineTimer(-1), &w, &n);
            if (f >= 0) {
                shortest = fewer.first(f + 1);
                shortestWhy = w;
            } else {
                at += chunk;
            }
        }
    }
    QStringList listed;
    for (const Step &s : shortest) listed << s.text();
    ADD_FAILURE() << "seed " << seed << ": step " << failed + 1 << ": " << why.toStdString()
                  << "\nshortest failing steps (" << shortest.size() << "): " << shortestWhy.toStdString()
                  << "\n  " << listed.join(QStringLiteral("\n  ")).toStdString();
}
