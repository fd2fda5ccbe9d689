#pragma once
// The import driver: brings the chart of a broadcast date into the store,
// from the web, a saved HTML page or a chart text file. The engine is free of
// widgets; what the GUI and the `vorq import` command do differently (the
// date list and tabs, prompts, the fetch, the bulk download dialog) goes
// through ImportHost, so both run the same steps in the same order.
#include <QByteArray>
#include <QDate>
#include <QElapsedTimer>
#include <QList>
#include <QString>
#include <utility>

#include "core/import/bulksummary.h"
#include "core/import/chartpage.h"
#include "core/import/fetchpolicy.h"

namespace vorq {

enum class ImportMode { Web, Html, Text, None };

// The settings the driver reads, taken from the options at the start of
// each step (the GUI reads its controls, the CLI the stored settings).
struct ImportOptions {
    ImportMode mode = ImportMode::Web;
    bool autoSave = true;
    bool confirmData = false;
    bool editData = true;
    bool alsoAssociatedFile = false;
    bool ignoreError = true;
    bool autoAddNotFound = true;
    bool useProxy = false;
    QByteArray proxyAddr;
    QByteArray proxyPort;        // as typed; must be an integer when used
    QByteArray urlTemplate;      // URL_Data
    QByteArray dataFolderField;  // the data folder as typed (labels only)
    QByteArray skipString = "<!-- / NO1 -->";
    // A bulk run's pause between pages and retries of a failed fetch.
    int pageDelayMs = 0;
    int retries = 3;
    // An extra CA certificate trusted for https (empty: the system's only).
    QString trustedCaFile;
};

// ---- texts and figures -----------------------------------------------------

// The default URL template: the chart site's page of a date.
QByteArray defaultUrlTemplate();

// Applies a date-format pattern to a date. Double- and single-quoted parts
// are literal (quotes removed); outside them, letters are read in runs
// (case ignored): yyyy (and longer) four-digit year, yy or y two-digit year,
// mm two-digit month, m month without padding, dd two-digit day, d day
// without padding. Everything else, including longer runs of m or d, is
// copied as it stands. An unterminated quote runs to the end.
QByteArray formatDatePattern(const QByteArray &pattern, const QDate &date);

// Data folder field + yyyymmdd + ".txt", shortened for the bulk dialog when
// longer than 50 characters (see shortenTarget).
QString bulkTargetText(const QString &dataFolderField, const QDate &date);

// A path longer than 50 characters becomes its first part + "/.../" + its
// file name: a drive ("C:" + "\...\") for Windows-style paths, otherwise the
// first folder ("/home" + "/.../"). Shorter paths are returned as they are.
QString shortenTarget(const QString &path);

// The bulk run's byte estimate: 40000 per date at the start, then the
// average so far times the number of dates.
constexpr qint64 kBytesPerDateGuess = 40000;
qint64 initialExpectation(int dates);
qint64 nextExpectation(int dates, qint64 receivedSoFar, int finishedDates);

// A missing page of the chart site: fewer than 500 characters (bytes) and
// holding "The requested URL".
bool isNotFoundPage(const QByteArray &page);

// Whether a missing page for this date is final, so it may be recorded in
// notfound.txt: not the newest week (the last broadcast date before today),
// nor any date within a week of today. That week's page may only be late;
// recorded, the week would be hidden for good.
bool notFoundIsFinal(const QDate &date, const QDate &today);

// The broadcast date (every 7 days from 1995-04-08) last before today.
QDate lastBroadcastBefore(const QDate &today);

// The "Not Found" question for a date that may be recorded, and the notice
// for the newest week, each naming the date (label, Shift-JIS).
QString notFoundQuestionText(const QByteArray &label);
QString notPublishedYetText(const QByteArray &label);

// Records a date label in the data folder's notfound.txt: the existing lines
// plus the label; when the program folder has a notfound.txt too, the list
// is sorted and that file's lines not yet present are added. Written
// atomically; the program folder's copy is never written. Throws FileError.
// A label that is not a broadcast date is not recorded (false): it would
// hide no date and could only be a mistaken step through the calendar.
bool recordNotFound(const QByteArray &dataFolder, const QByteArray &programFolder, const QByteArray &label);

// The grid's shape test used when the user does not confirm: at least 96
// rows (header included) and exactly 3 columns.
bool gridHasChartShape(const ResultGrid &grid);

// Rows 1 to the last as chart lines: rank TAB title TAB artist.
QList<QByteArray> chartLinesFromGrid(const ResultGrid &grid);

// Every row, row 0 included, as its cells joined by TAB.
QList<QByteArray> gridLines(const ResultGrid &grid);

// Parses a chart page (Shift-JIS, CR LF) into a fresh grid with the skip
// string and EditData of the options.
ResultGrid parsePageToGrid(const QByteArray &page, const ImportOptions &options);

// ---- the engine ------------------------------------------------------------

// What the driver asks of its surroundings.
class ImportHost {
public:
    virtual ~ImportHost() = default;

    virtual ImportOptions options() = 0;
    // The main window's data folder path (ends with "/").
    virtual QByteArray dataFolder() = 0;
    virtual QByteArray programFolder() = 0;

    // The date list.
    virtual int dateCount() = 0;
    virtual QByteArray dateLabelAt(int index) = 0;
    virtual int selectedDate() = 0;  // -1: none
    virtual void selectDate(int index) = 0;
    virtual void buildDateList() = 0;
    virtual void syncDateListSelection() = 0;

    // The loaded dates (tabs).
    virtual int tabCount() = 0;
    virtual int tabTag(int index) = 0;
    virtual QByteArray tabCaption(int index) = 0;
    virtual void activateTab(int index) = 0;
    // Adds a tab from chart lines; name is yyyymmdd.txt.
    virtual void addChartTable(const QString &name, const QList<QByteArray> &lines) = 0;
    // Loads a chart file chosen by the user as a new tab.
    virtual void loadChartFile(const QString &path) = 0;

    // Web fetch: the body converted to Shift-JIS, empty after a failure
    // (reported by the fetcher itself). proxyPort 0 means 80.
    virtual QByteArray fetch(const QByteArray &url, const QByteArray &proxyHost, int proxyPort) = 0;
    virtual qint64 receivedBytes() = 0;
    // The fetch as the driver retries and summarises it. quiet: the failure
    // goes into the run's summary instead of an error box of its own. Hosts
    // that only have fetch() get its page, failures unknown.
    // Whether a failure reported on its own stops for the user (an error
    // box): then a single date keeps that report and is not retried, so one
    // failure asks once; otherwise every run retries and summarises.
    virtual bool failureReportsWait() const { return true; }
    virtual FetchResult fetchPage(const QByteArray &url, const QByteArray &proxyHost, int proxyPort,
                                  bool quiet) {
        Q_UNUSED(quiet);
        FetchResult r;
        r.page = fetch(url, proxyHost, proxyPort);
        return r;
    }
    // The chart page parser; hosts normally keep this.
    virtual ResultGrid parsePage(const QByteArray &page, const ImportOptions &options) {
        return parsePageToGrid(page, options);
    }
    // Busy state around a fetch (date list disabled, connectionTimer on, hourglass).
    virtual void setBusy(bool busy) = 0;

    // Prompts, each naming the date (its label).
    virtual bool askRecordNotFound(const QByteArray &label) = 0;  // Yes/No "Not Found" question
    virtual void tellNotPublishedYet(const QByteArray &label) = 0;
    virtual void tellAllImported() = 0;  // "すべて取得されています。"
    // ConfirmData: shows the grid for editing; true when "取り込み".
    virtual bool confirmGrid(ResultGrid &grid) = 0;
    // File dialogs of the HTML and Text modes; empty when cancelled.
    virtual QString chooseHtmlFile(const QString &proposed) = 0;
    virtual QString chooseTextFile(const QString &proposed) = 0;

    // The bulk download dialog of a Web run of a date list.
    virtual void bulkBegin() = 0;
    virtual void bulkShow() = 0;  // a fetch starts: show it (first time)
    virtual void bulkStartDate(const QString &source, const QString &destination, qint64 expected) = 0;
    virtual void bulkFinishDate() = 0;
    virtual bool bulkCancelled() = 0;
    virtual void bulkEnd() = 0;
    // The bulk dialog's status line: retries and their waits ("" clears it).
    virtual void bulkStatus(const QString &text) { Q_UNUSED(text); }
    // The pauses between pages still to come, for the time-left estimate.
    virtual void bulkPlannedWait(qint64 ms) { Q_UNUSED(ms); }
    // After a run of one date (the dialog gone) that still failed after its
    // retries, where failures are not reported on their own (the CLI).
    // notTried: the dates left when the run gave up (kGiveUpAfterFailedDates).
    virtual void bulkSummary(const QList<FailedDate> &failures, int notTried) {
        Q_UNUSED(failures);
        Q_UNUSED(notTried);
    }
    // After a run of several dates (the dialog gone), however it ended short
    // of an error: one summary of the whole run instead of one box per
    // failure.
    virtual void bulkRunSummary(const BulkRunSummary &summary) { Q_UNUSED(summary); }

    // Progress of a run, for hosts that report each date (the CLI).
    enum class Outcome {
        Imported,          // stored (AutoSave) and added as a tab
        Rejected,          // the grid was dropped (shape check or "中止")
        NotFoundRecorded,  // a missing page, recorded in notfound.txt
        NotFound,          // a missing page, not recorded
        NotYet,            // a missing page of the newest week: not published yet
        AlreadyLoaded,     // the date has a tab: nothing imported
        Failed,            // the fetch failed (after its retries in a bulk run)
    };
    virtual void dateDone(const QByteArray &label, qint64 bytes, Outcome outcome) {
        Q_UNUSED(label);
        Q_UNUSED(bytes);
        Q_UNUSED(outcome);
    }

    // AlsoAssociatedFile: the automatic association update, without its
    // question.
    virtual void updateAssociationsAfterImport() = 0;
};

// A host without a screen (vorq import, benchmarks): a date list and the
// loaded dates as plain lists, nobody to ask and nothing to show. What it
// must still provide is the fetch.
class HeadlessImportHost : public ImportHost {
public:
    ImportOptions opts;
    QByteArray folder;
    QList<QByteArray> dates;
    QList<std::pair<int, QByteArray>> tabs;  // tag, caption
    int selected = -1;

    ImportOptions options() override { return opts; }
    QByteArray dataFolder() override { return folder; }
    QByteArray programFolder() override;
    int dateCount() override { return int(dates.size()); }
    QByteArray dateLabelAt(int index) override { return dates.at(index); }
    int selectedDate() override { return selected; }
    void selectDate(int index) override { selected = index; }
    void buildDateList() override {}
    void syncDateListSelection() override {}
    int tabCount() override { return int(tabs.size()); }
    int tabTag(int index) override { return tabs.at(index).first; }
    QByteArray tabCaption(int index) override { return tabs.at(index).second; }
    void activateTab(int) override {}
    void addChartTable(const QString &name, const QList<QByteArray> &lines) override;
    void loadChartFile(const QString &) override {}
    void setBusy(bool) override {}
    // Nobody to ask: a missing page is recorded only when IgnoreError and
    // AutoAddNotFound say so.
    bool askRecordNotFound(const QByteArray &) override { return false; }
    void tellNotPublishedYet(const QByteArray &) override {}
    void tellAllImported() override {}
    bool confirmGrid(ResultGrid &) override { return false; }
    QString chooseHtmlFile(const QString &) override { return {}; }
    QString chooseTextFile(const QString &) override { return {}; }
    void bulkBegin() override {}
    void bulkShow() override {}
    void bulkStartDate(const QString &, const QString &, qint64) override {}
    void bulkFinishDate() override {}
    bool bulkCancelled() override { return false; }
    void bulkEnd() override {}
    void updateAssociationsAfterImport() override {}
};

class ImportEngine {
public:
    explicit ImportEngine(ImportHost &host) : m_host(host) {}

    // Date-list indexes whose label is the caption of no tab, last first.
    QList<int> missingDates();
    void importMissingDates();
    void importDateList(const QList<int> &indexes);
    void importOneDate();

    // Accepts the grid (confirmation or shape check), saves it when
    // AutoSave is on and adds the tab. Returns whether it was accepted.
    bool acceptResultGrid(ResultGrid grid, const QString &name, const ImportOptions &options);

    // Whether a bulk run is current, and milliseconds since its current date
    // started (what connectionTimer hands the bulk dialog).
    bool bulkRunning() const { return m_bulk; }
    // The dates of the last bulk run that still failed after their retries.
    const QList<FailedDate> &failures() const { return m_failures; }
    // The dates the last bulk run left untried when it gave up.
    int notTried() const { return m_notTried; }
    // What the last bulk run came to (also for a run of one date).
    const BulkRunSummary &summary() const { return m_summary; }
    // Where the driver waits (pauses, backoff); the event-loop clock unless set.
    void setClock(Clock *clock) { m_clock = clock ? clock : &eventLoopClock(); }
    qint64 currentDateElapsed() const { return m_dateClock.isValid() ? m_dateClock.elapsed() : 0; }

private:
    ImportHost::Outcome notFoundHandling(const QDate &date, const QByteArray &label,
                                         const ImportOptions &options);

    // Tells the host how a date ended and counts it for the run's summary.
    void dateDone(const QByteArray &label, ImportHost::Outcome outcome, const QString &reason = {});

    FetchResult fetchWithRetries(const QByteArray &url, const QByteArray &proxyHost, int proxyPort,
                                 const ImportOptions &options);
    bool pauseBetweenPages(const ImportOptions &options);

    ImportHost &m_host;
    Clock *m_clock = &eventLoopClock();
    RetryPolicy m_policy;
    QList<FailedDate> m_failures;
    int m_notTried = 0;
    BulkRunSummary m_summary;
    qint64 m_lastFetchEndMs = -1;  // a bulk run's pause is counted from here
    bool m_bulk = false;
    // A run of several dates (or any run of a host whose reports do not
    // wait) retries failures and gathers them into one summary; a single
    // date in the window gets one attempt and the designed error box.
    bool m_gatherFailures = false;
    bool m_fetched = false;      // the current date made a fetch
    bool m_dateCounted = false;  // the current date has its outcome
    QElapsedTimer m_dateClock;
};

}  // namespace vorq
