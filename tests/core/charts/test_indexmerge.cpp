// The disk's file.idx read again, against the literal rules. The model
// test (tests/ui/mainwindow/test_associationmodel) drives the save.
#include <gtest/gtest.h>

#include <QRandomGenerator>

#include "core/charts/chartstore.h"
#include "core/charts/indexmerge.h"
#include "core/text/sjistext.h"
#include "indexmerge_literal.h"

using namespace vorq;
using Lines = QList<QByteArray>;

// The fast reading of the disk against its literal form, over random
// sequences of files: what is held, whether a loss stands, and the rows.
TEST(IndexAdopt, MatchesTheLiteralRulesOverRandomFiles) {
    QRandomGenerator random(20260428);
    Lines chart;
    for (int r = 1; r <= 12; ++r) chart << QByteArray::number(r) + "\tT\tA";
    for (int round = 0; round < 300; ++round) {
        ChartStore store;
        store.addChartTable(QStringLiteral("19950408.txt"), 0, chart);
        test::LiteralIndex literal;
        for (int step = 0; step < 12; ++step) {
            IndexFile disk;
            disk.exists = random.bounded(8) != 0;
            Lines lines;
            if (disk.exists) {
                const int n = int(random.bounded(14));
                for (int i = 0; i < n; ++i) {
                    const QByteArray key =
                        "199504080" + QByteArray::number(1 + random.bounded(12)).rightJustified(2, '0');
                    const QByteArray file = key + "\t/f" + QByteArray::number(random.bounded(3));
                    // Whole lines mostly; a keyless one, one cut before its TAB, one without the last TAB.
                    const QByteArray forms[] = {"no tab here", key, file, file + '\t'};
                    lines << forms[qMin(3, int(random.bounded(20)))];
                }
            }
            disk.data = sjis::joinLines(lines);
            // Now and then a copy cut short, inside or at the end of a line.
            if (!lines.isEmpty() && random.bounded(4) == 0) disk.data.chop(2 + random.bounded(4));
            disk.lines = lineViews(disk.data);
            adoptDiskIndex(store, disk);
            literal.adopt(sjis::splitLines(disk.data), disk.exists,
                          !disk.data.isEmpty() && !disk.data.endsWith('\n') && !disk.data.endsWith('\r'));
            ASSERT_EQ(test::firstLines(store.associations.lines()), literal.held) << round << " " << step;
            ASSERT_EQ(store.diskLost, literal.lost) << round << " " << step;
            for (const ChartEntry &e : store.tabs[0].rows) {
                const QByteArray want = literal.fileOf("199504080" + e.rank.rightJustified(2, '0'));
                ASSERT_EQ(e.file, want) << round << " " << step << " rank " << e.rank.constData();
            }
        }
    }
}
