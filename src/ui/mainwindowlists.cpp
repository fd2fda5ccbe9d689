// The main window's list commands: the result list window and the search
// dialog it creates, print and save of the active chart, the search button.
#include <QCheckBox>

#include "mainwindow.h"
#include "resultlistwindow.h"

namespace {
// Frees a top-level form with the main window. The result window is not a
// child of the main window, so the main window's widget tree stays the
// date list, its pages and its controls.
class FormKeeper : public QObject {
public:
    FormKeeper(QWidget *form, QObject *owner) : QObject(owner), m_form(form) {}
    ~FormKeeper() override { delete m_form; }

private:
    QWidget *m_form;
};
}  // namespace

void MainWindow::createListForms() {
    m_resultWindow = new ResultListWindow(nullptr);
    new FormKeeper(m_resultWindow, this);
    m_resultWindow->setOutputChoiceSource([this] { return outputChoice(); });
}

vorq::OutputChoice MainWindow::outputChoice() const {
    vorq::OutputChoice c;
    if (!m_options) return c;
    c.date = m_options->listDateBox->isChecked();
    c.number = m_options->listRankBox->isChecked();
    c.title = m_options->listTitleBox->isChecked();
    c.artist = m_options->listArtistBox->isChecked();
    c.file = m_options->listFileBox->isChecked();
    c.method = m_options->listMethodBox->isChecked();
    return c;
}

void MainWindow::onSearchClicked() {}
void MainWindow::onPrintClicked() {}
void MainWindow::onSaveListClicked() {}
