#pragma once
// The chart page parser: a marker scanner (not an HTML parser) that cuts the
// ranking table of a chart page into a grid of rank, title and artist.
#include <QByteArray>
#include <QList>

namespace vorq {

// The table of text cells the parser fills and the import dialog shows,
// addressed by (column, row) from 0. It always has at least one column and
// one row; a fresh grid has 1 column and 2 rows. Cells are stored per row
// and only as far as they were written, so a hostile page that widens one
// row and lengthens the table does not cost columns x rows memory.
class ResultGrid {
public:
    ResultGrid() { reset(); }

    // Back to the initial 1 x 2 empty state.
    void reset();

    int columnCount() const { return m_columns; }
    int rowCount() const { return int(m_rows.size()); }

    // Empty outside the written cells (and outside the grid).
    QByteArray cell(int column, int row) const;
    // Enlarges the grid to hold (column, row) when needed.
    void setCell(int column, int row, const QByteArray &text);
    // Enlarges to at least columns x rows; never shrinks.
    void enlarge(int columns, int rows);
    // Sets the size exactly (at least 1 x 1); cells outside are dropped.
    void resize(int columns, int rows);

    bool rowIsEmpty(int row) const;
    // Removes a row; the last remaining row is cleared instead.
    void removeRow(int row);
    // Removes a column, moving the ones to its right one to the left; the
    // last remaining column is cleared instead.
    void removeColumn(int column);

    // Every cell of a row, columnCount() of them.
    QList<QByteArray> row(int row) const;

private:
    struct Row {
        QList<QByteArray> cells;  // columns 0..cells.size()-1; the rest empty
        int nonEmpty = 0;
    };
    int m_columns = 1;
    QList<Row> m_rows;
};

// The span from the first occurrence of open (case-insensitive, ASCII) up to
// and including the first occurrence of close at or after it; the whole text
// when open does not occur; to the end when close does not follow.
QByteArray ExtractSpan(const QByteArray &text, const QByteArray &open, const QByteArray &close);

// 1-based position of the last byte of ExtractSpan(text, open, close); 0 when
// open or close does not occur anywhere in text. When close occurs only in
// front of open, the length of the text.
qsizetype SpanEnd(const QByteArray &text, const QByteArray &open, const QByteArray &close);

// Parses a chart page (Shift-JIS) into grid, which starts from the initial
// state whatever it held. skipString guards against false matches: nothing
// in front of it is read. editData applies the title and artist
// normalisation to columns 1 and 2. Runs in time linear in the page.
void ParseChartPage(const QByteArray &page, const QByteArray &skipString, bool editData, ResultGrid &grid);

// The page text of a saved HTML file as the import reads it: its lines
// joined again with CR LF after every line, then converted to Shift-JIS.
QByteArray HtmlFilePageText(const QByteArray &fileBytes);

}  // namespace vorq
