#pragma once
// A song's or an artist's chart history: its figures, its appearances and
// the chart-run plot, exportable as PNG or SVG.
#include <QDialog>
#include <QList>

#include "core/history/charthistory.h"

class QLabel;
class QPushButton;
class QTableWidget;

namespace vorq {

class ChartRunPlot;

class HistoryWindow : public QDialog {
    Q_OBJECT
public:
    explicit HistoryWindow(QWidget *parent = nullptr);

    void showSong(const vorq::SongFigures &song);
    void showArtist(const vorq::ArtistFigures &artist);
    // The song on view in song mode (empty in artist mode).
    const vorq::SongKey &song() const { return m_song; }

    ChartRunPlot *plot = nullptr;
    QLabel *figuresLabel = nullptr;
    QTableWidget *appearanceTable = nullptr;  // song: date, rank; artist: its songs
    QPushButton *savePngButton = nullptr;
    QPushButton *saveSvgButton = nullptr;

signals:
    // A double click on a week of the song's appearances.
    void weekChosen(int tag);
    // A double click on one of the artist's songs.
    void songChosen(const vorq::SongKey &song);

private:
    void onExport(bool svg);
    bool m_artistMode = false;
    vorq::SongKey m_song;
    QList<vorq::SongKey> m_songs;  // artist mode: the table's rows
};

}  // namespace vorq
