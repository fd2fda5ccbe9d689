// Kept versions of file.idx: which survive and their order; files too
// large to read. The model test checks that every write keeps what it
// replaced, vorq's test that a version comes back.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "core/base/errors.h"
#include "core/charts/chartstore.h"
#include "core/charts/indexfile.h"
#include "core/text/sjistext.h"

using namespace vorq;

namespace {

struct VersionsTest : ::testing::Test {
    QTemporaryDir dir;
    QByteArray folder() const { return sjis::fromUnicode(dir.path() + QLatin1Char('/')); }
    QStringList names() const {
        QStringList out;
        for (const IndexVersion &v : listIndexVersions(folder())) out << v.name;
        return out;
    }
};

const QDateTime kNow(QDate(2026, 4, 28), QTime(12, 0, 0));

}  // namespace

TEST_F(VersionsTest, TheNewestTwentyAndTheNewestOfEachOfThirtyDaysAreKept) {
    struct Case {
        const char *name;
        QList<QDateTime> saves;  // oldest first
        int kept;
        QList<const char *> mustStay, mustGo;
    };
    QList<QDateTime> hourly, daily, burst;
    for (int i = 0; i < 40; ++i) hourly << kNow.addSecs(-3600 * (39 - i));  // 40 saves in two days
    for (int i = 0; i < 60; ++i) daily << kNow.addDays(i - 59);             // one a day for 60 days
    for (int i = 0; i < 30; ++i) burst << kNow;                             // 30 in one second
    const QList<Case> cases = {
        // 20 newest (today and yesterday), plus yesterday's and the day
        // before's newest (one is among the 20 already).
        {"hourly",
         hourly,
         21,
         {"file-20260428-120000.idx", "file-20260426-230000.idx"},
         {"file-20260426-220000.idx"}},
        // 20 newest, and the 10 days of the last 30 not among them.
        {"daily", daily, 30, {"file-20260330-120000.idx"}, {"file-20260329-120000.idx"}},
        // Numbered in order within the second; the oldest go.
        {"one second", burst, 20, {"file-20260428-120000-30.idx"}, {"file-20260428-120000-10.idx"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QDir(dir.path() + QStringLiteral("/backup")).removeRecursively();
        for (const QDateTime &t : c.saves) keepIndexVersion(folder(), "x\r\n", t);
        const QStringList now = names();
        EXPECT_EQ(now.size(), c.kept) << now.join(QLatin1Char(' ')).toStdString();
        for (const char *n : c.mustStay) EXPECT_TRUE(now.contains(QLatin1String(n))) << n;
        for (const char *n : c.mustGo) EXPECT_FALSE(now.contains(QLatin1String(n))) << n;
        EXPECT_EQ(listIndexVersions(folder()).first().time, c.saves.last());  // newest first
    }
    // Files of other names in backup/ are left alone.
    sjis::saveFile(dir.path() + QStringLiteral("/backup/notes.txt"), "mine");
    pruneIndexVersions(folder(), kNow.addYears(1));
    EXPECT_TRUE(QFile::exists(dir.path() + QStringLiteral("/backup/notes.txt")));
    EXPECT_EQ(names().size(), kKeptNewest);
}

TEST_F(VersionsTest, IndexAndNotFoundListsAboveTheBoundAreRefusedNamingTheFile) {
    for (const char *name : {"file.idx", "notfound.txt"}) {
        SCOPED_TRACE(name);
        QFile f(dir.filePath(QString::fromLatin1(name)));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.resize(kMaxIndexFileBytes + 1));
        f.close();
        try {
            if (QByteArray(name) == "file.idx") {
                ChartStore store;
                store.dataFolder = folder();
                store.fullLoad(sjis::fromUnicode(QStringLiteral("1995年04月08日")),
                               sjis::fromUnicode(QStringLiteral("1995年04月08日")));
            } else {
                readNotFoundList(folder(), {});
            }
            ADD_FAILURE() << "read";
        } catch (const FileError &e) {
            EXPECT_TRUE(e.message().contains(f.fileName())) << e.message().toStdString();
        }
        QFile::remove(f.fileName());
    }
}
