#include "ui/mainwindow/emptycharthint.h"

#include <QEvent>
#include <QStackedWidget>

#include "ui/common/readablecolours.h"

namespace vorq {

EmptyChartHint::EmptyChartHint(QStackedWidget *pages) : QLabel(pages), m_pages(pages) {
    setObjectName(QStringLiteral("EmptyChartHint"));
    setText(hintText());
    setWordWrap(true);
    setAlignment(Qt::AlignCenter);
    setMargin(24);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    QPalette pal = palette();
    // Quieter than the window's text, yet readable on its ground.
    pal.setColor(QPalette::WindowText,
                 colours::readableOn(pal.color(QPalette::Disabled, QPalette::WindowText),
                                     pal.color(QPalette::Window)));
    setPalette(pal);
    pages->installEventFilter(this);
    // The first page added becomes the current one: currentChanged tells.
    connect(pages, &QStackedWidget::currentChanged, this, [this] { follow(); });
    connect(pages, &QStackedWidget::widgetRemoved, this, [this] { follow(); });
    follow();
}

QString EmptyChartHint::hintText() {
    return QStringLiteral(
        "チャートはまだ読み込まれていません。\n\n"
        "左の日付一覧で、彫り込んだように描かれた日付はチャートのない週です。\n"
        "クリックすると、その週のチャートを取り込みます。\n\n"
        "チャートサイトのアドレスは「Option」の「Web」で設定します。\n"
        "保存したWebページやテキストファイルからも取り込めます\n"
        "(「Option」の「データ取り込み」で取り込み方法を選びます)。");
}

bool EmptyChartHint::eventFilter(QObject *watched, QEvent *event) {
    if (watched == m_pages && event->type() == QEvent::Resize) setGeometry(m_pages->rect());
    return QLabel::eventFilter(watched, event);
}

void EmptyChartHint::follow() {
    setGeometry(m_pages->rect());
    setVisible(m_pages->count() == 0);
    if (isVisible()) raise();
}

}  // namespace vorq
