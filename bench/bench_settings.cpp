// Settings store: parsing and writing a full settings file in memory, and the
// exit save (every key through TDoubleIniFile: locator bookkeeping, re-read
// and atomic rewrite per key).
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QTemporaryDir>

#include "benchmain.h"
#include "core/base/appenv.h"
#include "core/settings/doubleini.h"
#include "core/text/sjistext.h"

namespace {

// The sections and keys vorqview saves at exit in write mode 0.
const QList<QPair<QByteArray, QList<QByteArray>>> kKeys = {
    {"OutputList", {"Date", "Number", "Title", "Artist", "AssociateFile", "OpenMethod"}},
    {"Playlist", {"Order", "Sorted", "RandomizeRate", "AssociateFile", "NotAssociateFile"}},
    {"Display", {"DateStart", "DateEndIsRecent", "DateEnd"}},
    {"AssociateFile", {"FileName", "Folder", "DragDisabled", "DisplayAlerts", "AutoAddFile", "skipstring"}},
    {"ImportData",
     {"Web", "HTML", "Text", "None", "AutoSave", "ConfirmData", "EditData", "HideNoData",
      "AlsoAssociatedFile", "DataFolder", "DataFolderIsAppPath"}},
    {"AutoRun", {"ImportData", "AssociateFile", "AutoQuit"}},
    {"Web", {"URL_Home", "URL_Data", "IgnoreError", "AutoAddNotFound", "UseProxy", "ProxyAddr", "ProxyPort"}},
};

QByteArray fullFile() {
    vorq::TMemIniFile ini{QByteArray()};
    for (const auto &[section, keys] : kKeys)
        for (const QByteArray &key : keys) ini.WriteString(section, key, "/home/user/some/value/");
    return ini.content();
}

void BM_ParseAndWriteSettingsText(benchmark::State &state) {
    const QByteArray text = fullFile();
    for (auto _ : state) {
        vorq::TMemIniFile ini{QByteArray()};
        ini.setContent(text);
        benchmark::DoNotOptimize(ini.content());
    }
    state.SetBytesProcessed(state.iterations() * text.size());
}
BENCHMARK(BM_ParseAndWriteSettingsText);

void BM_ExitSaveAllKeys(benchmark::State &state) {
    QTemporaryDir dir;
    const QByteArray root = vorq::sjis::fromUnicode(dir.path()) + '/';
    vorq::env::setLocalDataFolder(root + "local/");
    vorq::env::setProgramFolder(root + "prog/");
    vorq::env::setProgramBaseName("vorqview");
    for (auto _ : state) {
        vorq::TDoubleIniFile ini;
        ini.SetWriteMode(0);
        for (const auto &[section, keys] : kKeys)
            for (const QByteArray &key : keys) ini.WriteString(section, key, "1");
    }
}
BENCHMARK(BM_ExitSaveAllKeys)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char **argv) { return runQtBenchmarks<QCoreApplication>(argc, argv); }
