#pragma once
// One page of pageStack: light until first shown, then holds its view.
#include <QString>
#include <QWidget>

class QTableView;

namespace vorq {

class DatePage : public QWidget {
    Q_OBJECT
public:
    DatePage(int tag, const QString &caption, QWidget *parent);
    int tag() const { return m_tag; }
    QString caption() const { return m_caption; }
    QTableView *listView() const { return m_view; }
    void setListView(QTableView *view);

private:
    int m_tag;
    QString m_caption;
    QTableView *m_view = nullptr;
};

}  // namespace vorq
