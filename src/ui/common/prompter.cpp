#include "ui/common/prompter.h"

#include <QApplication>
#include <QFileDialog>
#include <QPrintDialog>

namespace vorq {

namespace {

class DesktopPrompter : public Prompter {
public:
    QMessageBox::StandardButton message(QWidget *parent, QMessageBox::Icon icon, const QString &caption,
                                        const QString &text, QMessageBox::StandardButtons buttons,
                                        QMessageBox::StandardButton defaultButton) override {
        QMessageBox box(icon, caption, text, buttons, parent);
        // Texts carry stored paths, methods and titles: as rich text a link in
        // them would open past the Shell's checks, an <img> would read a file.
        box.setTextFormat(Qt::PlainText);
        box.setDefaultButton(defaultButton);
        return static_cast<QMessageBox::StandardButton>(box.exec());
    }

    void error(QWidget *parent, const QString &text) override {
        QMessageBox box(QMessageBox::Critical, applicationTitle(), text, QMessageBox::Ok, parent);
        box.setTextFormat(Qt::PlainText);
        box.exec();
    }

    QString openFile(QWidget *parent, const QString &caption, const QString &proposed,
                     const QString &filter) override {
        return QFileDialog::getOpenFileName(parent, caption, proposed, filter);
    }

    QStringList openFiles(QWidget *parent, const QString &caption, const QString &startDir,
                          const QString &filter) override {
        return QFileDialog::getOpenFileNames(parent, caption, startDir, filter);
    }

    QString saveFile(QWidget *parent, const QString &caption, const QString &proposed, const QString &filter,
                     const QString &defaultSuffix) override {
        QFileDialog dialog(parent, caption, proposed, filter);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        if (!defaultSuffix.isEmpty()) dialog.setDefaultSuffix(defaultSuffix);
        if (!proposed.isEmpty()) dialog.selectFile(proposed);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
        return dialog.selectedFiles().constFirst();
    }

    QString folder(QWidget *parent, const QString &caption, const QString &start) override {
        return QFileDialog::getExistingDirectory(parent, caption, start);
    }

    bool print(QWidget *parent, QPrinter *printer) override {
        QPrintDialog dialog(printer, parent);
        return dialog.exec() == QDialog::Accepted;
    }
};

std::unique_ptr<Prompter> g_desktopPrompter;
Prompter *g_prompter = nullptr;

}  // namespace

QString applicationTitle() { return QStringLiteral("VORQ data viewer"); }

std::unique_ptr<Prompter> makeDesktopPrompter() { return std::make_unique<DesktopPrompter>(); }

Prompter &prompter() {
    if (g_prompter) return *g_prompter;
    if (!g_desktopPrompter) g_desktopPrompter = makeDesktopPrompter();
    return *g_desktopPrompter;
}

void setPrompter(Prompter *p) { g_prompter = p; }

}  // namespace vorq
