#include "verfrm.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "shellparts.h"

namespace {
const char *const kSupportPage = "http://www.vorq.example/vorqview/support/";
const char *const kSupportMail = "mailto:support@vorq.example";
}  // namespace

TForm7::TForm7(QWidget *parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Form7"));
    setWindowTitle(QStringLiteral("VORQ Viewerのバージョン情報"));
    auto label = [this](QLabel *&w, const char *name, const QString &text) {
        w = new QLabel(text, this);
        w->setObjectName(QString::fromLatin1(name));
    };
    label(Image1, "Image1", QString());
    QIcon icon = QApplication::windowIcon();
    if (icon.isNull()) icon = style()->standardIcon(QStyle::SP_ComputerIcon);
    Image1->setPixmap(icon.pixmap(32, 32));
    label(Label1, "Label1", QStringLiteral("VORQ Viewer"));
    QFont big = Label1->font();
    big.setBold(true);
    big.setPixelSize(16);
    Label1->setFont(big);
    label(Label5, "Label5", versionText());
    label(Label2, "Label2", QStringLiteral("VORQ Web Page is ..."));
    label(Label3, "Label3", QString());
    label(Label7, "Label7", QStringLiteral("Support Web Page and e-mail address are ..."));
    label(Label4, "Label4", QString::fromLatin1(kSupportPage));
    label(Label6, "Label6", QString::fromLatin1(kSupportMail));
    for (QLabel *link : {Label3, Label4, Label6}) {
        QPalette p = link->palette();
        p.setColor(QPalette::WindowText, Qt::blue);
        link->setPalette(p);
        QFont f = link->font();
        f.setUnderline(true);
        link->setFont(f);
        link->setCursor(Qt::PointingHandCursor);
        link->installEventFilter(this);
    }
    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);

    auto *layout = new QVBoxLayout(this);
    auto *head = new QHBoxLayout;
    head->addWidget(Image1);
    auto *names = new QVBoxLayout;
    names->addWidget(Label1);
    names->addWidget(Label5);
    head->addLayout(names, 1);
    layout->addLayout(head);
    layout->addSpacing(8);
    layout->addWidget(Label2);
    layout->addWidget(Label3);
    layout->addSpacing(8);
    layout->addWidget(Label7);
    layout->addWidget(Label4);
    layout->addWidget(Label6);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKButton);
    buttons->addStretch();
    layout->addLayout(buttons);
}

QString TForm7::versionText() { return QStringLiteral("Ver. ") + QStringLiteral(VORQ_VERSION); }

void TForm7::linkClicked(QLabel *link) {
    const QString target = link->text();
    vorq::runGuarded(this, [&] {
        QString error;
        if (!vorq::shell().execute(this, QStringLiteral("open"), target, &error))
            vorq::prompter().error(this, error);
    });
}

bool TForm7::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::MouseButtonRelease) {
        auto *me = static_cast<QMouseEvent *>(event);
        if (me->button() == Qt::LeftButton)
            if (auto *l = qobject_cast<QLabel *>(watched)) linkClicked(l);
    }
    return QDialog::eventFilter(watched, event);
}
