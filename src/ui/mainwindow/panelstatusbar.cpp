#include "ui/mainwindow/panelstatusbar.h"

#include <algorithm>

#include <QLabel>
#include <QMouseEvent>

namespace vorq {

PanelStatusBar::PanelStatusBar(QWidget *parent) : QStatusBar(parent) {
    setObjectName(QStringLiteral("StatusBar1"));
    setSizeGripEnabled(false);
    const int widths[4] = {80, 50, 500, 50};
    for (int i = 0; i < 4; ++i) {
        m_panels[i] = new QLabel(this);
        m_panels[i]->setObjectName(QStringLiteral("Panel%1").arg(i));
        // Panels show stored paths and methods: never as rich text (an
        // "<img src=...>" would make the label read that file).
        m_panels[i]->setTextFormat(Qt::PlainText);
        m_panels[i]->setFixedWidth(widths[i]);
        m_panels[i]->setFrameShape(QFrame::Panel);
        m_panels[i]->setFrameShadow(QFrame::Sunken);
        // The bar itself takes every double click.
        m_panels[i]->setAttribute(Qt::WA_TransparentForMouseEvents);
        addWidget(m_panels[i]);
        setPanelText(i, QString());
    }
    m_notice = new QLabel(this);
    m_notice->setObjectName(QStringLiteral("IndexNotice"));
    m_notice->setTextFormat(Qt::PlainText);
    m_notice->setStyleSheet(QStringLiteral("color: #b00000;"));
    // A long notice is cut at the window's edge (its tooltip holds all of
    // it); it must never widen the window, so it is there, empty, from the
    // start.
    m_notice->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_notice->setMinimumWidth(1);
    addPermanentWidget(m_notice, 1);
}

void PanelStatusBar::setNotice(const QString &text, const QString &whole) {
    m_notice->setText(text);
    m_notice->setToolTip(whole);
}

QString PanelStatusBar::notice() const { return m_notice->text(); }

void PanelStatusBar::fitPanel(int i, const QStringList &texts) {
    QLabel *label = m_panels[i];
    const QFontMetrics metrics(label->font());
    int width = label->width();
    for (const QString &text : texts)
        width = std::max(width,
                         metrics.horizontalAdvance(text) + 2 * label->frameWidth() + 2 * label->margin() + 4);
    label->setFixedWidth(width);
}

QString PanelStatusBar::panelText(int i) const { return m_panels[i]->text(); }
void PanelStatusBar::setPanelText(int i, const QString &text) {
    // A screen reader hears what a panel is, then what it shows.
    static const char16_t *const names[4] = {u"関連付けの変更", u"開く方法", u"関連付けファイル",
                                             u"接続状態"};
    m_panels[i]->setText(text);
    m_panels[i]->setAccessibleName(QString::fromUtf16(names[i]) + QStringLiteral("：") +
                                   (text.isEmpty() ? QStringLiteral("なし") : text));
}

void PanelStatusBar::mouseDoubleClickEvent(QMouseEvent *e) {
    QStatusBar::mouseDoubleClickEvent(e);
    emit doubleClicked();
}

}  // namespace vorq
