#include "core/import/importdriver.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QSet>
#include <algorithm>

#include "core/base/appenv.h"
#include "core/base/errors.h"
#include "core/charts/broadcastdate.h"
#include "core/charts/chartstore.h"
#include "core/datafolder/datafolderlock.h"
#include "core/text/sjistext.h"

namespace vorq {

namespace {

QByteArray padded(int value, int width) { return QByteArray::number(value).rightJustified(width, '0'); }

// The folder for a file we are about to write: created when missing, so a
// first import into a fresh data folder does not fail.
void ensureFolder(const QByteArray &folder) {
    if (folder.isEmpty()) return;
    const QString path = sjis::path(folder);
    if (!QDir().mkpath(path))
        throw FileError(QStringLiteral("フォルダを作成できません: %1").arg(QDir::toNativeSeparators(path)));
}

}  // namespace

QByteArray defaultUrlTemplate() {
    return QByteArrayLiteral("\"http://www.vorq.example/vorq/cddb/countdown\"yyyymmdd\"-j.html\"");
}

QByteArray formatDatePattern(const QByteArray &pattern, const QDate &date) {
    QByteArray out;
    const qsizetype n = pattern.size();
    qsizetype i = 0;
    while (i < n) {
        const char c = pattern.at(i);
        if (c == '"' || c == '\'') {
            const qsizetype end = pattern.indexOf(c, i + 1);
            const qsizetype stop = end < 0 ? n : end;
            out += pattern.mid(i + 1, stop - i - 1);
            i = end < 0 ? n : end + 1;
            continue;
        }
        // A lead byte carries its trail byte along: the trail may look like
        // an ASCII letter (0x40-0x7E).
        if (sjis::isLeadByte(static_cast<unsigned char>(c)) && i + 1 < n) {
            out += pattern.mid(i, 2);
            i += 2;
            continue;
        }
        const char lower = char(c | 0x20);
        if (lower == 'y' || lower == 'm' || lower == 'd') {
            qsizetype run = 1;
            while (i + run < n && char(pattern.at(i + run) | 0x20) == lower) ++run;
            bool handled = true;
            if (lower == 'y') {
                // More than two y letters are the full year, as in "yyy".
                out += run > 2 ? padded(date.year(), 4) : padded(date.year() % 100, 2);
            } else if (run <= 2) {
                const int v = lower == 'm' ? date.month() : date.day();
                out += run == 2 ? padded(v, 2) : QByteArray::number(v);
            } else {
                handled = false;
            }
            if (!handled) out += pattern.mid(i, run);
            i += run;
            continue;
        }
        out += c;
        ++i;
    }
    return out;
}

QString shortenTarget(const QString &path) {
    if (path.size() <= 50) return path;
    const qsizetype lastSep =
        std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    const QString fileName = path.mid(lastSep + 1);
    // Windows-style: the drive ("C:") or "\\server\share", then "\...\".
    if (path.size() >= 2 && path.at(1) == QLatin1Char(':') && path.at(0).isLetter())
        return path.left(2) + QStringLiteral("\\...\\") + fileName;
    if (path.startsWith(QLatin1String("\\\\"))) {
        const qsizetype server = path.indexOf(QLatin1Char('\\'), 2);
        const qsizetype share = server < 0 ? -1 : path.indexOf(QLatin1Char('\\'), server + 1);
        const QString drive = share < 0 ? path : path.left(share);
        return drive + QStringLiteral("\\...\\") + fileName;
    }
    // Here a path has no drive; its first folder plays that part:
    // "/home/.../20010407.txt", "data/.../20010407.txt".
    const qsizetype first = path.indexOf(QLatin1Char('/'), path.startsWith(QLatin1Char('/')) ? 1 : 0);
    const QString head = first < 0 ? QString() : path.left(first);
    return head + QStringLiteral("/.../") + fileName;
}

QString bulkTargetText(const QString &dataFolderField, const QDate &date) {
    return shortenTarget(dataFolderField + QString::fromLatin1(dateKey(date)) + QStringLiteral(".txt"));
}

qint64 initialExpectation(int dates) { return qint64(dates) * kBytesPerDateGuess; }

qint64 nextExpectation(int dates, qint64 receivedSoFar, int finishedDates) {
    if (finishedDates <= 0) return initialExpectation(dates);
    return qint64(dates) * receivedSoFar / finishedDates;
}

bool isNotFoundPage(const QByteArray &page) {
    return page.size() < 500 && page.contains(QByteArrayLiteral("The requested URL"));
}

QDate lastBroadcastBefore(const QDate &today) { return broadcastOnOrBefore(today.addDays(-1)); }

QString notFoundQuestionText(const QByteArray &label) {
    return sjis::toUnicode(label) + QStringLiteral(
                                        "のデータは見つかりませんでした。\r\n"
                                        "その日は放送がなかったのかも知れません。\r\n"
                                        "今後その日付を表示しないようにしますか?");
}

QString notPublishedYetText(const QByteArray &label) {
    return sjis::toUnicode(label) + QStringLiteral(
                                        "のデータは見つかりませんでした。\r\n"
                                        "今週は放送がなかったのか、\r\n"
                                        "まだ掲載されていないようです。\r\n"
                                        "もうしばらく待ってみてください。\r\n"
                                        "(最新の週なので、放送のなかった日としては記録しません。)");
}

bool notFoundIsFinal(const QDate &date, const QDate &today) {
    const QDate newest = lastBroadcastBefore(today);
    return date.daysTo(today) > 7 && (!newest.isValid() || date < newest);
}

bool recordNotFound(const QByteArray &dataFolder, const QByteArray &programFolder, const QByteArray &label) {
    if (const auto date = dateFromLabel(label); !date || !isBroadcastDate(*date)) return false;
    ensureFolder(dataFolder);
    // Read and written under the lock: another writer's line is not lost.
    const DataFolderLock lock(dataFolder);
    const QString dataFile = sjis::path(dataFolder + "notfound.txt");
    QList<QByteArray> lines;
    if (QFileInfo::exists(dataFile)) lines = sjis::readLines(dataFile, kMaxIndexFileBytes);
    lines.append(label);
    const QString programFile = sjis::path(programFolder + "notfound.txt");
    if (!programFolder.isEmpty() && QFileInfo::exists(programFile) && programFile != dataFile) {
        // A sorted list that ignores duplicates: sorting keeps the lines it
        // already has; only the added lines are checked for duplicates.
        std::stable_sort(lines.begin(), lines.end());
        for (const QByteArray &line : sjis::readLines(programFile)) {
            const auto at = std::lower_bound(lines.begin(), lines.end(), line);
            if (at != lines.end() && *at == line) continue;
            lines.insert(at, line);
        }
    }
    sjis::saveLines(dataFile, lines);
    return true;
}

bool gridHasChartShape(const ResultGrid &grid) { return grid.rowCount() >= 96 && grid.columnCount() == 3; }

QList<QByteArray> chartLinesFromGrid(const ResultGrid &grid) {
    QList<QByteArray> lines;
    lines.reserve(std::max(0, grid.rowCount() - 1));
    for (int r = 1; r < grid.rowCount(); ++r)
        lines.append(grid.cell(0, r) + '\t' + grid.cell(1, r) + '\t' + grid.cell(2, r));
    return lines;
}

QList<QByteArray> gridLines(const ResultGrid &grid) {
    QList<QByteArray> lines;
    for (int r = 0; r < grid.rowCount(); ++r) {
        QByteArray line;
        for (int c = 0; c < grid.columnCount(); ++c) {
            if (c) line += '\t';
            line += grid.cell(c, r);
        }
        lines.append(line);
    }
    return lines;
}

ResultGrid parsePageToGrid(const QByteArray &page, const ImportOptions &options) {
    ResultGrid grid;
    ParseChartPage(page, options.skipString, options.editData, grid);
    return grid;
}

QByteArray HeadlessImportHost::programFolder() { return env::programFolder(); }

void HeadlessImportHost::addChartTable(const QString &name, const QList<QByteArray> &) {
    const int tag = name.left(8).toInt();
    tabs.append({tag, dateLabelFromTag(tag)});
}

// ---- engine ----------------------------------------------------------------

QList<int> ImportEngine::missingDates() {
    QSet<QByteArray> captions;
    for (int t = 0; t < m_host.tabCount(); ++t) captions.insert(m_host.tabCaption(t));
    QList<int> out;
    for (int i = m_host.dateCount() - 1; i >= 0; --i)
        if (!captions.contains(m_host.dateLabelAt(i))) out.append(i);
    return out;
}

void ImportEngine::importMissingDates() { importDateList(missingDates()); }

void ImportEngine::importDateList(const QList<int> &indexes) {
    if (indexes.isEmpty()) {
        m_host.tellAllImported();
        return;
    }
    const ImportOptions options = m_host.options();
    if (options.mode != ImportMode::Web) {
        for (int index : indexes) {
            if (index < 0 || index >= m_host.dateCount()) continue;
            m_host.selectDate(index);
            importOneDate();
        }
        return;
    }

    m_host.bulkBegin();
    m_bulk = true;
    m_failures.clear();
    m_notTried = 0;
    m_summary = BulkRunSummary();
    m_summary.dates = int(indexes.size());
    m_lastFetchEndMs = -1;
    const auto finish = [this] {
        m_bulk = false;
        m_gatherFailures = false;
        m_dateClock.invalidate();
        m_host.bulkEnd();
    };
    auto end = qScopeGuard(finish);
    const int n = int(indexes.size());
    m_gatherFailures = n > 1 || !m_host.failureReportsWait();
    qint64 expected = initialExpectation(n);
    qint64 received = 0;
    const QString folderField = sjis::toUnicode(options.dataFolderField);
    int failedInARow = 0;
    // The dates from the i-th on, when the run stops before them.
    const auto skipFrom = [&](int i, BulkRunSummary::Stop why) {
        m_summary.stop = why;
        for (int k = i; k <= n; ++k) {
            const int index = indexes.at(k - 1);
            if (index >= 0 && index < m_host.dateCount()) m_summary.skipped.append(m_host.dateLabelAt(index));
        }
    };
    for (int i = 1; i <= n; ++i) {
        if (m_host.bulkCancelled()) {
            skipFrom(i, BulkRunSummary::Stop::Cancelled);
            break;
        }
        m_dateClock.start();
        const int index = indexes.at(i - 1);
        // Indexes run from the last item down, so dates dropped from the
        // list on the way (not-found) never shift the ones still to come;
        // one that is gone all the same is skipped.
        if (index < 0 || index >= m_host.dateCount()) continue;
        m_host.selectDate(index);
        const auto date = dateFromLabel(m_host.dateLabelAt(index));
        if (!date) throw ConvertError::notInteger(sjis::toUnicode(m_host.dateLabelAt(index)));
        const QString url = sjis::toUnicode(formatDatePattern(options.urlTemplate, *date));
        const QString target = bulkTargetText(folderField, *date);
        m_host.bulkStartDate(QLatin1Char('\'') + url + QLatin1Char('\'') + QStringLiteral(" から "),
                             QLatin1Char('\'') + target + QLatin1Char('\'') + QStringLiteral(" へ"),
                             expected);
        m_host.bulkStatus(QString());
        m_host.bulkPlannedWait(qint64(n - i) * options.pageDelayMs);
        m_fetched = false;
        m_dateCounted = false;
        const qsizetype failedBefore = m_failures.size();
        const QByteArray label = m_host.dateLabelAt(index);
        importOneDate();
        // A date the run left without an outcome: cancelled on its way.
        if (!m_dateCounted) {
            m_summary.skipped.append(label);
            if (m_host.bulkCancelled()) m_summary.stop = BulkRunSummary::Stop::Cancelled;
        }
        // Only a fetch of this date counts: a date that already had a tab
        // would otherwise add the previous page's size again.
        if (m_fetched) received += m_host.receivedBytes();
        expected = nextExpectation(n, received, i);
        m_host.bulkFinishDate();
        if (m_fetched) failedInARow = m_failures.size() > failedBefore ? failedInARow + 1 : 0;
        if (failedInARow >= kGiveUpAfterFailedDates && i < n) {
            m_notTried = n - i;
            skipFrom(i + 1, BulkRunSummary::Stop::GaveUp);
            break;
        }
    }
    if (m_summary.stop == BulkRunSummary::Stop::Cancelled) m_summary.notTried = int(m_summary.skipped.size());
    if (m_summary.stop == BulkRunSummary::Stop::GaveUp) m_summary.notTried = m_notTried;
    end.dismiss();
    finish();
    if (n > 1)
        m_host.bulkRunSummary(m_summary);
    else if (!m_failures.isEmpty())
        m_host.bulkSummary(m_failures, m_notTried);
}

void ImportEngine::dateDone(const QByteArray &label, ImportHost::Outcome outcome, const QString &reason) {
    using O = ImportHost::Outcome;
    m_host.dateDone(label, outcome == O::AlreadyLoaded ? 0 : m_host.receivedBytes(), outcome);
    if (!m_bulk) return;
    m_dateCounted = true;
    switch (outcome) {
        case O::Imported: ++m_summary.imported; break;
        case O::NotFoundRecorded:
            m_summary.notFound.append({label, BulkRunSummary::Missing::Recorded});
            break;
        case O::NotFound: m_summary.notFound.append({label, BulkRunSummary::Missing::NotRecorded}); break;
        case O::NotYet: m_summary.notFound.append({label, BulkRunSummary::Missing::NotYet}); break;
        case O::Failed: m_summary.failed.append({label, reason}); break;
        case O::Rejected:
            // Declined when shown is the user's choice; a page that is no
            // chart is a failure of the site (or of the URL template).
            if (reason.isEmpty())
                m_summary.skipped.append(label);
            else
                m_summary.failed.append({label, reason});
            break;
        case O::AlreadyLoaded: break;
    }
}

bool ImportEngine::pauseBetweenPages(const ImportOptions &options) {
    if (!m_bulk || options.pageDelayMs <= 0 || m_lastFetchEndMs < 0) return true;
    const qint64 left = options.pageDelayMs - (m_clock->nowMs() - m_lastFetchEndMs);
    if (left <= 0) return true;
    const bool go = m_clock->sleepMs(left, [this] { return m_host.bulkCancelled(); });
    // The pause is not part of the page's transfer time.
    m_dateClock.start();
    return go;
}

FetchResult ImportEngine::fetchWithRetries(const QByteArray &url, const QByteArray &proxyHost, int proxyPort,
                                           const ImportOptions &options) {
    const int retries = m_gatherFailures ? std::max(0, options.retries) : 0;
    for (int attempt = 0;; ++attempt) {
        FetchResult r = m_host.fetchPage(url, proxyHost, proxyPort, m_gatherFailures);
        if (m_bulk) m_lastFetchEndMs = m_clock->nowMs();
        if (r.kind != FetchResult::Kind::Failed || !r.retryable || attempt >= retries) return r;
        if (m_host.bulkCancelled()) {
            r.kind = FetchResult::Kind::Aborted;
            return r;
        }
        const qint64 wait = m_policy.waitBeforeRetry(attempt + 1, r, m_clock->jitter());
        m_host.bulkStatus(retryStatusText(attempt + 1, retries, wait, r.failure));
        if (!m_clock->sleepMs(wait, [this] { return m_host.bulkCancelled(); })) {
            r.kind = FetchResult::Kind::Aborted;
            return r;
        }
        m_host.bulkStatus(QStringLiteral("再試行 %1/%2: 取得しています").arg(attempt + 1).arg(retries));
    }
}

void ImportEngine::importOneDate() {
    // Last step on every path: the date list follows the active tab.
    const auto sync = qScopeGuard([this] { m_host.syncDateListSelection(); });
    const int index = m_host.selectedDate();
    if (index < 0 || index >= m_host.dateCount()) return;
    const ImportOptions options = m_host.options();
    const QByteArray label = m_host.dateLabelAt(index);
    const auto parsed = dateFromLabel(label);
    if (!parsed) throw ConvertError::notInteger(sjis::toUnicode(label));
    const QDate date = *parsed;
    const QByteArray key = dateKey(date);
    const int tag = dateTag(date);
    for (int t = 0; t < m_host.tabCount(); ++t) {
        if (m_host.tabTag(t) == tag) {
            m_host.activateTab(t);
            dateDone(label, ImportHost::Outcome::AlreadyLoaded);
            return;
        }
    }
    const QString name = QString::fromLatin1(key) + QStringLiteral(".txt");

    switch (options.mode) {
        case ImportMode::None: return;
        case ImportMode::Web: {
            if (m_bulk) m_host.bulkShow();
            const QByteArray url = formatDatePattern(options.urlTemplate, date);
            QByteArray page;
            {
                m_host.setBusy(true);
                const auto idle = qScopeGuard([this] { m_host.setBusy(false); });
                QByteArray proxyHost;
                int proxyPort = 0;
                if (options.useProxy) {
                    bool ok = false;
                    proxyPort = options.proxyPort.toInt(&ok, 10);
                    // A stored bad value is named by its setting, so the user
                    // knows where to mend it.
                    if (!ok)
                        throw ConvertError(
                            QStringLiteral(
                                "プロキシ サーバーのポート (設定 [Web] ProxyPort) の値 '%1' は"
                                "有効な整数ではありません。\n「Option」の「Web」で数字だけを入れてください。")
                                .arg(sjis::toUnicode(options.proxyPort)));
                    proxyHost = options.proxyAddr;
                }
                if (!pauseBetweenPages(options)) return;
                m_fetched = true;
                const FetchResult fetched = fetchWithRetries(url, proxyHost, proxyPort, options);
                // A cancelled run keeps nothing of the page in flight.
                if (fetched.kind == FetchResult::Kind::Aborted || (m_bulk && m_host.bulkCancelled())) return;
                if (fetched.kind == FetchResult::Kind::Failed) {
                    // Reported already (an error box) or kept for the run's summary.
                    if (m_gatherFailures) m_failures.append({label, fetched.failure});
                    dateDone(label, ImportHost::Outcome::Failed, fetched.failure);
                    return;
                }
                page = fetched.page;
                if (fetched.kind == FetchResult::Kind::NotFound || isNotFoundPage(page)) {
                    dateDone(label, notFoundHandling(date, label, options));
                    return;  // no association update for a missing page
                }
            }
            const ResultGrid grid = m_host.parsePage(page, options);
            const bool accepted = acceptResultGrid(grid, name, options);
            if (accepted)
                dateDone(label, ImportHost::Outcome::Imported);
            else
                dateDone(
                    label, ImportHost::Outcome::Rejected,
                    options.confirmData
                        ? QString()
                        : QStringLiteral(
                              "チャートのページではありませんでした (95 曲以上、3 列の表がありません)。"));
            break;
        }
        case ImportMode::Html: {
            const QString path = m_host.chooseHtmlFile(QStringLiteral("countdown") +
                                                       QString::fromLatin1(key) + QStringLiteral("-j.html"));
            if (path.isEmpty()) return;
            if (QFileInfo::exists(path)) {
                const QByteArray text = HtmlFilePageText(sjis::readFile(path));
                acceptResultGrid(m_host.parsePage(text, options), name, options);
            }
            break;
        }
        case ImportMode::Text: {
            const QString path = m_host.chooseTextFile(sjis::toUnicode(label) + QStringLiteral(".txt"));
            if (path.isEmpty()) return;
            if (QFileInfo::exists(path)) m_host.loadChartFile(path);
            break;
        }
    }
    if (options.alsoAssociatedFile) m_host.updateAssociationsAfterImport();
}

ImportHost::Outcome ImportEngine::notFoundHandling(const QDate &date, const QByteArray &label,
                                                   const ImportOptions &options) {
    if (notFoundIsFinal(date, env::today())) {
        const bool yes = options.ignoreError ? options.autoAddNotFound : m_host.askRecordNotFound(label);
        if (!yes) return ImportHost::Outcome::NotFound;
        if (!recordNotFound(m_host.dataFolder(), m_host.programFolder(), label))
            return ImportHost::Outcome::NotFound;
        m_host.buildDateList();
        return ImportHost::Outcome::NotFoundRecorded;
    }
    if (!options.ignoreError) m_host.tellNotPublishedYet(label);
    return ImportHost::Outcome::NotYet;
}

bool ImportEngine::acceptResultGrid(ResultGrid grid, const QString &name, const ImportOptions &options) {
    const bool accepted = options.confirmData ? m_host.confirmGrid(grid) : gridHasChartShape(grid);
    if (!accepted) return false;
    const QList<QByteArray> lines = chartLinesFromGrid(grid);
    // Refuse before writing: a chart file with a rank that is not a number
    // would stop every later load of the data folder at that file.
    const int tag = name.left(8).toInt();
    for (const QByteArray &line : lines) associationKey(tag, line.left(line.indexOf('\t')));
    if (options.autoSave) {
        const QByteArray folder = m_host.dataFolder();
        ensureFolder(folder);
        const DataFolderLock lock(folder);
        sjis::saveLines(sjis::path(folder) + name, lines);
    }
    m_host.addChartTable(name, lines);
    return true;
}

}  // namespace vorq
