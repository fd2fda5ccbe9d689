// The result window's playlist save writes M3U8 and XSPF by the chosen
// file's extension; .m3u stays the designed Shift-JIS path list.
#include <gtest/gtest.h>

#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "fakeshell.h"
#include "sjtest.h"
#include "ui/results/resultlistwindow.h"

using namespace vorq;
using vorq::test::ScopedFakes;

TEST(PlaylistSave, TheChosenExtensionDecidesTheForm) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ScopedFakes fakes;
    ResultListWindow w;
    ResultRow a, b;
    a.texts = {sj("2001年01月06日"), "1", sj("夜空"), sj("歌手"), sj("/曲/a.mp3"), {}, "1", "0"};
    b.texts = {sj("2001年01月13日"), "2", sj("海"), "B", {}, {}, "1", "0"};
    w.setRows({a, b});
    w.setLayoutMode(ResultListWindow::Playlist);
    w.setSongCount(2);
    auto read = [&](const char *name) {
        QFile f(dir.filePath(QString::fromLatin1(name)));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    };
    for (const char *name : {"list.m3u8", "list.xspf", "list.m3u"}) {
        fakes.prompter.files.push_back(dir.filePath(QString::fromLatin1(name)));
        QTest::mouseClick(w.savePlaylistButton, Qt::LeftButton);
    }
    EXPECT_EQ(read("list.m3u8"),
              QByteArray("#EXTM3U\n#EXTINF:-1,歌手 - 夜空\n/曲/a.mp3\n#EXTINF:-1,歌手 - 夜空\n/曲/a.mp3\n"));
    EXPECT_TRUE(read("list.xspf").contains("<location>file:///%E6%9B%B2/a.mp3</location>"))
        << read("list.xspf").constData();
    EXPECT_EQ(read("list.m3u"), sj("/曲/a.mp3\r\n/曲/a.mp3\r\n"));
    EXPECT_TRUE(fakes.prompter.errors().isEmpty());
}

TEST(PlaylistCopy, ListsOnlyWhatWasCopiedReportsFailuresOnceAndWritesNoneWhenCancelled) {
    QTemporaryDir src, dst;
    ScopedFakes fakes;
    std::unique_ptr<Shell> desktop = makeDesktopShell();
    setShell(desktop.get());
    ResultList rows;
    for (const char *name : {"a.mp3", "gone1.mp3", "gone2.mp3", "c.mp3"})
        rows.append(ResultRow::fromEntry(
            "d", {"1", "T", "A", sjis::fromUnicode(src.filePath(QLatin1String(name))), {}}));
    sjis::saveFile(src.filePath(QStringLiteral("a.mp3")), "a");
    sjis::saveFile(src.filePath(QStringLiteral("c.mp3")), "c");
    ResultListWindow w;
    w.setRows(rows);
    w.setSongCount(4);
    const QString list = dst.filePath(QStringLiteral("filelist.m3u"));
    fakes.prompter.files = {dst.path(), dst.path()};
    w.copyButton->click();
    const QByteArray to = sjis::fromUnicode(dst.path());
    EXPECT_EQ(sjis::readLines(list), QList<QByteArray>({to + "/a.mp3", to + "/c.mp3"}));
    ASSERT_EQ(fakes.prompter.errors().size(), 1);  // one summary naming both
    EXPECT_TRUE(fakes.prompter.errors().at(0).text.contains(QStringLiteral("gone2.mp3")));
    // Cancelled at the first question: nothing copied, no list.
    QFile::remove(list);
    fakes.prompter.answers = {QMessageBox::Cancel};
    w.copyButton->click();
    EXPECT_FALSE(QFile::exists(list));
}
