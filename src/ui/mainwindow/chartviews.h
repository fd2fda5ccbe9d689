#pragma once
// The main window's parts: the status bar with its panels, the date list
// and its tab-like entries, and the pages with their chart views.
#include <QAbstractTableModel>
#include <QColor>
#include <QLabel>
#include <QListWidget>
#include <QStatusBar>
#include <QStyledItemDelegate>
#include <QTableView>

#include "core/charts/chartstore.h"

class MainWindow;

// The window colours of the design: button face and shadow.
inline const QColor kBtnFace(240, 240, 240);
inline const QColor kGray(128, 128, 128);

// The status bar with four fixed-width panels; a double click anywhere on
// it is reported.
class PanelStatusBar : public QStatusBar {
    Q_OBJECT
public:
    explicit PanelStatusBar(QWidget *parent = nullptr);
    QString panelText(int i) const;
    void setPanelText(int i, const QString &text);
    QLabel *panel(int i) const { return m_panels[i]; }
    // Widens panel i (never narrows it below its designed width) so that
    // each of texts shows whole in the font in use.
    void fitPanel(int i, const QStringList &texts);
signals:
    void doubleClicked();

protected:
    void mouseDoubleClickEvent(QMouseEvent *e) override;

private:
    QLabel *m_panels[4] = {};
};

// The date list: reports user clicks (mouse or keyboard) and right-button
// presses without letting the press move the selection.
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

// Draws a date-list entry as a tab; dates without data look engraved.
class DateEntryDelegate : public QStyledItemDelegate {
public:
    explicit DateEntryDelegate(MainWindow *form);
    void paint(QPainter *p, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    MainWindow *m_form;
};

// The rows of one chart table, read on demand from the store.
class ChartTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // Roles beyond Qt's: the raw Shift-JIS field and the associated file.
    enum { FieldRole = Qt::UserRole + 1, AssociatedRole };
    ChartTableModel(const vorq::ChartStore *store, int table, QObject *parent);
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation o, int role) const override;
    // The table's rows changed (association edits, reload).
    void rowsChanged();

private:
    const vorq::ChartTable *table() const;
    const vorq::ChartStore *m_store;
    int m_table;
    int m_rows = 0;
};

// Draws a chart row: associated rows red and bold, selection highlighted.
class ChartRowDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter *p, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
};

// One page of pageStack: light until first shown, then holds its view.
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
