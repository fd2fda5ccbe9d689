#pragma once
// Starts the main window the way vorqview does (with its options dialog) and
// waits until the first show and the first activation have run.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <memory>

#include "mainfrm.h"
#include "optiofrm.h"

inline void startMainWindow(std::unique_ptr<TForm1> &form, TForm2 *&options) {
    form = std::make_unique<TForm1>();
    options = new TForm2(form.get());
    form->setOptions(options);
    form->show();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->startupGuard() == 1; }, 5000));
    QApplication::processEvents();
}
