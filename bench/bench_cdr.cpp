// The CD-R wizard on a generated full history (every broadcast week since
// 1995, half the rows associated, the associated files present in a music
// folder): opening the wizard, and a date-range change on the date page.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "benchmain.h"
#include "core/base/appenv.h"
#include "core/charts/chartstore.h"
#include "core/text/sjistext.h"
#include "historygen.h"
#include "ui/cdr/cdrwizard.h"

using namespace vorq;

namespace {

struct History {
    QTemporaryDir dir;
    vorq::cdr::StageSource source;
    vorq::bench::HistoryStats stats;
    int files = 0;

    History() {
        const QDate today = vorq::env::today();
        const QString data = dir.filePath(QStringLiteral("data/"));
        stats = vorq::bench::generateHistory(data, {.today = today});
        // Point the associations at a music folder of ours and create the
        // files (sparse: sizes without the disk space).
        const QByteArray music = vorq::sjis::fromUnicode(dir.filePath(QStringLiteral("music/")));
        QList<QByteArray> lines = vorq::sjis::readLines(data + QStringLiteral("file.idx"));
        QSet<QByteArray> created;
        for (QByteArray &line : lines) {
            line.replace("/home/user/music/", music);
            const QList<QByteArray> f = line.split('\t');
            if (f.size() < 2 || !f[1].startsWith(music) || created.contains(f[1])) continue;
            created.insert(f[1]);
            const QString path = vorq::sjis::path(f[1]);
            QDir().mkpath(QFileInfo(path).absolutePath());
            QFile file(path);
            if (file.open(QIODevice::WriteOnly)) file.resize(3'000'000 + created.size() % 5'000'000);
        }
        files = static_cast<int>(created.size());
        vorq::sjis::saveLines(data + QStringLiteral("file.idx"), lines);
        const QString prog = dir.filePath(QStringLiteral("prog/vorqview"));
        QDir().mkpath(dir.filePath(QStringLiteral("prog")));
        vorq::sjis::saveFile(prog, QByteArray(1'000'000, 'p'));
        source = {vorq::sjis::fromUnicode(data), prog, vorq::dateLabel(vorq::firstBroadcastDate()),
                  vorq::dateLabel(vorq::bench::lastBroadcastBefore(today))};
    }
};

History &history() {
    static History h;
    return h;
}

// The start steps and the first page, as the options dialog's button runs them.
void BM_WizardOpen(benchmark::State &state) {
    History &h = history();
    for (auto _ : state) {
        CdrWizard wizard;
        wizard.start(h.source);
        wizard.show();
        QApplication::processEvents();
        benchmark::DoNotOptimize(wizard.session().items().size());
    }
    state.counters["associations"] = static_cast<double>(h.stats.associations);
    state.counters["files"] = h.files;
}
BENCHMARK(BM_WizardOpen)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// A change of the first date on page 5: data size and the list rebuilt, the
// list view and the summary refreshed.
void BM_DateRangeChange(benchmark::State &state) {
    History &h = history();
    CdrWizard wizard;
    wizard.start(h.source);
    wizard.show();
    wizard.limitByDateBox->setChecked(true);
    wizard.showPage(5);
    const int count = wizard.firstDateBox->count();
    int i = 0;
    for (auto _ : state) {
        wizard.firstDateBox->setCurrentIndex((i++ % 2) ? 0 : count / 4);
        QApplication::processEvents();
    }
    state.counters["listed"] = static_cast<double>(wizard.session().items().size());
}
BENCHMARK(BM_DateRangeChange)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char **argv) { return runQtBenchmarks<QApplication>(argc, argv); }
