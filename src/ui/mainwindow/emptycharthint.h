#pragma once
// The text a newcomer sees in the chart area while no chart is loaded: how
// charts arrive. It lies over the page stack (not one of its pages, so page
// indexes stay those of the store) and goes as soon as a page exists.
#include <QLabel>

class QStackedWidget;

namespace vorq {

class EmptyChartHint : public QLabel {
    Q_OBJECT
public:
    explicit EmptyChartHint(QStackedWidget *pages);

    static QString hintText();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void follow();

    QStackedWidget *m_pages;
};

}  // namespace vorq
