#include "ui/common/aboutbox.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "ui/common/guards.h"
#include "ui/common/prompter.h"
#include "ui/common/readablecolours.h"
#include "ui/common/shell.h"

namespace vorq {

namespace {
const char *const kSupportPage = "http://www.vorq.example/vorqview/support/";
const char *const kSupportMail = "mailto:support@vorq.example";
}  // namespace

AboutBox::AboutBox(QWidget *parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Form7"));
    setWindowTitle(QStringLiteral("VORQ Viewerのバージョン情報"));
    auto label = [this](QLabel *&w, const char *name, const QString &text) {
        w = new QLabel(text, this);
        w->setObjectName(QString::fromLatin1(name));
        w->setTextFormat(Qt::PlainText);  // the home page comes from the settings
    };
    label(iconImage, "Image1", QString());
    QIcon icon = QApplication::windowIcon();
    if (icon.isNull()) icon = style()->standardIcon(QStyle::SP_ComputerIcon);
    iconImage->setPixmap(icon.pixmap(32, 32));
    label(nameLabel, "Label1", QStringLiteral("VORQ Viewer"));
    QFont big = nameLabel->font();
    big.setBold(true);
    big.setPixelSize(16);
    nameLabel->setFont(big);
    label(versionLabel, "Label5", versionText());
    label(webPageNoteLabel, "Label2", QStringLiteral("VORQ Web Page is ..."));
    label(homePageLink, "Label3", QString());
    label(supportNoteLabel, "Label7", QStringLiteral("Support Web Page and e-mail address are ..."));
    label(supportPageLink, "Label4", QString::fromLatin1(kSupportPage));
    label(supportMailLink, "Label6", QString::fromLatin1(kSupportMail));
    for (QLabel *link : {homePageLink, supportPageLink, supportMailLink}) {
        QPalette p = link->palette();
        p.setColor(QPalette::WindowText,
                   colours::readableOn(p.color(QPalette::Link), p.color(QPalette::Window)));
        link->setPalette(p);
        link->setAccessibleDescription(QStringLiteral("リンク (Enterで開きます)"));
        QFont f = link->font();
        f.setUnderline(true);
        link->setFont(f);
        link->setCursor(Qt::PointingHandCursor);
        // Reachable with Tab and opened with Enter or Space, as with a click.
        link->setFocusPolicy(Qt::TabFocus);
        link->setContentsMargins(1, 1, 1, 1);  // where the focus frame goes
        link->installEventFilter(this);
    }
    okButton = new QPushButton(QStringLiteral("OK"), this);
    okButton->setObjectName(QStringLiteral("OKButton"));
    okButton->setDefault(true);
    okButton->setFocus();
    connect(okButton, &QPushButton::clicked, this, &QDialog::accept);

    auto *layout = new QVBoxLayout(this);
    auto *head = new QHBoxLayout;
    head->addWidget(iconImage);
    auto *names = new QVBoxLayout;
    names->addWidget(nameLabel);
    names->addWidget(versionLabel);
    head->addLayout(names, 1);
    layout->addLayout(head);
    layout->addSpacing(8);
    layout->addWidget(webPageNoteLabel);
    layout->addWidget(homePageLink);
    layout->addSpacing(8);
    layout->addWidget(supportNoteLabel);
    layout->addWidget(supportPageLink);
    layout->addWidget(supportMailLink);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(okButton);
    buttons->addStretch();
    layout->addLayout(buttons);
}

QString AboutBox::versionText() { return QStringLiteral("Ver. ") + QStringLiteral(VORQ_VERSION); }

void AboutBox::linkClicked(QLabel *link) {
    const QString target = link->text();
    vorq::runGuarded(this, [&] {
        QString error;
        if (!vorq::shell().execute(this, QStringLiteral("open"), target, &error))
            vorq::prompter().error(this, error);
    });
}

bool AboutBox::eventFilter(QObject *watched, QEvent *event) {
    auto *l = qobject_cast<QLabel *>(watched);
    if (l && (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)) {
        const bool in = event->type() == QEvent::FocusIn;
        l->setFrameShape(in ? QFrame::Box : QFrame::NoFrame);
        l->setContentsMargins(in ? QMargins() : QMargins(1, 1, 1, 1));
    }
    if (l && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) {
            linkClicked(l);
            return true;
        }
    }
    if (event->type() == QEvent::MouseButtonRelease) {
        auto *me = static_cast<QMouseEvent *>(event);
        if (me->button() == Qt::LeftButton)
            if (l) linkClicked(l);
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace vorq
