#include <gtest/gtest.h>

#include <QApplication>

#include "core/text/sjistext.h"
#include "ui/common/screenfit.h"

int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    vorq::installScreenFit(&app);  // as vorqview does
    vorq::sjis::ensureCodec();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
