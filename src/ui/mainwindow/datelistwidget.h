#pragma once
// The date list: reports user clicks (a click, Enter), keyboard moves
// (which only select: browsing must not download every date passed) and
// right-button presses without letting the press move the selection;
// Shift+F10 asks for the context menu as the menu key does.
#include <QListWidget>
#include <functional>

namespace vorq {

class DateListWidget : public QListWidget {
    Q_OBJECT
public:
    using QListWidget::QListWidget;
    // Replaces the items by these date labels. A screen reader hears a date
    // without a chart (drawn engraved) described as such; hasData answers
    // for a row.
    void setDates(const QStringList &labels);
    std::function<bool(int row)> hasData;

signals:
    void userClicked();
    void keyboardMoved();
    void rightPressed(const QPoint &pos);

protected:
    void mousePressEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;

private:
    bool m_pressedOnItem = false;
};

}  // namespace vorq
