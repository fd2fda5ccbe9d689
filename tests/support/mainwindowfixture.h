#pragma once
// Starts the main window the way vorqview does (with its options dialog) and
// waits until the first show and the first activation have run.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "core/base/appenv.h"
#include "core/text/sjistext.h"
#include "ui/mainwindow/mainwindow.h"
#include "ui/options/optionsdialog.h"

inline void startMainWindow(std::unique_ptr<vorq::MainWindow> &form, vorq::OptionsDialog *&options) {
    form = std::make_unique<vorq::MainWindow>();
    options = new vorq::OptionsDialog(form.get());
    form->setOptions(options);
    form->show();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->startupGuard() == 1; }, 5000));
    QApplication::processEvents();
}

// Points the user folders into home, the clock at today and the program
// folder at prog, so nothing of the developer's own settings is read.
inline void useScratchFolders(const QTemporaryDir &home, const QTemporaryDir &prog, const QDate &today) {
    qputenv("XDG_DATA_HOME", QFile::encodeName(home.filePath(QStringLiteral("share"))));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath(QStringLiteral("config"))));
    vorq::env::setToday(today);
    vorq::env::setProgramFolder(vorq::sjis::fromUnicode(prog.path() + QLatin1Char('/')));
}

// The data folder the default settings give there, created, with "/".
inline QString scratchDataFolder() {
    vorq::OptionsDialog probe;
    probe.loadSettings({});
    QString data = probe.dataFolderEdit->text();
    if (!data.endsWith(QLatin1Char('/'))) data += QLatin1Char('/');
    QDir().mkpath(data);
    return data;
}

// A main window over scratch folders (calendar 1995-04-08 ... 05-13, six
// dates); the clock and the program folder are put back afterwards.
class ScratchWindowTest : public ::testing::Test {
protected:
    QTemporaryDir home, prog;
    std::unique_ptr<vorq::MainWindow> form;
    vorq::OptionsDialog *options = nullptr;

    void SetUp() override {
        ASSERT_TRUE(home.isValid() && prog.isValid());
        useScratchFolders(home, prog, QDate(1995, 5, 15));
    }
    void TearDown() override {
        form.reset();
        vorq::env::setToday({});
        vorq::env::setProgramFolder({});
    }
    // The date list's row showing a label such as "1995年04月22日", or -1.
    int rowOf(const char *utf8Label) const {
        for (int i = 0; i < form->dateList->count(); ++i)
            if (form->dateList->item(i)->text() == QString::fromUtf8(utf8Label)) return i;
        return -1;
    }
};
