#include <gtest/gtest.h>

#include <QApplication>

#include "sjistext.h"

int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    vorq::sjis::ensureCodec();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
