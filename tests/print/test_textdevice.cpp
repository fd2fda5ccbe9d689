// The printer text device and list printing, read back from a PDF with
// pdftotext: cuts at the page width between double-byte characters, page
// breaks, and a whole list as the main window prints it.
#include <gtest/gtest.h>

#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "print/listprinting.h"
#include "print/textdevice.h"
#include "sjtest.h"

using namespace vorq;

namespace {

QString pdfText(const QString &pdf) {
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    if (!p.waitForFinished(30000)) return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

class TextDeviceTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString pdf;
    QPrinter printer;
    void SetUp() override {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
        pdf = dir.filePath(QStringLiteral("out.pdf"));
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setOutputFileName(pdf);
    }
    static QStringList nonEmptyLines(const QString &text) {
        QStringList out;
        for (const QString &l : text.split(QLatin1Char('\n')))
            if (!l.trimmed().isEmpty()) out << l.trimmed();
        return out;
    }
};

TEST_F(TextDeviceTest, ALineTooWideIsCutBetweenDoubleByteCharactersAndContinues) {
    const QString cycle = QStringLiteral("あいうえおかきくけこさしすせそ");
    QString text = QStringLiteral("AB");  // odd start, so a cut falls mid-text
    for (int i = 0; i < 12; ++i) text += cycle;
    TextDevice out(&printer);
    ASSERT_TRUE(out.begin());
    const QFontMetrics fm(TextDevice::listFont(), &printer);
    ASSERT_GT(fm.horizontalAdvance(text), printer.width());  // really too wide
    out.writeLine(text);
    out.writeLine(QStringLiteral("end"));
    out.end();
    const QStringList lines = nonEmptyLines(pdfText(pdf));
    ASSERT_GE(lines.size(), 3);
    EXPECT_EQ(lines.last(), QStringLiteral("end"));
    // Nothing lost or broken: the pieces join to the text again.
    QString joined;
    for (qsizetype i = 0; i + 1 < lines.size(); ++i) joined += QString(lines.at(i)).remove(QLatin1Char(' '));
    EXPECT_EQ(joined, text);
    // Each cut piece filled its line: one more character would not fit.
    const QString first = QString(lines.first()).remove(QLatin1Char(' '));
    EXPECT_LE(fm.horizontalAdvance(first), printer.width());
    EXPECT_GT(fm.horizontalAdvance(text.left(first.size() + 1)), printer.width());
}

TEST_F(TextDeviceTest, PagesBreakBeforeTheBottomAndNoBlankPageFollows) {
    TextDevice out(&printer);
    ASSERT_TRUE(out.begin());
    const QFontMetrics fm(TextDevice::listFont(), &printer);
    const int lineHeight = fm.height() + 2;
    // Lines per page: a new page starts when the next line would come
    // within two line heights of the bottom.
    int perPage = 1;
    while ((perPage + 2) * lineHeight <= printer.height()) ++perPage;
    const int lines = 2 * perPage;  // exactly two full pages
    for (int i = 0; i < lines; ++i) out.writeLine(QStringLiteral("line %1").arg(i));
    EXPECT_EQ(out.pageCount(), 2);
    out.end();
    const QString text = pdfText(pdf);
    const QStringList pages = text.split(QLatin1Char('\f'), Qt::SkipEmptyParts);
    QStringList nonBlank;
    for (const QString &p : pages)
        if (!p.trimmed().isEmpty()) nonBlank << p;
    ASSERT_EQ(nonBlank.size(), 2);
    EXPECT_EQ(nonEmptyLines(nonBlank.at(0)).size(), perPage);
    EXPECT_EQ(nonEmptyLines(nonBlank.at(1)).first(), QStringLiteral("line %1").arg(perPage));
    EXPECT_EQ(nonEmptyLines(nonBlank.at(1)).last(), QStringLiteral("line %1").arg(lines - 1));
}

TEST_F(TextDeviceTest, AListPrintsItsHeaderAndRowsInColumns) {
    const ChartTable table{{"1", sj("曲名いち"), "Artist A", "/m/a.mp3", ""},
                           {"2", "Title B", sj("歌手"), "", ""}};
    OutputChoice c;
    c.file = false;
    const ChartRows rows(table);
    const PrintLayout layout(chartCaptions(), rows, c, 0);
    QList<int> progress;  // what the wait dialog of a long print shows
    EXPECT_EQ(printList(&printer, layout, rows, [&](int p) { progress << p; }), 1);
    EXPECT_EQ(progress, QList<int>({50, 100}));
    const QStringList lines = nonEmptyLines(pdfText(pdf));
    ASSERT_EQ(lines.size(), 3);
    EXPECT_TRUE(lines.at(0).startsWith(u8("順位")));
    EXPECT_TRUE(lines.at(0).endsWith(u8("アーティスト名")));
    EXPECT_EQ(QString(lines.at(1)).simplified(), u8("1 曲名いち Artist A"));
    EXPECT_EQ(QString(lines.at(2)).simplified(), u8("2 Title B 歌手"));
}

}  // namespace
