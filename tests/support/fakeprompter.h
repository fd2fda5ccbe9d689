#pragma once
// A scripted Prompter for GUI tests: answers come from queues, everything
// asked is recorded.
#include <QList>
#include <QMessageBox>
#include <QStringList>

#include "shellparts.h"

class FakePrompter : public vorq::Prompter {
public:
    QStringList folders;  // answers of folder(), in order; empty: cancelled
    QList<QMessageBox::StandardButton> buttons;
    QStringList errors;
    QStringList asked;  // captions, in order

    QMessageBox::StandardButton message(QWidget *, QMessageBox::Icon, const QString &caption, const QString &,
                                        QMessageBox::StandardButtons,
                                        QMessageBox::StandardButton defaultButton) override {
        asked << caption;
        return buttons.isEmpty() ? defaultButton : buttons.takeFirst();
    }
    void error(QWidget *, const QString &text) override { errors << text; }
    QString openFile(QWidget *, const QString &caption, const QString &, const QString &) override {
        asked << caption;
        return QString();
    }
    QStringList openFiles(QWidget *, const QString &caption, const QString &, const QString &) override {
        asked << caption;
        return {};
    }
    QString saveFile(QWidget *, const QString &caption, const QString &, const QString &,
                     const QString &) override {
        asked << caption;
        return QString();
    }
    QString folder(QWidget *, const QString &caption, const QString &start) override {
        asked << caption;
        lastStart = start;
        return folders.isEmpty() ? QString() : folders.takeFirst();
    }
    bool print(QWidget *, QPrinter *) override { return false; }

    QString lastStart;
};
