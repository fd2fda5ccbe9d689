// vorqview: the viewer and collector of the weekly VORQ chart.
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include "doubleini.h"
#include "errors.h"
#include "mainwindow.h"
#include "optionsdialog.h"
#include "playlistmakerdialog.h"
#include "qttranslations.h"
#include "shellparts.h"
#include "sjistext.h"

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("vorqview"));
    QApplication::setApplicationVersion(QStringLiteral(VORQ_VERSION));
    vorq::installQtTranslations(&app);
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

    MainWindow form1;
    auto *form2 = new OptionsDialog(&form1);
    form2->setWindowTitle(QStringLiteral("Option"));
    form1.setOptions(form2);
    // The playlist maker's controls hold the "Playlist" settings.
    form2->setPlaylistForm(new PlaylistMakerDialog(&form1));

    // For start-up measurements: leave as soon as the window has finished
    // starting and the event queue has run dry.
    if (qEnvironmentVariableIsSet("VORQVIEW_QUIT_WHEN_IDLE")) {
        QObject::connect(&form1, &MainWindow::startupFinished, &app,
                         [] { QTimer::singleShot(0, qApp, &QCoreApplication::quit); });
    }
    form1.showMaximized();
    form1.activateWindow();
    return app.exec();
}
