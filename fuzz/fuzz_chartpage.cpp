// The chart page parser on arbitrary pages. The first byte picks the skip
// string and EditData. Invariants: the grid keeps at least one column and
// row, no cell is longer than the page, and on pages small enough for the
// quadratic literal parser, both give the same grid.
#include <cstdlib>

#include "core/import/chartpage.h"
#include "test_chartpage_literal.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, size_t size) {
    if (size == 0) return 0;
    static const QByteArray skips[] = {"<!-- / NO1 -->", QByteArray(), "<tr>", "x"};
    const QByteArray &skip = skips[data[0] & 3];
    const bool edit = (data[0] & 4) != 0;
    const QByteArray page(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));

    vorq::ResultGrid grid;
    vorq::ParseChartPage(page, skip, edit, grid);
    if (grid.columnCount() < 1 || grid.rowCount() < 1) std::abort();
    const bool small = qint64(grid.columnCount()) * grid.rowCount() <= 100000;
    if (small) {
        for (int r = 0; r < grid.rowCount(); ++r)
            for (const QByteArray &cell : grid.row(r))
                if (cell.size() > page.size()) std::abort();
    }
    if (page.size() <= 4096 && small) {
        const vorq::literal::Grid slow = vorq::literal::parse(page, skip, edit);
        if (slow.cols != grid.columnCount() || slow.rows != grid.rowCount()) std::abort();
        for (int c = 0; c < slow.cols; ++c)
            for (int r = 0; r < slow.rows; ++r)
                if (slow.cells[c][r] != grid.cell(c, r)) std::abort();
    }
    // The exported span helpers agree with their literal definition.
    static const QByteArray markers[] = {"<tr", "</tr>", "<td", ">"};
    const QByteArray &open = markers[(data[0] >> 3) & 3];
    const QByteArray &close = markers[(data[0] >> 5) & 3];
    if (page.size() <= 4096) {
        if (vorq::SpanEnd(page, open, close) != vorq::literal::spanEnd(page, open, close)) std::abort();
        if (vorq::ExtractSpan(page, open, close) != vorq::literal::extractSpan(page, open, close))
            std::abort();
    }
    return 0;
}
