#include <gtest/gtest.h>

#include <QCoreApplication>

#include "core/text/sjistext.h"

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    vorq::sjis::ensureCodec();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
