#include "ui/cdr/cdrcommands.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFileInfo>

#include "core/base/appenv.h"
#include "core/charts/storedtarget.h"
#include "core/text/sjistext.h"
#include "ui/cdr/cdrwizard.h"
#include "ui/mainwindow/mainwindow.h"
#include "ui/options/optionsdialog.h"

namespace vorq {

CdrCommands::CdrCommands(MainWindow *form) : QObject(form), m_form(form) {}

void CdrCommands::startWizard() {
    // A copy running from a disc stages its "\"-rooted files again.
    const QString programFolder = sjis::path(env::programFolder());
    CdrWizard wizard(m_form, [programFolder](const QByteArray &stored) {
        return resolveStoredTarget(stored, programFolder).localPath;
    });
    cdr::StageSource source;
    source.dataFolder = m_form->store().dataFolder;
    source.programFile = runningProgramFile();
    if (const OptionsDialog *options = m_form->options()) {
        source.rangeStart = sjis::fromUnicode(options->dateStartBox->currentText());
        source.rangeEnd = sjis::fromUnicode(options->dateEndBox->currentText());
    }
    wizard.start(source);
    wizard.exec();
}

void CdrCommands::restore() { restoreFromCdr(m_form, runningProgramFile()); }

QString CdrCommands::runningProgramFile() {
    return sjis::path(env::programFolder()) + QFileInfo(QCoreApplication::applicationFilePath()).fileName();
}

}  // namespace vorq
