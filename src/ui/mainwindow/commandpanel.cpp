#include "ui/mainwindow/commandpanel.h"

#include <QApplication>
#include <QBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPolygon>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QToolButton>
#include <climits>

#include "ui/mainwindow/mainwindow.h"

namespace vorq {

namespace {

QPixmap smallMark(const QColor &c) {
    // Drawn at the screen's scale so the mark stays sharp at 200 %.
    const qreal dpr = qApp->devicePixelRatio();
    QPixmap pm(QSize(16, 10) * dpr);
    pm.setDevicePixelRatio(dpr);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing, dpr > 1);
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawPolygon(QPolygon({QPoint(2, 1), QPoint(12, 5), QPoint(2, 9)}));
    return pm;
}

}  // namespace

QWidget *buildCommandPanel(MainWindow *w, QWidget *parent) {
    w->commandPanel = new QWidget(parent);
    w->commandPanel->setObjectName(QStringLiteral("Panel1"));
    w->commandPanel->setFixedHeight(84);
    auto button = [w](QPushButton *&b, const char *name, const QString &caption, const QString &hint) {
        b = new QPushButton(caption, w->commandPanel);
        b->setObjectName(QString::fromLatin1(name));
        if (!hint.isEmpty()) b->setToolTip(hint);
        b->setMinimumWidth(72);
    };
    auto image = [w](QLabel *&l, const char *name, const QColor &c) {
        l = new QLabel(w->commandPanel);
        l->setObjectName(QString::fromLatin1(name));
        l->setFixedSize(16, 10);
        l->setPixmap(smallMark(c));
    };
    button(w->makePlaylistButton, "BitBtn6", QStringLiteral("リスト作成"),
           QStringLiteral("プレイリストを作成します"));
    button(w->printButton, "Button6", QStringLiteral("印刷"), {});
    button(w->saveListButton, "Button7", QStringLiteral("保存"), {});
    button(w->searchButton, "BitBtn5", QStringLiteral("検索"), {});
    button(w->openButton, "BitBtn1", QStringLiteral("開く"),
           QStringLiteral("関連付けられたファイルを起動します"));
    button(w->clearButton, "BitBtn4", QStringLiteral("消去"),
           QStringLiteral("ファイルの関連付けの設定を消去します"));
    button(w->autoUpdateButton, "Button1", QStringLiteral("自動更新"),
           QStringLiteral("関連付けを自動更新します"));
    button(w->optionsButton, "BitBtn2", QStringLiteral("Option"), QStringLiteral("諸設定"));
    button(w->quitButton, "BitBtn3", QStringLiteral("終了"), QStringLiteral("終了します"));
    w->openButton->setDefault(true);
    w->openButton->setEnabled(false);
    w->clearButton->setEnabled(false);
    w->openButton->setIcon(w->style()->standardIcon(QStyle::SP_DialogOpenButton));
    w->optionsButton->setIcon(w->style()->standardIcon(QStyle::SP_FileDialogDetailedView));
    w->quitButton->setIcon(w->style()->standardIcon(QStyle::SP_DialogCloseButton));
    w->clearButton->setIcon(w->style()->standardIcon(QStyle::SP_DialogDiscardButton));
    w->searchButton->setIcon(w->style()->standardIcon(QStyle::SP_FileDialogContentsView));
    w->makePlaylistButton->setIcon(w->style()->standardIcon(QStyle::SP_FileDialogListView));
    w->associationMenuButton = new QToolButton(w->commandPanel);
    w->associationMenuButton->setObjectName(QStringLiteral("AssociationMenuButton"));
    w->associationMenuButton->setText(QStringLiteral("履歴"));
    w->associationMenuButton->setToolTip(QStringLiteral("関連付けの保存と、file.idx の以前の版"));
    w->associationMenuButton->setAccessibleName(QStringLiteral("関連付けの履歴"));
    w->associationMenuButton->setPopupMode(QToolButton::InstantPopup);
    w->associationMenuButton->setFocusPolicy(Qt::StrongFocus);
    // Tab visits it with its group, not after the window's last buttons.
    QWidget::setTabOrder(w->autoUpdateButton, w->associationMenuButton);
    QWidget::setTabOrder(w->associationMenuButton, w->optionsButton);
    w->aboutButton = new QToolButton(w->commandPanel);
    w->aboutButton->setObjectName(QStringLiteral("SpeedButton1"));
    w->aboutButton->setIcon(w->style()->standardIcon(QStyle::SP_MessageBoxInformation));
    w->aboutButton->setAutoRaise(true);
    w->aboutButton->setAccessibleName(QStringLiteral("バージョン情報"));
    w->songListLabel = new QLabel(QStringLiteral("曲目リスト"), w->commandPanel);
    w->songListLabel->setObjectName(QStringLiteral("Label1"));
    w->associationLabel = new QLabel(QStringLiteral("関連付けファイル"), w->commandPanel);
    w->associationLabel->setObjectName(QStringLiteral("Label2"));
    image(w->songListMarkLeft, "Image1", QColor(0, 96, 192));
    image(w->songListMarkRight, "Image2", QColor(0, 96, 192));
    image(w->associationMarkLeft, "Image3", QColor(192, 64, 0));
    image(w->associationMarkRight, "Image4", QColor(192, 64, 0));

    auto group = [](QLabel *imgL, QLabel *label, QLabel *imgR, std::initializer_list<QWidget *> ws) {
        auto *box = new QVBoxLayout;
        box->addStretch();
        auto *head = new QHBoxLayout;
        head->addWidget(imgL);
        head->addWidget(label);
        head->addWidget(imgR);
        head->addStretch();
        box->addLayout(head);
        auto *row = new QHBoxLayout;
        for (QWidget *w : ws) row->addWidget(w);
        box->addLayout(row);
        return box;
    };
    auto *panelRows = new QVBoxLayout(w->commandPanel);
    panelRows->setContentsMargins(0, 0, 0, 0);
    panelRows->setSpacing(0);
    auto *bottom = new QHBoxLayout;
    panelRows->addLayout(bottom);
    bottom->setContentsMargins(8, 6, 8, 6);
    bottom->setSpacing(16);
    auto *listMaker = new QVBoxLayout;
    listMaker->addStretch();
    listMaker->addWidget(w->makePlaylistButton);
    w->makePlaylistButton->setMinimumWidth(96);
    bottom->addLayout(listMaker);
    bottom->addLayout(group(w->songListMarkLeft, w->songListLabel, w->songListMarkRight,
                            {w->printButton, w->saveListButton, w->searchButton}));
    bottom->addLayout(group(w->associationMarkLeft, w->associationLabel, w->associationMarkRight,
                            {w->openButton, w->clearButton, w->autoUpdateButton, w->associationMenuButton}));
    bottom->addStretch(1);
    auto *right = new QVBoxLayout;
    right->addStretch();
    auto *rightRow = new QHBoxLayout;
    rightRow->addWidget(w->optionsButton);
    rightRow->addWidget(w->quitButton);
    rightRow->addWidget(w->aboutButton);
    right->addLayout(rightRow);
    bottom->addLayout(right);
    return w->commandPanel;
}

void fitCommandPanelToScreen(MainWindow *w, QWidget *central) {
    auto *panelRows = qobject_cast<QVBoxLayout *>(w->commandPanel->layout());
    auto *bottom = qobject_cast<QHBoxLayout *>(panelRows->itemAt(0)->layout());
    QLayout *right = bottom->itemAt(bottom->count() - 1)->layout();
    // On a narrow screen (a small one, or a large scale factor) the buttons
    // of the right end go to a second row rather than off the screen.
    const QScreen *display = w->screen();
    const int available = display ? display->availableGeometry().width() - kFrameAllowance.width() : INT_MAX;
    if (central->minimumSizeHint().width() > available) {
        bottom->removeItem(right);
        auto *second = new QHBoxLayout;
        second->setContentsMargins(8, 0, 8, 6);
        second->addStretch(1);
        second->addLayout(right);
        panelRows->addLayout(second);
        w->commandPanel->setFixedHeight(84 + right->sizeHint().height() + 6);
    }
}

}  // namespace vorq
