#include "ui/history/chartrunplot.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QSaveFile>
#include <QSvgGenerator>

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

void ChartRunPlot::render(QPainter &p, const QRectF &area) const {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(area, Qt::white);
    const QFontMetricsF fm(p.font());
    const bool legend = m_series.size() > 1;
    const qreal legendWidth = legend ? std::min(area.width() * 0.3, 200.0) : 0;
    const QRectF plot = area.adjusted(fm.horizontalAdvance(QStringLiteral("100")) + 12, fm.height() / 2 + 4,
                                      -legendWidth - 12, -fm.height() - 10);
    p.setPen(QColor(0x60, 0x60, 0x60));
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
        p.setPen(QPen(QColor(0xe0, 0xe0, 0xe0), 0));
        p.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        p.setPen(QColor(0x40, 0x40, 0x40));
        p.drawText(QRectF(area.left(), y - fm.height() / 2, plot.left() - area.left() - 4, fm.height()),
                   Qt::AlignRight | Qt::AlignVCenter, QString::number(r));
    }
    // Date axis: years when the span is long, months otherwise.
    const bool years = span > 500;
    QDate tick = years ? QDate(first.year() + 1, 1, 1) : QDate(first.year(), first.month(), 1).addMonths(1);
    const int every = years ? std::max<int>(1, int(span / 365 / 8)) : std::max<int>(1, int(span / 30 / 8));
    for (; tick <= m_last; tick = years ? tick.addYears(every) : tick.addMonths(every)) {
        const qreal x = xOf(tick);
        p.setPen(QPen(QColor(0xe8, 0xe8, 0xe8), 0));
        p.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
        p.setPen(QColor(0x40, 0x40, 0x40));
        const QString text = years ? QString::number(tick.year()) : tick.toString(QStringLiteral("yyyy/MM"));
        p.drawText(QPointF(x - fm.horizontalAdvance(text) / 2, plot.bottom() + fm.ascent() + 4), text);
    }

    for (int i = 0; i < m_series.size(); ++i) {
        const SongFigures &f = m_series.at(i).figures;
        const QColor colour = seriesColour(i);
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
                p.setPen(QColor(0x20, 0x20, 0x20));
                // Below the dot when above it would leave the plot.
                const qreal dy = peak.y() - 4 - fm.ascent() < plot.top() ? fm.ascent() + 2 : -4;
                p.drawText(peak + QPointF(6, dy), QStringLiteral("#%1").arg(f.peakRank));
            }
        }
    }
    if (legend) {
        qreal y = plot.top();
        const qreal x = plot.right() + 10;
        for (int i = 0; i < m_series.size() && y + fm.height() <= area.bottom(); ++i, y += fm.height() + 2) {
            p.fillRect(QRectF(x, y + fm.height() / 2 - 3, 12, 6), seriesColour(i));
            p.setPen(QColor(0x20, 0x20, 0x20));
            p.drawText(QRectF(x + 16, y, legendWidth - 18, fm.height()), Qt::AlignLeft | Qt::AlignVCenter,
                       fm.elidedText(m_series.at(i).name, Qt::ElideRight, legendWidth - 18));
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
    image.fill(Qt::white);
    {
        QPainter p(&image);
        p.setFont(font());
        render(p, QRectF(QPointF(0, 0), QSizeF(size)));
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
        svg.setTitle(m_series.size() == 1 ? m_series.first().name : QStringLiteral("chart runs"));
        QPainter p(&svg);
        p.setFont(font());
        render(p, QRectF(QPointF(0, 0), QSizeF(size)));
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(buffer.data()) != buffer.size() || !file.commit()) {
        if (error) *error = file.errorString();
        return false;
    }
    return true;
}

}  // namespace vorq
