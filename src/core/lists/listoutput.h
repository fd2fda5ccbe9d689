#pragma once
// Printing and saving song lists: the column set chosen in the options
// dialog ("OutputList"), the tab-separated save lines and the print layout.
// The caller hands over its list view's captions, its rows and a row count;
// a leading caption "日付" means text 0 of each row is the date.
#include <QByteArray>
#include <QList>
#include <QString>
#include <functional>

#include "core/charts/chartstore.h"
#include "core/lists/resultlist.h"

class QIODevice;

namespace vorq {

// The "OutputList" check boxes.
struct OutputChoice {
    bool date = true;  // only for lists with a leading date column
    bool number = true;
    bool title = true;
    bool artist = true;
    bool file = true;
    bool method = false;
};

// Parses "date,number,title,artist,file,method" (any subset, any order);
// returns false on an unknown name.
bool parseOutputColumns(const QString &list, OutputChoice *out);

struct OutputColumn {
    int field;          // index into the row's texts
    QByteArray header;  // Shift-JIS
};

// The row lists the routines accept: a chart table (texts rank, title,
// artist, file, method) or a result list (the date first).
class ListRows {
public:
    virtual ~ListRows() = default;
    virtual qsizetype size() const = 0;
    virtual const QByteArray &field(qsizetype row, int i) const = 0;
};

class ChartRows : public ListRows {
public:
    explicit ChartRows(const ChartTable &table) : m_table(table) {}
    qsizetype size() const override { return m_table.size(); }
    const QByteArray &field(qsizetype row, int i) const override { return m_table.at(row).field(i); }

private:
    const ChartTable &m_table;
};

class ResultRows : public ListRows {
public:
    explicit ResultRows(const ResultList &rows) : m_rows(rows) {}
    qsizetype size() const override { return m_rows.size(); }
    const QByteArray &field(qsizetype row, int i) const override { return m_rows.at(row).text(i); }

private:
    const ResultList &m_rows;
};

// Captions of the main window's chart views and of the result list window.
QList<QByteArray> chartCaptions();
QList<QByteArray> resultCaptions();

// 1 when the first caption is "日付", else 0.
int dateOffset(const QList<QByteArray> &captions);

// The columns in their fixed order; empty when nothing is chosen.
QList<OutputColumn> columnSet(const QList<QByteArray> &captions, const OutputChoice &choice);

// ---- save ------------------------------------------------------------------
// The header line then n lines (none for n <= 0), line k from row
// k mod rows; fields joined by TAB as stored, every line ended by CR LF.
// Returns false and writes nothing when the rows or the column set are
// empty. Lines are streamed, so a large n needs no memory of its own.
bool writeList(QIODevice *device, const QList<QByteArray> &captions, const ListRows &rows,
               const OutputChoice &choice, qint64 n);
// Through QSaveFile; false (no file made) when there is nothing to save;
// FileError with the system's message when the file cannot be written.
bool saveList(const QString &fileName, const QList<QByteArray> &captions, const ListRows &rows,
              const OutputChoice &choice, qint64 n);

// ---- print -----------------------------------------------------------------
// Fixed-pitch print layout: widths in bytes of the stored text over the
// whole row list (header included) plus 1; cells padded with spaces to their
// width except the last; rows red when their file text is not empty. The
// layout keeps no reference to the rows: pass the same rows to line().
class PrintLayout {
public:
    PrintLayout(const QList<QByteArray> &captions, const ListRows &rows, const OutputChoice &choice,
                qint64 n);
    bool isEmpty() const { return m_columns.isEmpty(); }
    const QList<OutputColumn> &columns() const { return m_columns; }
    const QList<qsizetype> &widths() const { return m_widths; }
    QByteArray header() const;
    // The printed rows: min(n, rows) rows, every row for n = 0, none for n < 0.
    qsizetype rowCount() const { return m_count; }
    QByteArray line(const ListRows &rows, qsizetype row) const;
    bool isRed(const ListRows &rows, qsizetype row) const;

private:
    QByteArray format(const std::function<const QByteArray &(int)> &cell) const;
    QList<OutputColumn> m_columns;
    QList<qsizetype> m_widths;
    int m_offset = 0;
    qsizetype m_count = 0;
};

}  // namespace vorq
