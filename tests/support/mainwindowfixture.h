#pragma once
// Starts the main window the way vorqview does (with its options dialog) and
// waits until the first show and the first activation have run.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <memory>

#include "mainwindow.h"
#include "optionsdialog.h"

inline void startMainWindow(std::unique_ptr<MainWindow> &form, OptionsDialog *&options) {
    form = std::make_unique<MainWindow>();
    options = new OptionsDialog(form.get());
    form->setOptions(options);
    form->show();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->startupGuard() == 1; }, 5000));
    QApplication::processEvents();
}
