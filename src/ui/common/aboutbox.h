#pragma once
// The about box: program name, version, home page, support addresses.
#include <QDialog>

class QLabel;
class QPushButton;

namespace vorq {

class AboutBox : public QDialog {
    Q_OBJECT
public:
    explicit AboutBox(QWidget *parent = nullptr);

    // "Ver. " followed by the program's version text.
    static QString versionText();

    QLabel *iconImage = nullptr;
    QLabel *nameLabel = nullptr;         // program name
    QLabel *webPageNoteLabel = nullptr;  // "VORQ Web Page is ..."
    QLabel *homePageLink = nullptr;      // home page link
    QLabel *supportPageLink = nullptr;   // support page link
    QLabel *versionLabel = nullptr;      // version
    QLabel *supportMailLink = nullptr;   // support e-mail link
    QLabel *supportNoteLabel = nullptr;  // "Support Web Page and e-mail address are ..."
    QPushButton *okButton = nullptr;

    // A click on a link label opens its own text with the verb "open".
    void linkClicked(QLabel *label);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};

}  // namespace vorq
