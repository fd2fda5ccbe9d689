// vorq cdr: stages the folder the CD-R wizard's finish writes, for the same
// choices, without a screen.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdio>
#include <optional>

#include "cli/clicommon.h"
#include "cli/commandtable.h"
#include "cli/viewersettings.h"
#include "core/base/appenv.h"
#include "core/cdr/cdrstage.h"
#include "core/cdr/stagesafety.h"
#include "core/charts/chartstore.h"
#include "core/charts/storedtarget.h"
#include "core/datafolder/datafolderlock.h"
#include "core/text/sjistext.h"

using namespace vorq;

namespace {

// Copies without asking: vorq cdr has refused existing targets beforehand
// unless told to overwrite. A failed copy is reported and the rest go on.
class CliCopier : public cdr::StageCopier {
public:
    int failures = 0;
    void copy(const QStringList &sources, const QString &targetFolder, const QStringList &names) override {
        QDir().mkpath(targetFolder);
        for (qsizetype i = 0; i < sources.size(); ++i) {
            const QString &src = sources.at(i);
            // A fresh file renamed over the name: never written through a
            // link that may stand there.
            const QString dst = targetFolder + names.value(i, QFileInfo(src).fileName());
            const QString part = dst + QStringLiteral(".part");
            QFile::remove(part);
            if (!QFile::copy(src, part) || (QFile::exists(dst) && !QFile::remove(dst)) ||
                !QFile::rename(part, dst)) {
                QFile::remove(part);
                cli::printError(QStringLiteral("vorq: %1 をコピーできません。").arg(src));
                ++failures;
            }
        }
    }
};

// A folder below the root, "/"-separated; empty is the root.
QStringList relativeFolder(const QString &text, const QString &option) {
    QStringList names = text.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    if (text.startsWith(QLatin1Char('/')) || names.contains(QStringLiteral("..")) ||
        names.contains(QStringLiteral(".")))
        throw cli::UsageError(QStringLiteral("--%1 must be a folder below the root: %2").arg(option, text));
    return names;
}

// The values of an option that may be given more than once, taken out of args.
QStringList takeRepeated(QStringList &args, const QString &name) {
    QStringList values;
    const QString flag = QStringLiteral("--") + name, prefix = flag + QLatin1Char('=');
    for (qsizetype i = 0; i < args.size();) {
        if (args.at(i) == flag) {
            if (i + 1 >= args.size())
                throw cli::UsageError(QStringLiteral("option %1 needs a value").arg(flag));
            values.append(args.at(i + 1));
            args.remove(i, 2);
        } else if (args.at(i).startsWith(prefix)) {
            values.append(args.at(i).mid(prefix.size()));
            args.removeAt(i);
        } else {
            ++i;
        }
    }
    return values;
}

}  // namespace

int cmdCdr(const vorq::cli::Command &command, const QStringList &arguments) {
    QStringList args = arguments;
    const QStringList adds = takeRepeated(args, QStringLiteral("add"));
    const QStringList removes = takeRepeated(args, QStringLiteral("remove"));
    const cli::Args a = cli::parseArgs(args, command);
    if (!a.positional.isEmpty())
        throw cli::UsageError(QStringLiteral("unexpected argument %1").arg(a.positional.first()));
    if (!a.has(QStringLiteral("root"))) throw cli::UsageError(QStringLiteral("--root DIR is required"));
    if (a.has(QStringLiteral("list")) && a.has(QStringLiteral("filter-folder")))
        throw cli::UsageError(QStringLiteral("--list and --filter-folder exclude each other"));
    cli::applyToday(a);

    const QString root = a.value(QStringLiteral("root"));
    if (!QFileInfo(root).isDir()) throw FileError(QStringLiteral("フォルダ %1 がありません。").arg(root));
    cdr::StageLayout layout{
        QFileInfo(root).absoluteFilePath(),
        relativeFolder(a.value(QStringLiteral("program-folder")), QStringLiteral("program-folder")),
        relativeFolder(a.value(QStringLiteral("assoc-folder")), QStringLiteral("assoc-folder"))};

    // The display range and data folder vorqview would use.
    const cli::ViewerSettings settings = cli::readViewerSettings();
    QString data =
        a.has(QStringLiteral("data")) ? a.value(QStringLiteral("data")) : sjis::path(settings.dataFolder);
    if (!QFileInfo(data).isDir())
        throw FileError(QStringLiteral("データフォルダ %1 がありません。").arg(data));
    if (!data.endsWith(QLatin1Char('/'))) data += QLatin1Char('/');
    const QString program = a.value(QStringLiteral("program"), sjis::path(cli::programFolder() + "vorqview"));
    if (!QFileInfo(program).isFile())
        throw FileError(QStringLiteral("プログラム %1 がありません。").arg(program));

    cdr::StageSource source;
    source.dataFolder = sjis::fromUnicode(data);
    source.programFile = QFileInfo(program).absoluteFilePath();
    // The data is read under the lock, so no half-run of another writer is
    // staged; the copies that follow need it no longer.
    std::optional<DataFolderLock> lock(std::in_place, source.dataFolder);
    {
        const QList<QByteArray> nf = readNotFoundList(source.dataFolder, env::programFolder());
        const QList<QDate> calendar = broadcastCalendar(env::today(), QSet<QByteArray>(nf.begin(), nf.end()));
        const cli::DateRange range = cli::configuredRange(calendar, settings);
        if (range.from.isValid()) source.rangeStart = dateLabel(range.from);
        if (range.to.isValid()) source.rangeEnd = dateLabel(range.to);
    }

    // As the wizard: "\"-rooted files of a copy on a disc resolve on it.
    const QString programFolder = sjis::path(env::programFolder());
    cdr::CdrSession session([programFolder](const QByteArray &stored) {
        return resolveStoredTarget(stored, programFolder).localPath;
    });
    session.start(source);
    lock.reset();
    // The date page: the first data date on or after --from, the last on or
    // before --to.
    const QList<cdr::DataDate> &dates = session.dataDates();
    int first = 0, last = int(dates.size()) - 1;
    QDate from, to;
    cli::parseDateRange(a, &from, &to);
    if (a.has(QStringLiteral("from"))) {
        while (first < dates.size() && dates.at(first).tag < dateTag(from)) ++first;
    }
    if (a.has(QStringLiteral("to"))) {
        const int tag = to.isValid() ? dateTag(to) : 0;
        while (last >= 0 && dates.at(last).tag > tag) --last;
    }
    session.setRange(first, last);
    // The list or folder filter, then the manual list.
    if (a.has(QStringLiteral("list")))
        session.keepOnlyNames(cdr::namesFromListFile(a.value(QStringLiteral("list"))));
    if (a.has(QStringLiteral("filter-folder")))
        session.keepOnlyNames(cdr::namesInFolder(a.value(QStringLiteral("filter-folder"))));
    for (const QString &f : adds) {
        if (!QFileInfo(f).isFile()) throw FileError(QStringLiteral("ファイル %1 がありません。").arg(f));
        session.addLocalFile(QFileInfo(f).absoluteFilePath());  // refuses what a disc path cannot hold
    }
    for (const QString &name : removes) {
        QByteArray wanted;
        if (!sjis::tryFromUnicode(name, &wanted)) continue;
        wanted = cdr::upperAscii(wanted);
        QList<int> rows;
        for (int i = 0; i < session.items().size(); ++i)
            if (cdr::upperAscii(session.items().at(i).name) == wanted) rows.append(i);
        session.removeItems(rows);
    }

    const cdr::StagePlan plan = cdr::planStage(session, layout);
    // Not even --overwrite may replace the running program's own files, or
    // write through a link.
    cdr::refuseUnsafeTargets(plan, cdr::liveFolders(source.dataFolder, "vorqview"));
    // Nobody to ask before overwriting: refuse before anything is written.
    if (!a.flags.contains(QStringLiteral("overwrite"))) {
        const QStringList existing = cdr::existingTargets(plan);
        if (!existing.isEmpty())
            throw FileError(
                QStringLiteral("%1 個のファイルが既にあります (%2 など)。--overwrite で上書きします。")
                    .arg(existing.size())
                    .arg(existing.first()));
    }
    CliCopier copier;
    cdr::runStage(plan, copier);

    QByteArray out;
    const auto line = [&out](const char *label, qint64 bytes) {
        out += QByteArray(label) + '\t' + cdr::kibText(bytes).trimmed().toLatin1() + '\n';
    };
    line("program", session.programSize());
    line("data", session.dataSize());
    line("associated", session.assocSize());
    line("total", session.total());
    out += QByteArray("colour\t") + cdr::colourName(cdr::summaryColour(session.total())) + '\n';
    // What the medium will not carry as files, so it is known before burning.
    for (const cdr::LeftOut &l : session.leftOut())
        out += QByteArray("left-out\t") + cdr::leftOutKey(l.reason) + '\t' +
               sjis::toUnicode(l.stored).toUtf8() + '\n';
    cli::writeRaw(out);
    std::fflush(stdout);
    return copier.failures ? 1 : 0;
}
