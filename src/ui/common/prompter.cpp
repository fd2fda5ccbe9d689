#include "ui/common/prompter.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHash>
#include <QPrintDialog>
#include <QRegularExpression>

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

    void errorWithDetails(QWidget *parent, const QString &text, const QString &details) override {
        QMessageBox box(QMessageBox::Critical, applicationTitle(), text, QMessageBox::Ok, parent);
        box.setTextFormat(Qt::PlainText);
        box.setDetailedText(details);  // always plain text
        box.exec();
    }

    QString openFile(QWidget *parent, const QString &caption, const QString &proposed,
                     const QString &filter) override {
        const QString key = QStringLiteral("open ") + filter;
        return remember(key, QFileDialog::getOpenFileName(parent, caption, startPath(key, proposed), filter));
    }

    QStringList openFiles(QWidget *parent, const QString &caption, const QString &startDir,
                          const QString &filter) override {
        const QString key = QStringLiteral("open ") + filter;
        const QStringList files =
            QFileDialog::getOpenFileNames(parent, caption, startPath(key, startDir), filter);
        if (!files.isEmpty()) remember(key, files.constFirst());
        return files;
    }

    QString saveFile(QWidget *parent, const QString &caption, const QString &proposed, const QString &filter,
                     const QString &defaultSuffix) override {
        const QString key = QStringLiteral("save ") + filter;
        const QString start = startPath(key, proposed);
        QFileDialog dialog(parent, caption, start, filter);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        // The filter chosen gives the suffix of a name typed without one.
        const auto suffixFor = [&](const QString &nameFilter) {
            static const QRegularExpression first(QStringLiteral("\\*\\.([A-Za-z0-9]+)"));
            const QRegularExpressionMatch m = first.match(nameFilter);
            return m.hasMatch() ? m.captured(1) : defaultSuffix;
        };
        if (!defaultSuffix.isEmpty()) {
            dialog.setDefaultSuffix(defaultSuffix);
            QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                             [&](const QString &f) { dialog.setDefaultSuffix(suffixFor(f)); });
        }
        if (!proposed.isEmpty()) dialog.selectFile(start);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
        QString file = dialog.selectedFiles().constFirst();
        // A desktop's own dialog may ignore the default suffix.
        if (!defaultSuffix.isEmpty() && QFileInfo(file).suffix().isEmpty())
            file += QLatin1Char('.') + suffixFor(dialog.selectedNameFilter());
        return remember(key, file);
    }

private:
    // The folder last used for each kind of file (its filter), so a dialog
    // does not open in whatever folder the program was started from.
    QHash<QString, QString> m_lastFolder;

    QString startPath(const QString &key, const QString &proposed) const {
        if (!proposed.isEmpty() && QFileInfo(proposed).isAbsolute()) return proposed;
        QString folder = m_lastFolder.value(key);
        if (folder.isEmpty() || !QFileInfo(folder).isDir()) folder = QDir::homePath();
        return proposed.isEmpty() ? folder : QDir(folder).filePath(proposed);
    }
    QString remember(const QString &key, const QString &file) {
        if (!file.isEmpty()) m_lastFolder.insert(key, QFileInfo(file).absolutePath());
        return file;
    }

public:
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
