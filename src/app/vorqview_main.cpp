// vorqview: the viewer and collector of the weekly VORQ chart.
#include <QApplication>
#include <QDate>
#include <QIcon>
#include <QMessageBox>
#include <QTimer>

#include "core/base/errors.h"
#include "core/settings/doubleini.h"
#include "core/text/sjistext.h"
#include "ui/common/prompter.h"
#include "ui/common/qttranslations.h"
#include "ui/common/readablecolours.h"
#include "ui/common/screenfit.h"
#include "ui/mainwindow/mainwindow.h"
#include "ui/options/optionsdialog.h"
#include "ui/playlist/playlistmakerdialog.h"

#include <cstdio>
#include <cstring>

int main(int argc, char **argv) {
    // Answered before any window system is needed.
    QDate startWeek;
    for (int i = 1; i < argc; ++i) {
        // --date YYYY-MM-DD: the week a notification of the weekly import
        // opens.
        const bool joined = std::strncmp(argv[i], "--date=", 7) == 0;
        if (joined || std::strcmp(argv[i], "--date") == 0) {
            const char *value = joined ? argv[i] + 7 : (i + 1 < argc ? argv[++i] : "");
            startWeek = QDate::fromString(QString::fromLocal8Bit(value), Qt::ISODate);
            if (!startWeek.isValid()) {
                std::fprintf(stderr, "vorqview: --date needs YYYY-MM-DD, got '%s'\n", value);
                return 2;
            }
            continue;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("vorqview %s\n", VORQ_VERSION);
            return 0;
        }
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::printf(
                "usage: vorqview [/autoupdate | /clear] [--date YYYY-MM-DD]\n\n"
                "  /autoupdate        import every missing week at start\n"
                "  /clear             switch the start-up actions off (stored at exit)\n"
                "  --date YYYY-MM-DD  show that week once started (as a click on its date)\n"
                "  --version          print the version\n\n"
                "Settings: vorqview.ini beside the program, or under ~/.local/share/Brelon/vorqview/\n"
                "when the program's folder cannot be written. See vorqview(1).\n");
            return 0;
        }
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("vorqview"));
    QApplication::setApplicationVersion(QStringLiteral(VORQ_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("vorqview"));
    QIcon icon;
    icon.addFile(QStringLiteral(":/icons/vorqview-48.png"));
    icon.addFile(QStringLiteral(":/icons/vorqview-128.png"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("vorqview"), icon));
    vorq::installQtTranslations(&app);
    // Whatever palette the desktop gives, every text keeps its contrast.
    vorq::colours::applyReadablePalette();
    vorq::installScreenFit(&app);
    try {
        vorq::sjis::ensureCodec();
    } catch (const vorq::Error &e) {
        // Without the Shift-JIS codec no chart can be read or written.
        QMessageBox::critical(nullptr, vorq::applicationTitle(), e.message());
        return 1;
    }

    // A folder Shift-JIS cannot name would lose the settings without a word.
    if (const QString problem = vorq::env::folderProblem(); !problem.isEmpty()) {
        QMessageBox::critical(nullptr, vorq::applicationTitle(), problem);
        return 1;
    }

    vorq::MainWindow form1;
    auto *form2 = new vorq::OptionsDialog(&form1);
    form2->setWindowTitle(QStringLiteral("Option"));
    form1.setOptions(form2);
    form1.setStartWeek(startWeek);
    // The playlist maker's controls hold the "Playlist" settings.
    form2->setPlaylistForm(new vorq::PlaylistMakerDialog(&form1));

    // For start-up measurements: leave as soon as the window has finished
    // starting and the event queue has run dry.
    if (qEnvironmentVariableIsSet("VORQVIEW_QUIT_WHEN_IDLE")) {
        QObject::connect(&form1, &vorq::MainWindow::startupFinished, &app,
                         [] { QTimer::singleShot(0, qApp, &QCoreApplication::quit); });
    }
    form1.showMaximized();
    form1.activateWindow();
    return app.exec();
}
