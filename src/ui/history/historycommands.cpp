#include "ui/history/historycommands.h"

#include <QTableView>

#include <QAction>

#include "ui/common/guards.h"

#include "ui/history/historywindow.h"
#include "ui/history/toplistsdialog.h"
#include "ui/mainwindow/mainwindow.h"
#include "ui/player/playercommands.h"

namespace vorq {

HistoryCommands::HistoryCommands(MainWindow *window) : QObject(window), m_main(window) {
    setObjectName(QStringLiteral("HistoryCommands"));
    auto add = [&](const QString &name, const QString &text, const QKeySequence &keys,
                   void (HistoryCommands::*slot)()) {
        auto *action = new QAction(text, window);
        action->setObjectName(name);
        action->setShortcut(keys);
        action->setShortcutContext(Qt::WindowShortcut);
        window->addAction(action);
        connect(action, &QAction::triggered, this, [this, slot] { (this->*slot)(); });
        return action;
    };
    songAction = add(QStringLiteral("SongHistory"), QStringLiteral("この曲のチャート履歴(&H)"),
                     QKeySequence(Qt::CTRL | Qt::Key_H), &HistoryCommands::showSongOfSelection);
    artistAction =
        add(QStringLiteral("ArtistHistory"), QStringLiteral("このアーティストのチャート履歴"),
            QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_H), &HistoryCommands::showArtistOfSelection);
    add(QStringLiteral("TopLists"), QStringLiteral("ランキング集計"), QKeySequence(Qt::CTRL | Qt::Key_T),
        &HistoryCommands::showTopLists);
}

const ChartHistory &HistoryCommands::history() {
    // The loaded dates decide the index; association edits do not matter.
    size_t key = size_t(m_main->store().tabs.size());
    for (const ChartTab &t : m_main->store().tabs) key = key * 1000003u ^ size_t(t.tag);
    if (!m_history || key != m_key) {
        m_history = std::make_unique<ChartHistory>(m_main->store().tabs);
        m_key = key;
    }
    return *m_history;
}

void HistoryCommands::showSongOfSelection() {
    const ChartEntry *e = m_main->selectedEntry();
    if (e) showSong({e->title, e->artist});
}

void HistoryCommands::showArtistOfSelection() {
    const ChartEntry *e = m_main->selectedEntry();
    if (e) showArtist(e->artist);
}

void HistoryCommands::ensureWindow() {
    if (m_window) return;
    m_window = new HistoryWindow(m_main);
    connect(m_window, &HistoryWindow::weekChosen, this, &HistoryCommands::showWeek);
    connect(m_window, &HistoryWindow::songChosen, this, &HistoryCommands::showSong);
}

void HistoryCommands::showSong(const SongKey &song) {
    runGuarded(m_main, [&] {
        const std::optional<SongFigures> f = history().song(song);
        if (!f) return;
        ensureWindow();
        m_window->showSong(*f);
        m_window->show();
        m_window->raise();
        m_window->activateWindow();
    });
}

void HistoryCommands::showArtist(const QByteArray &artist) {
    runGuarded(m_main, [&] {
        const std::optional<ArtistFigures> f = history().artist(artist);
        if (!f) return;
        ensureWindow();
        m_window->showArtist(*f);
        m_window->show();
        m_window->raise();
        m_window->activateWindow();
    });
}

void HistoryCommands::showTopLists() {
    runGuarded(m_main, [&] {
        if (!m_top) {
            m_top = new TopListsDialog(m_main);
            connect(m_top, &TopListsDialog::songChosen, this, &HistoryCommands::showSong);
            connect(m_top, &TopListsDialog::artistChosen, this, &HistoryCommands::showArtist);
            // "再生" counts the listed songs down, or plays them from #1.
            if (PlayerCommands *player = m_main->playerCommands)
                m_top->playButton->setMenu(player->makeCountdownMenu(
                    m_top, QStringLiteral("TopListCountdownMenu"),
                    [this, player](const CountdownOptions &o) { player->playTopList(m_top->items(), o); }));
        }
        m_top->setResultWindow(m_main->resultWindow());
        m_top->setHistory([this]() -> const ChartHistory & { return history(); },
                          [this]() -> const QList<ChartTab> & { return m_main->store().tabs; });
        m_top->show();
        m_top->raise();
    });
}

void HistoryCommands::showWeek(int tag) {
    const int index = m_main->store().indexOfTag(tag);
    if (index < 0) return;
    m_main->setActiveTab(index);
    m_main->syncDateListSelection();
    // The week is asked for because of the song: show where it stands.
    const SongKey song = m_window ? m_window->song() : SongKey();
    const ChartTable &rows = m_main->store().tabs.at(index).rows;
    for (qsizetype r = 0; r < rows.size(); ++r) {
        if (rows.at(r).title != song.title || rows.at(r).artist != song.artist) continue;
        if (QTableView *view = m_main->listView(index)) {
            view->selectRow(int(r));
            view->scrollTo(view->model()->index(int(r), 0), QAbstractItemView::PositionAtCenter);
        }
        break;
    }
    m_main->raise();
    m_main->activateWindow();
}

}  // namespace vorq
