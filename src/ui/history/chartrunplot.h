#pragma once
// The chart-run plot: broadcast dates across, rank down (#1 at the top),
// one line per run with gaps where the song left the chart, the peak
// marked. Several songs (an artist's) get a colour each and a legend.
#include <QDate>
#include <QList>
#include <QString>
#include <QWidget>

#include "core/history/charthistory.h"

namespace vorq {

class ChartRunPlot : public QWidget {
    Q_OBJECT
public:
    struct Series {
        QString name;
        vorq::SongFigures figures;
    };

    explicit ChartRunPlot(QWidget *parent = nullptr);
    void setSeries(const QList<Series> &series);
    const QList<Series> &series() const { return m_series; }
    // The heading an exported image carries (the window shows it in its
    // title bar instead).
    void setTitle(const QString &title) { m_title = title; }

    // Draws the plot into any paint device of the given size (the widget,
    // an image for PNG, an SVG generator).
    // With a title, it heads the area. A legend longer than the area names
    // the songs of the best peaks and says how many more there are.
    // The colours come from a palette: the widget's on screen, the style's
    // light one for files.
    void render(QPainter &p, const QRectF &area, const QString &title = {}) const;
    void render(QPainter &p, const QRectF &area, const QString &title, const QPalette &colours) const;
    // Writes the plot as PNG or SVG; false with the reason on failure.
    bool exportPng(const QString &path, const QSize &size, QString *error) const;
    bool exportSvg(const QString &path, const QSize &size, QString *error) const;

    QSize sizeHint() const override { return {640, 320}; }

protected:
    void paintEvent(QPaintEvent *e) override;

private:
    QList<Series> m_series;
    QString m_title;
    QDate m_first, m_last;
    int m_worstRank = 100;
};

}  // namespace vorq
