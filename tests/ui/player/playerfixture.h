#pragma once
// A main window over two weeks whose songs are generated WAV files, for the
// player's tests.
#include <gtest/gtest.h>

#include <QDataStream>
#include <QFile>
#include <QTemporaryDir>
#include <memory>

#include "core/base/appenv.h"
#include "core/text/sjistext.h"
#include "fakeshell.h"
#include "mainwindowfixture.h"
#include "ui/mainwindow/mainwindow.h"

// A mono 8 kHz 16-bit WAV file of ms milliseconds (a quiet tone).
inline void writeWav(const QString &path, int ms) {
    const quint32 samples = quint32(8 * ms), bytes = samples * 2;
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    QDataStream out(&f);
    out.setByteOrder(QDataStream::LittleEndian);
    out.writeRawData("RIFF", 4);
    out << quint32(36 + bytes);
    out.writeRawData("WAVEfmt ", 8);
    out << quint32(16) << quint16(1) << quint16(1) << quint32(8000) << quint32(16000) << quint16(2)
        << quint16(16);
    out.writeRawData("data", 4);
    out << bytes;
    for (quint32 i = 0; i < samples; ++i) out << qint16((i / 8 % 2) ? 800 : -800);
}

class PlayerWindowTest : public ::testing::Test {
protected:
    QTemporaryDir home, prog, music;
    vorq::test::ScopedFakes fakes;
    std::unique_ptr<vorq::MainWindow> form;
    vorq::OptionsDialog *options = nullptr;

    // 1995-04-22: ranks 1..4, rank 2 a file no player reads; 1995-04-15:
    // its #1. Files of ms milliseconds.
    void SetUp() override { prepare(1000); }
    void prepare(int ms) {
        ASSERT_TRUE(home.isValid() && prog.isValid() && music.isValid());
        useScratchFolders(home, prog, QDate(1995, 5, 20));
        const QString data = scratchDataFolder();
        vorq::sjis::saveLines(data + QStringLiteral("19950422.txt"),
                              {"1\tOne\tA", "2\tTwo\tB", "3\tThree\tC", "4\tFour\tD"});
        vorq::sjis::saveLines(data + QStringLiteral("19950415.txt"), {"1\tOld\tE", "2\tFour\tD"});
        QList<QByteArray> index;
        for (int rank : {1, 2, 3, 4}) {
            if (rank == 2)
                vorq::sjis::saveLines(song(2), {"this is no sound"});
            else
                writeWav(song(rank), ms);
            index << "1995042200" + QByteArray::number(rank) + '\t' + file(rank) + '\t';
        }
        writeWav(song(5), ms);
        index << "19950415001\t" + file(5) + '\t';
        vorq::sjis::saveLines(data + QStringLiteral("file.idx"), index);
        startMainWindow(form, options);
    }
    void TearDown() override {
        form.reset();
        vorq::env::setToday({});
        vorq::env::setProgramFolder({});
    }
    QString song(int n) const { return music.filePath(QStringLiteral("%1.wav").arg(n)); }
    QByteArray file(int n) const { return vorq::sjis::fromUnicode(song(n)); }
    int pageOf(int tag) const { return form->store().indexOfTag(tag); }
};

// The sound server's client library under the media backend keeps its
// connection to the end; sanitizer runs take that for a leak that is not
// ours. Each test program defines it once.
#define VORQ_PLAYER_LEAK_SUPPRESSIONS \
    extern "C" const char *__lsan_default_suppressions() { return "leak:libpulse.so\n"; }
