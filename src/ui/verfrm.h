#pragma once
// The about box: program name, version, home page, support addresses.
#include <QDialog>

class QLabel;
class QPushButton;

class TForm7 : public QDialog {
    Q_OBJECT
public:
    explicit TForm7(QWidget *parent = nullptr);

    // "Ver. " followed by the program's version text.
    static QString versionText();

    QLabel *Image1 = nullptr;
    QLabel *Label1 = nullptr;  // program name
    QLabel *Label2 = nullptr;  // "VORQ Web Page is ..."
    QLabel *Label3 = nullptr;  // home page link
    QLabel *Label4 = nullptr;  // support page link
    QLabel *Label5 = nullptr;  // version
    QLabel *Label6 = nullptr;  // support e-mail link
    QLabel *Label7 = nullptr;  // "Support Web Page and e-mail address are ..."
    QPushButton *OKButton = nullptr;

    // A click on a link label opens its own text with the verb "open".
    void linkClicked(QLabel *label);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};
