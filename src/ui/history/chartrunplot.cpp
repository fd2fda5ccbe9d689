#include "ui/history/chartrunplot.h"

#include <QApplication>
#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QSaveFile>
#include <QSvgGenerator>
#include <algorithm>
#include <numeric>

#include "ui/common/readablecolours.h"

namespace vorq {

namespace {

QDate dateOf(int tag) { return QDate(tag / 10000, tag / 100 % 100, tag % 100); }

// Distinct colours for up to a dozen songs, then they repeat.
QColor seriesColour(int i) {
    static const QColor colours[] = {
        QColor(0xd0, 0x30, 0x30), QColor(0x20, 0x60, 0xc0), QColor(0x20, 0x90, 0x40),
        QColor(0xc0, 0x80, 0x00), QColor(0x80, 0x30, 0xa0), QColor(0x00, 0x90, 0x90),
        QColor(0x90, 0x50, 0x20), QColor(0xe0, 0x40, 0x90), QColor(0x50, 0x50, 0x50),
        QColor(0x60, 0x90, 0x00), QColor(0x30, 0x30, 0x90), QColor(0xb0, 0x60, 0x60)};
    return colours[i % int(std::size(colours))];
}

}  // namespace

ChartRunPlot::ChartRunPlot(QWidget *parent) : QWidget(parent) {
    setObjectName(QStringLiteral("ChartRunPlot"));
    setMinimumSize(320, 180);
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
}

void ChartRunPlot::setSeries(const QList<Series> &series) {
    m_series = series;
    m_first = m_last = QDate();
    m_worstRank = 10;
    for (const Series &s : m_series) {
        for (const Appearance &a : s.figures.appearances) {
            const QDate d = dateOf(a.tag);
            if (!m_first.isValid() || d < m_first) m_first = d;
            if (!m_last.isValid() || d > m_last) m_last = d;
            m_worstRank = std::max(m_worstRank, a.rank);
        }
    }
    // Round the rank axis up to a tidy number: 10, 20, 50, 100, then hundreds.
    for (int tidy : {10, 20, 50, 100})
        if (m_worstRank <= tidy) {
            m_worstRank = tidy;
            break;
        }
    if (m_worstRank > 100) m_worstRank = (m_worstRank + 99) / 100 * 100;
    update();
}

namespace {

// Files keep the light look documents and web pages expect.
QPalette filePalette() { return colours::readablePalette(QApplication::style()->standardPalette()); }

}  // namespace

void ChartRunPlot::render(QPainter &p, const QRectF &whole, const QString &title) const {
    render(p, whole, title, palette());
}

void ChartRunPlot::render(QPainter &p, const QRectF &whole, const QString &title,
                          const QPalette &colours) const {
    const QColor ground = colours.color(QPalette::Active, QPalette::Base);
    const QColor ink = colours.color(QPalette::Active, QPalette::Text);
    const QColor softInk = colours::readableOn(colours::mix(ink, ground, 0.25), ground);
    const QColor frame = colours::mix(ink, ground, 0.6), grid = colours::mix(ink, ground, 0.88);
    // Lines stand 3:1 from the ground, as graphics must.
    const auto series = [&](int i) { return colours::readableOn(seriesColour(i), ground, 3.0); };
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(whole, ground);
    const QFontMetricsF fm(p.font());
    QRectF area = whole;
    if (!title.isEmpty()) {
        const QFont normal = p.font();
        QFont bold = normal;
        bold.setBold(true);
        p.setFont(bold);
        p.setPen(ink);
        const QRectF head(area.left() + 8, area.top() + 4, area.width() - 16, fm.height() + 4);
        p.drawText(head, Qt::AlignLeft | Qt::AlignVCenter,
                   QFontMetricsF(bold).elidedText(title, Qt::ElideRight, head.width()));
        p.setFont(normal);
        area.setTop(head.bottom() + 4);
    }
    const bool legend = m_series.size() > 1;
    const qreal legendWidth = legend ? std::min(area.width() * 0.3, 200.0) : 0;
    const QRectF plot = area.adjusted(fm.horizontalAdvance(QStringLiteral("100")) + 12, fm.height() / 2 + 4,
                                      -legendWidth - 12, -fm.height() - 10);
    p.setPen(frame);
    p.drawRect(plot);
    if (!m_first.isValid() || plot.width() < 10 || plot.height() < 10) {
        p.drawText(area, Qt::AlignCenter, QStringLiteral("チャートデータがありません"));
        p.restore();
        return;
    }
    const qint64 span = std::max<qint64>(m_first.daysTo(m_last), 7);
    const QDate first = m_first.addDays(m_first.daysTo(m_last) < 7 ? -3 : 0);
    auto xOf = [&](const QDate &d) {
        return plot.left() + plot.width() * qreal(first.daysTo(d)) / qreal(span);
    };
    auto yOf = [&](int rank) {
        return plot.top() + plot.height() * qreal(rank - 1) / qreal(std::max(1, m_worstRank - 1));
    };

    // Rank grid: #1 and every tidy step.
    const int step = m_worstRank <= 20 ? 5 : m_worstRank <= 100 ? 10 : 100;
    p.setFont(p.font());
    for (int r = 1; r <= m_worstRank; r = r == 1 ? step : r + step) {
        const qreal y = yOf(r);
        p.setPen(QPen(grid, 0));
        p.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        p.setPen(softInk);
        p.drawText(QRectF(area.left(), y - fm.height() / 2, plot.left() - area.left() - 4, fm.height()),
                   Qt::AlignRight | Qt::AlignVCenter, QString::number(r));
    }
    // Date axis: the smallest step in months whose labels do not run into
    // each other; labels of a year or more are the year alone.
    {
        const qreal monthLabel = fm.horizontalAdvance(QStringLiteral("0000/00")) + 12;
        const qreal yearLabel = fm.horizontalAdvance(QStringLiteral("0000")) + 12;
        const qreal perMonth = plot.width() * 30.44 / qreal(span);
        int every = 120;
        for (int months : {1, 2, 3, 6, 12, 24, 60, 120})
            if (perMonth * months >= (months < 12 ? monthLabel : yearLabel)) {
                every = months;
                break;
            }
        QDate tick(first.year(), first.month(), 1);
        if (every >= 12) tick = QDate(first.year(), 1, 1);
        while (tick < first) tick = tick.addMonths(every);
        for (; tick <= m_last; tick = tick.addMonths(every)) {
            const qreal x = xOf(tick);
            p.setPen(QPen(grid, 0));
            p.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
            p.setPen(softInk);
            const QString text =
                every >= 12 ? QString::number(tick.year()) : tick.toString(QStringLiteral("yyyy/MM"));
            // Centred on its line, but never past the plot's ends.
            const qreal w = fm.horizontalAdvance(text);
            const qreal left = std::clamp(x - w / 2, plot.left(), std::max(plot.left(), plot.right() - w));
            p.drawText(QPointF(left, plot.bottom() + fm.ascent() + 4), text);
        }
    }

    for (int i = 0; i < m_series.size(); ++i) {
        const SongFigures &f = m_series.at(i).figures;
        const QColor colour = series(i);
        p.setPen(QPen(colour, 2));
        for (const auto &[begin, end] : f.runRanges) {
            QPainterPath path;
            for (int k = begin; k < end; ++k) {
                const Appearance &a = f.appearances.at(k);
                const QPointF pt(xOf(dateOf(a.tag)), yOf(a.rank));
                if (k == begin)
                    path.moveTo(pt);
                else
                    path.lineTo(pt);
            }
            p.drawPath(path);
            if (end - begin == 1) p.drawEllipse(path.currentPosition(), 2, 2);
        }
        // The peak: a filled dot on its first week, labelled for a single song.
        if (f.peakTag) {
            const QPointF peak(xOf(dateOf(f.peakTag)), yOf(f.peakRank));
            p.setBrush(colour);
            p.drawEllipse(peak, 4, 4);
            p.setBrush(Qt::NoBrush);
            if (!legend) {
                p.setPen(ink);
                // Below the dot when above it would leave the plot.
                const qreal dy = peak.y() - 4 - fm.ascent() < plot.top() ? fm.ascent() + 2 : -4;
                p.drawText(peak + QPointF(6, dy), QStringLiteral("#%1").arg(f.peakRank));
            }
        }
    }
    if (legend) {
        const qreal line = fm.height() + 2;
        const int room = std::max(1, int((area.bottom() - plot.top()) / line));
        // The songs of the best peaks (then most weeks) when not all fit,
        // and one line saying how many are left out.
        QList<int> shown(m_series.size());
        std::iota(shown.begin(), shown.end(), 0);
        if (shown.size() > room) {
            std::stable_sort(shown.begin(), shown.end(), [this](int a, int b) {
                const SongFigures &x = m_series.at(a).figures, &y = m_series.at(b).figures;
                return x.peakRank != y.peakRank ? x.peakRank < y.peakRank : x.weeks > y.weeks;
            });
            shown.resize(room - 1);
        }
        qreal y = plot.top();
        const qreal x = plot.right() + 10;
        for (int i : std::as_const(shown)) {
            p.fillRect(QRectF(x, y + fm.height() / 2 - 3, 12, 6), series(i));
            p.setPen(ink);
            p.drawText(QRectF(x + 16, y, legendWidth - 18, fm.height()), Qt::AlignLeft | Qt::AlignVCenter,
                       fm.elidedText(m_series.at(i).name, Qt::ElideRight, legendWidth - 18));
            y += line;
        }
        if (shown.size() < m_series.size()) {
            p.setPen(softInk);
            p.drawText(QRectF(x, y, legendWidth, fm.height()), Qt::AlignLeft | Qt::AlignVCenter,
                       QStringLiteral("ほか %1 曲").arg(m_series.size() - shown.size()));
        }
    }
    p.restore();
}

void ChartRunPlot::paintEvent(QPaintEvent *) {
    QPainter p(this);
    render(p, rect());
}

bool ChartRunPlot::exportPng(const QString &path, const QSize &size, QString *error) const {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    {
        QPainter p(&image);
        p.setFont(font());
        render(p, QRectF(QPointF(0, 0), QSizeF(size)), m_title, filePalette());
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !image.save(&file, "PNG") || !file.commit()) {
        if (error) *error = file.errorString();
        return false;
    }
    return true;
}

bool ChartRunPlot::exportSvg(const QString &path, const QSize &size, QString *error) const {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QSvgGenerator svg;
        svg.setOutputDevice(&buffer);
        svg.setSize(size);
        svg.setViewBox(QRect(QPoint(0, 0), size));
        svg.setTitle(!m_title.isEmpty()     ? m_title
                     : m_series.size() == 1 ? m_series.first().name
                                            : QStringLiteral("chart runs"));
        QPainter p(&svg);
        p.setFont(font());
        render(p, QRectF(QPointF(0, 0), QSizeF(size)), m_title, filePalette());
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(buffer.data()) != buffer.size() || !file.commit()) {
        if (error) *error = file.errorString();
        return false;
    }
    return true;
}

}  // namespace vorq
