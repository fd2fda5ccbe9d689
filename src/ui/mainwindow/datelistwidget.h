#pragma once
// The date list: reports user clicks (mouse or keyboard) and right-button
// presses without letting the press move the selection.
#include <QListWidget>

namespace vorq {

class DateListWidget : public QListWidget {
    Q_OBJECT
public:
    using QListWidget::QListWidget;
signals:
    void userClicked();
    void rightPressed(const QPoint &pos);

protected:
    void mousePressEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;

private:
    bool m_pressedOnItem = false;
};

}  // namespace vorq
