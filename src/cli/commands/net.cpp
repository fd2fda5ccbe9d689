#include "cli/clicommon.h"
#include "cli/commandtable.h"
#include "core/text/sjistext.h"
#include "net/httpclient.h"

namespace {

struct ProxyOption {
    QByteArray host;
    int port = 0;
};

// --proxy HOST:PORT, as both commands take it.
ProxyOption proxyOption(const QString &value) {
    const qsizetype colon = value.lastIndexOf(QLatin1Char(':'));
    bool ok = colon > 0;
    const int port = ok ? value.mid(colon + 1).toInt(&ok) : 0;
    if (!ok || port < 0 || port > 65535)
        throw vorq::cli::UsageError(QStringLiteral("--proxy needs HOST:PORT, got %1").arg(value));
    return {vorq::sjis::fromUnicode(value.left(colon)), port};
}

// The client's messages go to stderr; they use CR LF between their lines,
// a terminal wants LF.
void reportNetErrorsToStderr() {
    vorq::net::setErrorReporter([](const QString &message) {
        QString text = message;
        const QString detail = vorq::net::lastFetch().detail;
        if (!detail.isEmpty()) text += QStringLiteral("\n") + detail;
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        vorq::cli::printError(QStringLiteral("vorq: ") + text);
    });
}

}  // namespace

int cmdFetch(const vorq::cli::Command &command, const QStringList &args) {
    const vorq::cli::Args a = vorq::cli::parseArgs(args, command);
    if (a.positional.size() != 1) throw vorq::cli::UsageError(QStringLiteral("fetch needs one URL"));
    const QByteArray url = vorq::sjis::fromUnicode(a.positional.first());
    if (a.has(QStringLiteral("proxy"))) {
        const ProxyOption proxy = proxyOption(a.value(QStringLiteral("proxy")));
        vorq::net::SetProxy(proxy.host, proxy.port);
    }
    if (a.has(QStringLiteral("ca-file"))) vorq::net::setTrustedCaFile(a.value(QStringLiteral("ca-file")));
    reportNetErrorsToStderr();
    const QByteArray body = vorq::net::GetUrl(url);
    if (!vorq::net::lastErrorMessage().isEmpty()) return 1;
    vorq::cli::writeRaw(body);
    return 0;
}

// ---- vorq import -----------------------------------------------------------
// Imports every missing date of the date list in Web mode through the same
// driver as the main window, printing one line per date to stderr:
// "YYYY-MM-DD<TAB>bytes<TAB>outcome", the retries and their waits as they
// happen and, at the end, the summary of the dates that still failed. Exit
// status: 0 the run completed, 3 it completed with failed dates, 1 an error
// ended it.
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include "cli/importnotifier.h"
#include "cli/viewersettings.h"
#include "core/base/appenv.h"
#include "core/charts/chartstore.h"
#include "core/datafolder/datafolderlock.h"
#include "core/import/importdriver.h"
#include "core/settings/optionkeys.h"
#include "core/text/sjistext.h"
#include "net/httpclient.h"

namespace {

using namespace vorq;

const char *outcomeText(ImportHost::Outcome o) {
    switch (o) {
        case ImportHost::Outcome::Imported: return "imported";
        case ImportHost::Outcome::Rejected: return "rejected";
        case ImportHost::Outcome::NotFoundRecorded: return "not-found-recorded";
        case ImportHost::Outcome::NotFound: return "not-found";
        case ImportHost::Outcome::NotYet: return "not-yet";
        case ImportHost::Outcome::AlreadyLoaded: return "loaded";
        case ImportHost::Outcome::Failed: return "failed";
    }
    return "?";
}

// The headless host: the date list of the range, the chart files present
// in the data folder standing for the loaded tabs, no prompts.
class CliImportHost : public HeadlessImportHost {
public:
    QDate from, to;
    QString fetchFailure;
    QList<int> importedTags;  // the weeks this run stored

    void rebuild() {
        const QList<QByteArray> nf = readNotFoundList(folder, env::programFolder());
        dates = vorq::buildDateList(from, to, QSet<QByteArray>(nf.begin(), nf.end()), false, {});
    }

    void buildDateList() override { rebuild(); }
    QByteArray fetch(const QByteArray &url, const QByteArray &proxyHost, int proxyPort) override {
        return fetchPage(url, proxyHost, proxyPort, false).page;
    }
    // A failure is a line on stderr: a single date is retried too.
    bool failureReportsWait() const override { return false; }
    FetchResult fetchPage(const QByteArray &url, const QByteArray &proxyHost, int proxyPort,
                          bool quiet) override {
        net::setTrustedCaFile(opts.trustedCaFile);
        const FetchResult r = net::fetchForImport(url, proxyHost, proxyPort, quiet);
        fetchFailure = r.failure;
        return r;
    }
    void bulkStatus(const QString &text) override {
        if (!text.isEmpty()) cli::printError(QStringLiteral("vorq: ") + text);
    }
    void bulkSummary(const QList<FailedDate> &failures, int notTried) override {
        QString text = failureSummaryText(failures, notTried);
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        cli::printError(QStringLiteral("vorq: ") + text);
    }
    // A run of several dates ends with the summary of all of them.
    void bulkRunSummary(const BulkRunSummary &summary) override {
        QString text = bulkSummaryText(summary).trimmed();
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        cli::printError(QStringLiteral("vorq: ") + text);
    }
    qint64 receivedBytes() override { return net::receivedByteCount(); }
    void tellAllImported() override { cli::printError(QStringLiteral("すべて取得されています。")); }
    void dateDone(const QByteArray &label, qint64 bytes, Outcome outcome) override {
        const auto date = dateFromLabel(label);
        const QString day = date ? date->toString(QStringLiteral("yyyy-MM-dd")) : sjis::toUnicode(label);
        const QString what = !fetchFailure.isEmpty() && outcome == Outcome::Rejected
                                 ? QStringLiteral("failed")
                                 : QString::fromLatin1(outcomeText(outcome));
        if (outcome == Outcome::Imported && date) importedTags.append(dateTag(*date));
        cli::printError(day + QLatin1Char('\t') + QString::number(bytes) + QLatin1Char('\t') + what);
        fetchFailure.clear();
    }
};

QByteArray defaultDataFolder() {
    return sjis::fromUnicode(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                             QStringLiteral("/Brelon/vorqview/"));
}

}  // namespace

int cmdImport(const vorq::cli::Command &command, const QStringList &args) {
    const cli::Args a = cli::parseArgs(args, command);
    if (!a.positional.isEmpty())
        throw cli::UsageError(QStringLiteral("unexpected argument %1").arg(a.positional.first()));
    cli::applyToday(a);

    // Everything not given comes from the user's vorqview settings.
    const cli::ViewerSettings settings = cli::readViewerSettings();
    CliImportHost host;
    ImportOptions &o = host.opts;
    o.mode = ImportMode::Web;
    o.confirmData = false;  // the shape check decides
    o.autoSave = true;
    o.alsoAssociatedFile = false;
    o.skipString = settings.skipString;
    o.editData = settings.editData;
    o.ignoreError = settings.ignoreError;
    o.autoAddNotFound = settings.autoAddNotFound;
    o.urlTemplate = settings.urlData.isEmpty() ? defaultUrlTemplate() : settings.urlData;
    o.useProxy = settings.useProxy;
    o.proxyAddr = settings.proxyAddr;
    o.proxyPort = settings.proxyPort;
    o.pageDelayMs = settings.pageDelayMs;
    o.trustedCaFile = settings.trustedCaFile;
    host.folder = settings.dataFolder.isEmpty() ? defaultDataFolder() : settings.dataFolder;

    if (a.has(QStringLiteral("data"))) {
        QString dir = a.value(QStringLiteral("data"));
        if (dir.isEmpty()) throw cli::UsageError(QStringLiteral("--data needs a folder"));
        if (!dir.endsWith(QLatin1Char('/'))) dir += QLatin1Char('/');
        host.folder = sjis::fromUnicode(dir);
    }
    o.dataFolderField = host.folder;
    if (a.has(QStringLiteral("url-template")))
        o.urlTemplate = sjis::fromUnicode(a.value(QStringLiteral("url-template")));
    if (a.has(QStringLiteral("proxy"))) {
        const ProxyOption proxy = proxyOption(a.value(QStringLiteral("proxy")));
        o.useProxy = true;
        o.proxyAddr = proxy.host;
        o.proxyPort = QByteArray::number(proxy.port);
    }
    if (a.has(QStringLiteral("ca-file"))) o.trustedCaFile = a.value(QStringLiteral("ca-file"));
    if (a.has(QStringLiteral("delay"))) {
        bool ok = false;
        const double secs = a.value(QStringLiteral("delay")).toDouble(&ok);
        if (!ok || secs < 0 || secs > options::kMaxPageDelaySeconds)
            throw cli::UsageError(QStringLiteral("--delay needs seconds from 0 to %1, got %2")
                                      .arg(options::kMaxPageDelaySeconds)
                                      .arg(a.value(QStringLiteral("delay"))));
        o.pageDelayMs = int(secs * 1000);
    }
    if (a.has(QStringLiteral("retries"))) {
        bool ok = false;
        const int n = a.value(QStringLiteral("retries")).toInt(&ok);
        if (!ok || n < 0 || n > 10)
            throw cli::UsageError(QStringLiteral("--retries needs a number from 0 to 10, got %1")
                                      .arg(a.value(QStringLiteral("retries"))));
        o.retries = n;
    }
    const bool missing = a.has(QStringLiteral("missing"));
    if (missing && a.has(QStringLiteral("to")))
        throw cli::UsageError(QStringLiteral("--missing imports up to the newest week and takes no --to"));
    const bool notify = a.has(QStringLiteral("notify"));
    int notifyWait = cli::kDefaultNotifyWaitSeconds;
    if (a.has(QStringLiteral("notify-wait"))) {
        bool ok = false;
        notifyWait = a.value(QStringLiteral("notify-wait")).toInt(&ok);
        if (!ok || notifyWait < 0 || notifyWait > cli::kMaxNotifyWaitSeconds)
            throw cli::UsageError(QStringLiteral("--notify-wait needs seconds from 0 to %1, got %2")
                                      .arg(cli::kMaxNotifyWaitSeconds)
                                      .arg(a.value(QStringLiteral("notify-wait"))));
    }
    reportNetErrorsToStderr();

    const QList<QByteArray> nf = readNotFoundList(host.folder, env::programFolder());
    const QList<QDate> calendar = broadcastCalendar(env::today(), QSet<QByteArray>(nf.begin(), nf.end()));
    // The displayed range of vorqview.
    const cli::DateRange range = cli::configuredRange(calendar, settings);
    host.from = range.from;
    host.to = range.to;
    // A typed date steps onto the calendar: from a Friday, the weeks are
    // the Saturdays after it, not Fridays.
    cli::parseDateRange(a, &host.from, &host.to);
    // The weekly run wants the new week even when the window shows a range
    // that ends earlier.
    if (missing && !calendar.isEmpty()) host.to = calendar.last();
    if (host.from.isValid() && host.to.isValid()) host.rebuild();

    // The chart files of the folder stand for the loaded tabs.
    ChartStore files;
    files.dataFolder = host.folder;
    for (const QString &path : files.listChartFiles()) {
        const int tag = QFileInfo(path).completeBaseName().toInt();
        host.tabs.append({tag, dateLabelFromTag(tag)});
    }

    // The weeks stored before an error or a busy folder ended the run are
    // news all the same: the next run will not see them as missing.
    const auto tell = [&] {
        if (notify) cli::notifyImportedWeeks(host.folder, host.from, host.importedTags, notifyWait);
    };
    ImportEngine engine(host);
    try {
        engine.importMissingDates();
    } catch (const DataFolderBusyError &) {
        tell();
        throw;  // exit status 4
    } catch (const Error &e) {
        cli::printError(QStringLiteral("vorq: ") + e.message());
        tell();
        return 1;
    }
    tell();
    return engine.failures().isEmpty() ? 0 : 3;
}
