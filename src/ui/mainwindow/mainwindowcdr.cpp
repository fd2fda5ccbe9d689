// The main window's CD-R commands: the wizard and the restore, behind the
// options dialog's "その他" page.
#include <QComboBox>
#include <QCoreApplication>
#include <QFileInfo>

#include "core/base/appenv.h"
#include "core/charts/mediumpath.h"
#include "core/text/sjistext.h"
#include "ui/cdr/cdrwizard.h"
#include "ui/mainwindow/mainwindow.h"
#include "ui/options/optionsdialog.h"

using namespace vorq;

void MainWindow::startCdrWizard() {
    // A copy running from a disc stages its "\"-rooted files again.
    const QString programFolder = sjis::path(env::programFolder());
    CdrWizard wizard(this, [programFolder](const QByteArray &stored) {
        return resolveAssociatedPath(stored, programFolder);
    });
    cdr::StageSource source;
    source.dataFolder = m_store.dataFolder;
    source.programFile = runningProgramFile();
    if (m_options) {
        source.rangeStart = sjis::fromUnicode(m_options->dateStartBox->currentText());
        source.rangeEnd = sjis::fromUnicode(m_options->dateEndBox->currentText());
    }
    wizard.start(source);
    wizard.exec();
}

void MainWindow::restoreFromCdr() { ::restoreFromCdr(this, runningProgramFile()); }

QString MainWindow::runningProgramFile() {
    return sjis::path(env::programFolder()) + QFileInfo(QCoreApplication::applicationFilePath()).fileName();
}
