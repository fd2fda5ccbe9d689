#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "chartsite.h"
#include "core/base/appenv.h"
#include "core/base/errors.h"
#include "core/charts/chartstore.h"
#include "core/import/importdriver.h"
#include "core/text/jconvert.h"
#include "core/text/sjistext.h"
#include "fakeclock.h"
#include "sjtest.h"

using namespace vorq;

namespace {

// A page the fake parser turns into a grid of the given shape:
// "GRID rows cols" (header row included).
QByteArray gridPage(int rows, int cols) {
    QByteArray page = "GRID " + QByteArray::number(rows) + ' ' + QByteArray::number(cols);
    return page + QByteArray(600, ' ');
}

QByteArray notFoundPage(int size) {
    QByteArray page = "<h1>Not Found</h1>The requested URL was not found";
    return page + QByteArray(size - page.size(), ' ');
}

struct FakeHost : ImportHost {
    ImportOptions opts;
    QByteArray folder;
    QByteArray progFolder;
    QList<QByteArray> dates;
    int selected = -1;
    QList<std::pair<int, QByteArray>> tabs;
    int active = -1;
    QHash<QByteArray, QByteArray> pages;  // url -> body
    QList<QByteArray> fetched;
    qint64 received = 0;
    int busyDepth = 0;
    bool askAnswer = false;
    int asked = 0, toldNotYet = 0, toldAll = 0, builds = 0, assocUpdates = 0;
    QString chosenFile;
    QList<QString> loaded;
    QList<qint64> expectations;
    int cancelAfterDates = -1, finished = 0, shown = 0;
    bool bulkOpen = false;
    std::function<void()> onFetch;
    // Scripted outcomes of fetchPage per URL, front first; afterwards the page.
    QHash<QByteArray, QList<FetchResult>> script;
    QList<bool> quietFetches;
    QStringList statuses;
    QList<FailedDate> summary;
    int summaries = 0, summaryNotTried = -1;
    BulkRunSummary run;  // the summary of the last run of several dates
    int runSummaries = 0;
    QList<QByteArray> askedFor, toldFor;  // the dates the prompts named
    std::function<bool(const QByteArray &)> answerFor;
    bool declineGrid = false;

    ImportOptions options() override { return opts; }
    QByteArray dataFolder() override { return folder; }
    QByteArray programFolder() override { return progFolder; }
    int dateCount() override { return int(dates.size()); }
    QByteArray dateLabelAt(int i) override { return dates.at(i); }
    int selectedDate() override { return selected; }
    void selectDate(int i) override { selected = i; }
    void buildDateList() override { ++builds; }
    void syncDateListSelection() override {}
    int tabCount() override { return int(tabs.size()); }
    int tabTag(int i) override { return tabs.at(i).first; }
    QByteArray tabCaption(int i) override { return tabs.at(i).second; }
    void activateTab(int i) override { active = i; }
    void addChartTable(const QString &name, const QList<QByteArray> &) override {
        const int tag = name.left(8).toInt();
        tabs.append({tag, dateLabelFromTag(tag)});
        active = int(tabs.size()) - 1;
    }
    void loadChartFile(const QString &path) override { loaded.append(path); }
    QByteArray fetch(const QByteArray &url, const QByteArray &, int) override {
        EXPECT_GT(busyDepth, 0);
        fetched.append(url);
        if (onFetch) onFetch();
        const QByteArray page = pages.value(url);
        received = page.size();
        return page;
    }
    qint64 receivedBytes() override { return received; }
    FetchResult fetchPage(const QByteArray &url, const QByteArray &proxyHost, int proxyPort,
                          bool quiet) override {
        quietFetches.append(quiet);
        QList<FetchResult> &left = script[url];
        if (left.isEmpty()) return ImportHost::fetchPage(url, proxyHost, proxyPort, quiet);
        fetched.append(url);
        return left.takeFirst();
    }
    void bulkStatus(const QString &text) override { statuses.append(text); }
    void bulkSummary(const QList<FailedDate> &failures, int notTried) override {
        ++summaries;
        summary = failures;
        summaryNotTried = notTried;
        EXPECT_FALSE(bulkOpen);  // shown once the dialog is gone
    }
    void bulkRunSummary(const BulkRunSummary &s) override {
        ++runSummaries;
        run = s;
        EXPECT_FALSE(bulkOpen);
    }
    ResultGrid parsePage(const QByteArray &page, const ImportOptions &options) override {
        const QList<QByteArray> parts = page.left(20).simplified().split(' ');
        if (parts.size() < 3 || parts[0] != "GRID") return ImportHost::parsePage(page, options);
        ResultGrid g;
        const int rows = parts[1].toInt(), cols = parts[2].toInt();
        g.resize(cols, rows);
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < cols; ++c) g.setCell(c, r, c == 0 ? QByteArray::number(r) : "cell");
        return g;
    }
    void setBusy(bool b) override { busyDepth += b ? 1 : -1; }
    bool askRecordNotFound(const QByteArray &label) override {
        ++asked;
        askedFor.append(label);
        return answerFor ? answerFor(label) : askAnswer;
    }
    void tellNotPublishedYet(const QByteArray &label) override {
        ++toldNotYet;
        toldFor.append(label);
    }
    void tellAllImported() override { ++toldAll; }
    bool confirmGrid(ResultGrid &grid) override {
        if (declineGrid) return false;
        grid.setCell(0, 1, "x");  // the user spoils the rank
        return true;
    }
    QString chooseHtmlFile(const QString &) override { return chosenFile; }
    QString chooseTextFile(const QString &) override { return chosenFile; }
    void bulkBegin() override { bulkOpen = true; }
    void bulkShow() override { ++shown; }
    void bulkStartDate(const QString &, const QString &, qint64 expected) override {
        expectations.append(expected);
    }
    void bulkFinishDate() override { ++finished; }
    bool bulkCancelled() override { return cancelAfterDates >= 0 && finished >= cancelAfterDates; }
    void bulkEnd() override { bulkOpen = false; }
    void updateAssociationsAfterImport() override { ++assocUpdates; }
};

class ImportEngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        host.folder = sjis::fromUnicode(dir.path() + QStringLiteral("/data/"));
        host.progFolder = sjis::fromUnicode(dir.path() + QStringLiteral("/prog/"));
        QDir().mkpath(dir.path() + QStringLiteral("/prog"));
        host.opts.urlTemplate = "'http://h/'yyyymmdd'.html'";
        env::setToday(QDate(2001, 4, 21));
        for (QDate d(2001, 3, 3); d < QDate(2001, 4, 21); d = d.addDays(7)) host.dates.append(dateLabel(d));
    }
    void TearDown() override { env::setToday(QDate()); }
    QByteArray urlOf(const QDate &d) { return "http://h/" + dateKey(d) + ".html"; }
    int indexOf(const QDate &d) { return int(host.dates.indexOf(dateLabel(d))); }
    QString dataFile(const char *name) { return dir.path() + QStringLiteral("/data/") + QLatin1String(name); }

    QTemporaryDir dir;
    FakeHost host;
    ImportEngine engine{host};
};

}  // namespace

TEST(ImportTexts, UrlTemplateFormatsTheDate) {
    const QDate d(2001, 4, 7);
    EXPECT_TRUE(formatDatePattern(defaultUrlTemplate(), d).endsWith("/vorq/cddb/countdown20010407-j.html"));
    EXPECT_EQ(formatDatePattern(defaultUrlTemplate(), d).left(7), "http://");
    EXPECT_EQ(formatDatePattern("'a/'yy'-'m'-'d", d), "a/01-4-7");
    EXPECT_EQ(formatDatePattern("\"dm\"YYYYMMDD", d), "dm20010407");
    EXPECT_EQ(formatDatePattern("yyy-yyyyy", d), "2001-2001");
    // Letters outside quotes in longer runs stay, other text stays too.
    EXPECT_EQ(formatDatePattern("x-dddd.mmm", d), "x-dddd.mmm");
    // An unterminated quote runs to the end.
    EXPECT_EQ(formatDatePattern("dd'mm", d), "07mm");
    // A two-byte character whose trail byte looks like "m" (0x6D) is kept.
    EXPECT_EQ(formatDatePattern(QByteArray("\x83\x6D") + "dd", d), QByteArray("\x83\x6D") + "07");
}

TEST(ImportTexts, LongTargetIsShortened) {
    const QDate d(2001, 4, 7);
    EXPECT_EQ(bulkTargetText(QStringLiteral("C:\\Documents and Settings\\user\\Application Data\\x\\"), d),
              QStringLiteral("C:\\...\\20010407.txt"));
    EXPECT_EQ(bulkTargetText(QStringLiteral("/home/someone/.local/share/Brelon/vorqview/data/"), d),
              QStringLiteral("/home/.../20010407.txt"));
    const QString fifty = QStringLiteral("/d/") + QString(35, QLatin1Char('a')) + QStringLiteral("/");
    ASSERT_EQ(fifty.size() + 12, 51);
    EXPECT_EQ(bulkTargetText(fifty.left(fifty.size() - 2) + QStringLiteral("/"), d).size(), 50);  // kept
    EXPECT_EQ(bulkTargetText(fifty, d), QStringLiteral("/d/.../20010407.txt"));
    EXPECT_EQ(shortenTarget(QString(60, QLatin1Char('r')) + QStringLiteral("/f.txt")),
              QString(60, QLatin1Char('r')) + QStringLiteral("/.../f.txt"));
}

TEST(ImportTexts, ExpectationFollowsTheAverage) {
    EXPECT_EQ(initialExpectation(10), 400000);
    EXPECT_EQ(nextExpectation(10, 30000, 1), 300000);
    EXPECT_EQ(nextExpectation(3, 10, 3), 10);
    EXPECT_EQ(nextExpectation(3, 10, 2), 15);
}

TEST(ImportTexts, NotFoundPageIsShortAndNamesTheUrl) {
    EXPECT_TRUE(isNotFoundPage(notFoundPage(499)));
    EXPECT_FALSE(isNotFoundPage(notFoundPage(500)));
    EXPECT_FALSE(isNotFoundPage(QByteArray(100, 'x')));
    EXPECT_FALSE(isNotFoundPage("the requested url"));  // exact text only
}

// Broadcast dates are Saturdays: whichever weekday today is, the newest
// week and anything within a week of today are never final.
TEST(ImportTexts, TheNewestWeekIsNeverFinal) {
    struct Case {
        QDate today, newest, final;
    } const cases[] = {{QDate(2001, 4, 21), QDate(2001, 4, 14), QDate(2001, 4, 7)},
                       {QDate(2001, 4, 22), QDate(2001, 4, 21), QDate(2001, 4, 14)}};
    for (const Case &c : cases) {
        EXPECT_EQ(lastBroadcastBefore(c.today), c.newest);
        EXPECT_FALSE(notFoundIsFinal(c.newest, c.today));
        EXPECT_FALSE(notFoundIsFinal(c.today.addDays(-7), c.today));
        EXPECT_FALSE(notFoundIsFinal(c.today.addDays(3), c.today));
        EXPECT_TRUE(notFoundIsFinal(c.final, c.today));
    }
}

TEST(ImportTexts, GridShapeNeeds96RowsAndThreeColumns) {
    ResultGrid g;
    g.resize(3, 96);
    for (int r = 0; r < 96; ++r) {
        g.setCell(0, r, "1");
        g.setCell(1, r, "t");
        g.setCell(2, r, "a");
    }
    EXPECT_TRUE(gridHasChartShape(g));
    g.resize(3, 95);
    EXPECT_FALSE(gridHasChartShape(g));
    g.resize(4, 96);
    EXPECT_FALSE(gridHasChartShape(g));
    g.resize(3, 96);
    g.setCell(0, 95, "1");
    g.setCell(1, 95, "t");
    g.setCell(2, 95, "a");
    const auto lines = chartLinesFromGrid(g);
    EXPECT_EQ(lines.size(), 95);
    EXPECT_EQ(lines.first(), "1\tt\ta");
}

TEST(ImportTexts, NotFoundListMergesTheProgramFoldersCopy) {
    QTemporaryDir dir;
    const QByteArray data = sjis::fromUnicode(dir.path() + QStringLiteral("/data/"));
    const QByteArray prog = sjis::fromUnicode(dir.path() + QStringLiteral("/prog/"));
    const QByteArray a = dateLabel(QDate(1996, 1, 6)), b = dateLabel(QDate(1997, 1, 4)),
                     c = dateLabel(QDate(1998, 1, 3));
    // No program copy: appended, order kept, the missing data folder made.
    recordNotFound(data, prog, c);
    recordNotFound(data, prog, a);
    EXPECT_EQ(sjis::readLines(sjis::path(data + "notfound.txt")), (QList<QByteArray>{c, a}));
    // With a program copy: sorted, its new lines merged, no duplicates added.
    QDir().mkpath(sjis::path(prog));
    sjis::saveLines(sjis::path(prog + "notfound.txt"), {a, b});
    recordNotFound(data, prog, dateLabel(QDate(1995, 12, 30)));
    EXPECT_EQ(sjis::readLines(sjis::path(data + "notfound.txt")),
              (QList<QByteArray>{dateLabel(QDate(1995, 12, 30)), a, b, c}));
    EXPECT_EQ(sjis::readLines(sjis::path(prog + "notfound.txt")), (QList<QByteArray>{a, b}));
    const QByteArray raw = sjis::readFile(sjis::path(data + "notfound.txt"));
    EXPECT_TRUE(raw.endsWith("\r\n"));
}

TEST_F(ImportEngineTest, MissingPageLongAgoIsRecordedSilently) {
    const QDate d(2001, 4, 7);  // 14 days before today
    host.pages[urlOf(d)] = notFoundPage(300);
    host.opts.alsoAssociatedFile = true;
    host.selectDate(indexOf(d));
    engine.importDateList({indexOf(d)});
    EXPECT_EQ(host.asked, 0);
    EXPECT_EQ(host.builds, 1);
    EXPECT_EQ(sjis::readLines(dataFile("notfound.txt")), QList<QByteArray>{dateLabel(d)});
    EXPECT_EQ(host.assocUpdates, 0);  // skipped for a missing page
    EXPECT_EQ(host.busyDepth, 0);
    EXPECT_EQ(host.shown, 1);
}

// The newest week (a week before today, a Saturday) is only late: no
// setting and no answer records it; the notice names it unless errors are
// ignored.
TEST_F(ImportEngineTest, TheNewestWeekIsNeverRecorded) {
    const QDate newest(2001, 4, 14);
    host.pages[urlOf(newest)] = notFoundPage(300);
    host.askAnswer = true;
    for (const int settings : {0, 1, 2, 3}) {  // IgnoreError and AutoAddNotFound, each on and off
        host.opts.ignoreError = settings & 1;
        host.opts.autoAddNotFound = settings & 2;
        host.toldFor.clear();
        engine.importDateList({indexOf(newest), indexOf(QDate(2001, 4, 7))});
        EXPECT_FALSE(QFile::exists(dataFile("notfound.txt")));
        EXPECT_EQ(host.toldFor, settings & 1 ? QList<QByteArray>() : QList<QByteArray>{dateLabel(newest)});
        EXPECT_EQ(host.run.notFound.value(0).what, BulkRunSummary::Missing::NotYet);
    }
    EXPECT_EQ(host.asked, 0);
    EXPECT_EQ(host.builds, 0);
}

TEST_F(ImportEngineTest, MissingPageQuestionAnsweredNoRecordsNothing) {
    const QDate d(2001, 3, 17);
    host.pages[urlOf(d)] = notFoundPage(200);
    host.opts.ignoreError = false;
    engine.importDateList({indexOf(d)});
    EXPECT_EQ(host.asked, 1);
    EXPECT_FALSE(QFile::exists(dataFile("notfound.txt")));
    host.opts.ignoreError = true;
    host.opts.autoAddNotFound = false;  // IgnoreError answers No by itself
    engine.importDateList({indexOf(d)});
    EXPECT_EQ(host.asked, 1);
    EXPECT_FALSE(QFile::exists(dataFile("notfound.txt")));
}

TEST_F(ImportEngineTest, ChartIsStoredWhenItHas95Songs) {
    const QDate a(2001, 3, 3), b(2001, 3, 10), c(2001, 3, 17);
    host.pages[urlOf(a)] = gridPage(96, 3);
    host.pages[urlOf(b)] = gridPage(95, 3);
    host.pages[urlOf(c)] = gridPage(120, 4);
    host.opts.alsoAssociatedFile = true;
    engine.importDateList({indexOf(a), indexOf(b), indexOf(c)});
    EXPECT_EQ(host.fetched.size(), 3);
    ASSERT_EQ(host.tabs.size(), 1);
    EXPECT_EQ(host.tabs[0].first, 20010303);
    const auto lines = sjis::readLines(dataFile("20010303.txt"));
    ASSERT_EQ(lines.size(), 95);
    EXPECT_EQ(lines[0], "1\tcell\tcell");
    EXPECT_FALSE(QFile::exists(dataFile("20010310.txt")));
    EXPECT_FALSE(QFile::exists(dataFile("20010317.txt")));
    EXPECT_EQ(host.assocUpdates, 3);
}

TEST_F(ImportEngineTest, AutoSaveOffAddsTheTabOnly) {
    const QDate a(2001, 3, 3);
    host.pages[urlOf(a)] = gridPage(101, 3);
    host.opts.autoSave = false;
    engine.importDateList({indexOf(a)});
    EXPECT_EQ(host.tabs.size(), 1);
    EXPECT_FALSE(QFile::exists(dataFile("20010303.txt")));
}

TEST_F(ImportEngineTest, ConfirmedGridWithABadRankIsNotWritten) {
    const QDate a(2001, 3, 3);
    host.pages[urlOf(a)] = gridPage(10, 3);
    host.opts.confirmData = true;
    EXPECT_THROW(engine.importDateList({indexOf(a)}), ConvertError);
    EXPECT_FALSE(QFile::exists(dataFile("20010303.txt")));
    EXPECT_TRUE(host.tabs.isEmpty());
    EXPECT_FALSE(host.bulkOpen);  // the run's dialog is released
}

TEST_F(ImportEngineTest, BulkExpectationIsTheAverageTimesTheDates) {
    QList<int> all;
    for (int i = int(host.dates.size()) - 1; i >= 0; --i) {
        all.append(i);
        host.pages[urlOf(*dateFromLabel(host.dates[i]))] = gridPage(96, 3).leftJustified(30000, ' ');
    }
    const int n = int(all.size());
    ASSERT_EQ(n, 7);
    EXPECT_EQ(engine.missingDates(), all);
    engine.importMissingDates();
    ASSERT_EQ(host.expectations.size(), n);
    EXPECT_EQ(host.expectations[0], n * 40000);
    EXPECT_EQ(host.expectations[1], n * 30000);
    EXPECT_EQ(host.tabs.size(), n);
    EXPECT_TRUE(engine.missingDates().isEmpty());
    engine.importMissingDates();
    EXPECT_EQ(host.toldAll, 1);
}

TEST_F(ImportEngineTest, CancelStopsBeforeTheNextDate) {
    for (const QByteArray &label : host.dates) host.pages[urlOf(*dateFromLabel(label))] = gridPage(96, 3);
    host.cancelAfterDates = 1;
    engine.importMissingDates();
    EXPECT_EQ(host.fetched.size(), 1);
    EXPECT_FALSE(host.bulkOpen);
}

TEST_F(ImportEngineTest, DateWithATabIsOnlyActivatedInEveryMode) {
    const QDate a(2001, 3, 10);
    host.tabs.append({20010303, dateLabel(QDate(2001, 3, 3))});
    host.tabs.append({dateTag(a), dateLabel(a)});
    for (ImportMode mode : {ImportMode::Web, ImportMode::Html, ImportMode::Text, ImportMode::None}) {
        host.opts.mode = mode;
        host.active = -1;
        host.chosenFile = QStringLiteral("/nonexistent");
        engine.importDateList({indexOf(a)});
        EXPECT_EQ(host.active, 1);
    }
    EXPECT_TRUE(host.fetched.isEmpty());
    EXPECT_EQ(host.shown, 0);  // the bulk dialog never showed
}

TEST_F(ImportEngineTest, NoneModeImportsNothing) {
    host.opts.mode = ImportMode::None;
    host.opts.alsoAssociatedFile = true;
    engine.importDateList({indexOf(QDate(2001, 3, 3))});
    EXPECT_TRUE(host.fetched.isEmpty());
    EXPECT_TRUE(host.tabs.isEmpty());
    EXPECT_EQ(host.assocUpdates, 0);
    EXPECT_EQ(host.selected, indexOf(QDate(2001, 3, 3)));
}

TEST_F(ImportEngineTest, TextModeLoadsTheChosenFile) {
    host.opts.mode = ImportMode::Text;
    const QString chosen = dir.path() + QStringLiteral("/20010407.txt");
    sjis::saveLines(chosen, {"1\tt\ta"});
    host.chosenFile = chosen;
    engine.importDateList({indexOf(QDate(2001, 3, 3))});
    EXPECT_EQ(host.loaded, QList<QString>{chosen});
    host.chosenFile.clear();  // cancelled
    engine.importDateList({indexOf(QDate(2001, 3, 3))});
    EXPECT_EQ(host.loaded.size(), 1);
}

TEST_F(ImportEngineTest, ProxyPortThatIsNoNumberEndsTheRunCleanly) {
    host.opts.useProxy = true;
    host.opts.proxyAddr = "proxy";
    host.opts.proxyPort = "80a";
    EXPECT_THROW(engine.importMissingDates(), ConvertError);
    EXPECT_EQ(host.busyDepth, 0);
    EXPECT_FALSE(host.bulkOpen);
    EXPECT_TRUE(host.fetched.isEmpty());
}

TEST_F(ImportEngineTest, RealPagesOf95SongsAreStoredAnd94AreNot) {
    const QDate a(2001, 3, 3), b(2001, 3, 10);
    host.pages[urlOf(a)] = test::chartPageSjis(a, 95);
    host.pages[urlOf(b)] = test::chartPageSjis(b, 94);
    engine.importDateList({indexOf(b), indexOf(a)});
    ASSERT_EQ(host.tabs.size(), 1);
    EXPECT_EQ(host.tabs[0].first, 20010303);
    EXPECT_EQ(sjis::readLines(dataFile("20010303.txt")).size(), 95);
    EXPECT_FALSE(QFile::exists(dataFile("20010310.txt")));
}

TEST_F(ImportEngineTest, HtmlModeConvertsASavedPage) {
    const QDate a(2001, 3, 3);
    host.opts.mode = ImportMode::Html;
    const QString saved = dir.path() + QStringLiteral("/saved.html");
    // Saved in EUC-JP with LF line ends.
    QByteArray page = ConvertJapanese(test::chartPageSjis(a, 100), CodeEuc);
    page.replace("\r\n", "\n");
    sjis::saveFile(saved, page);
    host.chosenFile = saved;
    engine.importDateList({indexOf(a)});
    ASSERT_EQ(host.tabs.size(), 1);
    const QList<QByteArray> lines = sjis::readLines(dataFile("20010303.txt"));
    ASSERT_EQ(lines.size(), 100);
    // The same chart as the Shift-JIS page gives.
    ImportOptions o;
    EXPECT_EQ(lines, chartLinesFromGrid(parsePageToGrid(test::chartPageSjis(a, 100), o)));
    // A chosen file that does not exist imports nothing.
    host.tabs.clear();
    host.chosenFile = dir.path() + QStringLiteral("/gone.html");
    engine.importDateList({indexOf(a)});
    EXPECT_TRUE(host.tabs.isEmpty());
}

namespace {
FetchResult failure(const char *why, bool retryable, int retryAfter = -1) {
    FetchResult r;
    r.kind = FetchResult::Kind::Failed;
    r.failure = QString::fromUtf8(why);
    r.retryable = retryable;
    r.retryAfterSeconds = retryAfter;
    return r;
}
}  // namespace

TEST(FetchPolicy, BackoffDoublesWithJitterAndRetryAfterWins) {
    const RetryPolicy p;
    FetchResult f = failure("x", true);
    EXPECT_EQ(p.waitBeforeRetry(1, f, 0.0), 2000);
    EXPECT_EQ(p.waitBeforeRetry(2, f, 0.0), 4000);
    EXPECT_EQ(p.waitBeforeRetry(3, f, 0.0), 8000);
    EXPECT_EQ(p.waitBeforeRetry(3, f, 0.999999), 11999);
    EXPECT_EQ(p.waitBeforeRetry(30, f, 0.5), 600000);  // never above the cap
    f.retryAfterSeconds = 0;
    EXPECT_EQ(p.waitBeforeRetry(2, f, 0.9), 0);
    f.retryAfterSeconds = 42;
    EXPECT_EQ(p.waitBeforeRetry(1, f, 0.9), 42000);
    EXPECT_EQ(retryStatusText(2, 3, 4001, u8("a\r\nb")), u8("再試行 2/3 (5 秒後): a b"));
}

TEST_F(ImportEngineTest, BulkRunRetriesPausesAndSummarisesWhatStillFailed) {
    test::FakeClock clock;
    clock.fixedJitter = 0;
    engine.setClock(&clock);
    host.opts.pageDelayMs = 1000;
    const QDate a(2001, 4, 14), b(2001, 4, 7), c(2001, 3, 31);
    for (const QByteArray &label : host.dates) host.pages[urlOf(*dateFromLabel(label))] = gridPage(96, 3);
    host.script[urlOf(a)] = {failure("reset", true), failure("busy", true, 7)};  // then the page
    host.script[urlOf(b)] = {failure("t1", true), failure("t2", true), failure("t3", true),
                             failure("t4", true)};
    host.script[urlOf(c)] = {failure("HTTP 403", false)};
    engine.importDateList({indexOf(a), indexOf(b), indexOf(c)});

    // a: backoff 2 s, then the server's 7 s; pause; b: 2, 4, 8 s, gives up;
    // pause; c: not worth retrying.
    EXPECT_EQ(clock.waits, (QList<qint64>{2000, 7000, 1000, 2000, 4000, 8000, 1000}));
    EXPECT_TRUE(QFile::exists(dataFile("20010414.txt")));
    EXPECT_FALSE(QFile::exists(dataFile("20010407.txt")));
    EXPECT_EQ(host.statuses.count(u8("再試行 1/3 (2 秒後): reset")), 1);
    EXPECT_EQ(host.statuses.count(u8("再試行 2/3 (7 秒後): busy")), 1);
    EXPECT_EQ(host.statuses.count(u8("再試行 3/3 (8 秒後): t3")), 1);
    ASSERT_EQ(host.runSummaries, 1);
    ASSERT_EQ(host.run.failed.size(), 2);
    EXPECT_EQ(host.run.failed[0].label, dateLabel(b));
    EXPECT_EQ(host.run.failed[0].reason, u8("t4"));
    EXPECT_EQ(host.run.failed[1].reason, u8("HTTP 403"));
    EXPECT_EQ(engine.failures().size(), 2);
    EXPECT_TRUE(std::all_of(host.quietFetches.begin(), host.quietFetches.end(), [](bool q) { return q; }));
    const QString text = bulkSummaryText(host.run);
    EXPECT_TRUE(text.contains(u8("  2001年04月07日: t4\r\n  2001年03月31日: HTTP 403")))
        << text.toStdString();

    // A single date is fetched once, with its own error box.
    host.script[urlOf(b)] = {failure("again", true)};
    host.selected = indexOf(b);
    engine.importOneDate();
    EXPECT_EQ(host.quietFetches.last(), false);
    EXPECT_EQ(clock.waits.size(), 7);
    EXPECT_EQ(host.summaries + host.runSummaries, 1);
}

TEST_F(ImportEngineTest, FiveFailedDatesInARowEndTheRunAndAFetchedDateResetsTheCount) {
    test::FakeClock clock;
    engine.setClock(&clock);
    host.opts.retries = 0;
    host.dates.clear();
    for (QDate d(2001, 1, 6); d < QDate(2001, 4, 21); d = d.addDays(7)) host.dates.append(dateLabel(d));
    QList<int> run;  // newest first: four fail, one fetches, then every one fails
    for (int i = int(host.dates.size()) - 1; i >= 0; --i) {
        const QByteArray url = urlOf(*dateFromLabel(host.dates[i]));
        host.pages[url] = notFoundPage(600);
        if (run.size() != 4) host.script[url] = {failure("down", true)};
        run.append(i);
    }
    engine.importDateList(run);

    EXPECT_EQ(host.fetched.size(), 10);  // 4 + 1 + 5, then it gave up
    ASSERT_EQ(host.runSummaries, 1);
    // Nine fetches failed; the page that came is no chart, a failure too.
    ASSERT_EQ(host.run.failed.size(), 10);
    EXPECT_TRUE(host.run.failed[4].reason.contains(u8("チャート")));
    EXPECT_EQ(host.run.stop, BulkRunSummary::Stop::GaveUp);
    EXPECT_EQ(host.run.skipped.size(), run.size() - 10);
    EXPECT_EQ(engine.notTried(), int(run.size()) - 10);
    EXPECT_TRUE(bulkSummaryText(host.run).contains(
        u8("5 件続けて取得できなかったため、残りの 5 件は取得せずに終了しました。")));

    // Failing up to the last date is not giving up: nothing was left.
    for (int i : run) host.script[urlOf(*dateFromLabel(host.dates[i]))] = {failure("down", true)};
    engine.importDateList(run.mid(run.size() - 5));
    EXPECT_TRUE(host.run.skipped.isEmpty());
    EXPECT_FALSE(bulkSummaryText(host.run).contains(u8("続けて")));
}

TEST_F(ImportEngineTest, CancelDuringABackoffKeepsNothingAndTheNextRunResumes) {
    test::FakeClock clock;
    engine.setClock(&clock);
    for (const QByteArray &label : host.dates) host.pages[urlOf(*dateFromLabel(label))] = gridPage(96, 3);
    const QDate second(2001, 4, 7);
    host.script[urlOf(second)] = {failure("reset", true)};
    clock.duringWait = [&] { host.cancelAfterDates = 0; };  // the user clicks "キャンセル"
    engine.importMissingDates();
    EXPECT_EQ(host.tabs.size(), 1);  // the newest date, before the failure
    EXPECT_FALSE(QFile::exists(dataFile("20010407.txt")));
    // The summary counts the cancelled date and those after it as skipped.
    ASSERT_EQ(host.runSummaries, 1);
    EXPECT_EQ(host.run.stop, BulkRunSummary::Stop::Cancelled);
    EXPECT_EQ(host.run.imported, 1);
    EXPECT_EQ(host.run.skipped.size(), host.dates.size() - 1);
    EXPECT_EQ(host.run.skipped.first(), dateLabel(second));

    // The next run computes the missing dates again and starts with that one.
    host.cancelAfterDates = -1;
    clock.duringWait = nullptr;
    host.fetched.clear();
    engine.importMissingDates();
    ASSERT_FALSE(host.fetched.isEmpty());
    EXPECT_EQ(host.fetched.first(), urlOf(second));
    EXPECT_EQ(host.tabs.size(), host.dates.size());
    EXPECT_TRUE(engine.missingDates().isEmpty());
}

// One run meets every outcome: the summary counts each date once, in the
// kind the user needs to know, and names the dates of all but the imports.
TEST_F(ImportEngineTest, ARunOfSeveralDatesEndsWithOneSummaryOfEveryOutcome) {
    test::FakeClock clock;
    engine.setClock(&clock);
    host.opts.ignoreError = false;  // the question is asked, answered by date
    host.opts.retries = 0;
    const QDate newest(2001, 4, 14), recorded(2001, 3, 31), kept(2001, 3, 24), failed(2001, 3, 17),
        noChart(2001, 3, 10), declined(2001, 3, 3);
    for (const QDate &d : {newest, recorded, kept}) host.pages[urlOf(d)] = notFoundPage(300);
    host.pages[urlOf(QDate(2001, 4, 7))] = host.pages[urlOf(declined)] = gridPage(96, 3);
    host.script[urlOf(failed)] = {failure("refused", true)};
    host.pages[urlOf(noChart)] = gridPage(40, 3);
    host.answerFor = [&](const QByteArray &label) { return label == dateLabel(recorded); };
    // The last date is shown for confirmation (options are read as a date
    // starts: set while the one before it is fetched) and declined.
    host.onFetch = [&] { host.opts.confirmData = host.fetched.last() == urlOf(noChart); };
    host.declineGrid = true;
    engine.importMissingDates();

    ASSERT_EQ(host.runSummaries, 1);
    const BulkRunSummary &r = host.run;
    EXPECT_EQ(r.dates, 7);
    EXPECT_EQ(r.imported, 1);
    ASSERT_EQ(r.notFound.size(), 3);
    using M = BulkRunSummary::Missing;
    EXPECT_EQ(QList<M>({r.notFound[0].what, r.notFound[1].what, r.notFound[2].what}),
              QList<M>({M::NotYet, M::Recorded, M::NotRecorded}));
    ASSERT_EQ(r.failed.size(), 2);
    EXPECT_EQ(r.failed[0].label, dateLabel(failed));
    EXPECT_EQ(r.failed[1].label, dateLabel(noChart));
    EXPECT_EQ(r.skipped, QList<QByteArray>{dateLabel(declined)});
    EXPECT_EQ(host.askedFor, (QList<QByteArray>{dateLabel(recorded), dateLabel(kept)}));
    EXPECT_EQ(sjis::readLines(dataFile("notfound.txt")), QList<QByteArray>{dateLabel(recorded)});
    EXPECT_TRUE(
        bulkSummaryText(r).contains(u8("  2001年04月14日 (最新の週: まだ掲載されていないようです。")));
}

// A long run stopped early lists ten dates of a kind and counts the rest,
// so its box fits a screen; a reason stays on one line.
TEST(BulkSummary, LongListsAreCutAfterTenDates) {
    BulkRunSummary s{
        1600, 0, {}, {{dateLabel(QDate(2020, 1, 4)), u8("a\r\nb")}}, {}, BulkRunSummary::Stop::Cancelled,
        1598};
    for (QDate d(1995, 4, 8); s.skipped.size() < 1598; d = d.addDays(7)) s.skipped.append(dateLabel(d));
    const QString text = bulkSummaryText(s);
    EXPECT_TRUE(text.contains(u8("  1995年06月10日\r\n  ほか 1588 件\r\n"))) << text.toStdString();
    EXPECT_TRUE(text.contains(u8("  2020年01月04日: a b\r\n")));
    EXPECT_LT(text.count(QStringLiteral("\r\n")), 30);
}
