#include "ui/player/playercommands.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QTableView>

#include "core/player/playqueue.h"
#include "core/text/sjistext.h"
#include "ui/common/waitdialog.h"
#include "ui/import/importhost.h"
#include "ui/mainwindow/datepage.h"
#include "ui/mainwindow/mainwindow.h"
#include "ui/player/mprisservice.h"
#include "ui/player/playerbar.h"
#include "ui/player/queueplayer.h"
#include "ui/player/queuewindow.h"
#include "ui/results/resultlistwindow.h"

namespace vorq {

PlayerCommands::PlayerCommands(MainWindow *form) : QObject(form), m_form(form) {
    setObjectName(QStringLiteral("PlayerCommands"));
    m_player = new QueuePlayer(this);
    m_bar = new PlayerBar(m_player, form);
    m_bar->hide();
    connect(m_bar, &PlayerBar::queueRequested, this, [this] {
        queueWindow()->show();
        queueWindow()->raise();
        queueWindow()->activateWindow();
    });
    connect(m_bar, &PlayerBar::closeRequested, this, [this] {
        m_player->stop();
        m_bar->hide();
        mark(0, -1);  // with the bar gone no row is playing
    });

    m_message = new QLabel(form->statusPanels);
    m_message->setObjectName(QStringLiteral("PlayerMessage"));
    m_message->setTextFormat(Qt::PlainText);
    m_message->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    form->statusPanels->addPermanentWidget(m_message, 1);

    connect(m_player, &QueuePlayer::currentChanged, this, &PlayerCommands::onCurrentChanged);
    connect(m_player, &QueuePlayer::playbackFailed, this, [this](int index, const QString &why) {
        const QueueEntry &e = m_player->queue().entries.at(index);
        m_message->setText(QStringLiteral("再生できませんでした: %1 (%2)").arg(e.path, why));
        m_message->setToolTip(m_message->text());
    });
    connect(m_player, &QueuePlayer::finished, this, [this] { mark(0, -1); });

    // The week of the date menu, and the week on view for the chart's menu.
    if (QMenu *dates = form->dateMenu) {
        QMenu *menu =
            makeCountdownMenu(dates, QStringLiteral("CountdownMenu"), [this](const CountdownOptions &o) {
                if (const auto date = dateFromLabel(m_form->dateLabelAt(m_form->rightClickedIndex())))
                    countdown(dateTag(*date), o);
            });
        const qsizetype at = dates->actions().indexOf(form->importAction) + 1;
        if (at > 0 && at < dates->actions().size())
            dates->insertMenu(dates->actions().at(at), menu);
        else
            dates->addMenu(menu);
        connect(dates, &QMenu::aboutToShow, this, [this, menu] {
            menu->menuAction()->setEnabled(m_form->dateHasData(m_form->rightClickedIndex()));
        });
    }
    m_chartMenu =
        makeCountdownMenu(form, QStringLiteral("ChartCountdownMenu"), [this](const CountdownOptions &o) {
            if (const DatePage *page = m_form->tabSheet(m_form->activeTab())) countdown(page->tag(), o);
        });

    // Media keys reach the window when the desktop does not take them.
    const std::pair<Qt::Key, void (QueuePlayer::*)()> keys[] = {
        {Qt::Key_MediaTogglePlayPause, &QueuePlayer::playPause},
        {Qt::Key_MediaPlay, &QueuePlayer::play},
        {Qt::Key_MediaPause, &QueuePlayer::pause},
        {Qt::Key_MediaStop, &QueuePlayer::stop},
        {Qt::Key_MediaNext, &QueuePlayer::next},
        {Qt::Key_MediaPrevious, &QueuePlayer::previous}};
    for (const auto &[key, command] : keys) {
        auto *action = new QAction(form);
        action->setShortcut(key);
        form->addAction(action);
        connect(action, &QAction::triggered, m_player, command);
    }

    if (ResultListWindow *results = form->resultWindow())
        connect(results, &ResultListWindow::playRequested, this, [this, results] {
            if (results->layoutMode() == ResultListWindow::Playlist)
                playPlaylist(results->rows(), results->songCount());
            else
                playResultRows(results->rows());
        });
}

PlayerCommands::~PlayerCommands() = default;

QMenu *PlayerCommands::makeCountdownMenu(QWidget *parent, const QString &name,
                                         std::function<void(const CountdownOptions &)> play) {
    auto *menu = new QMenu(QStringLiteral("カウントダウン再生"), parent);
    menu->setObjectName(name);
    const std::pair<int, QString> choices[] = {
        {0, QStringLiteral("全順位(&A)")},    {50, QStringLiteral("トップ50(&5)")},
        {40, QStringLiteral("トップ40(&4)")}, {30, QStringLiteral("トップ30(&3)")},
        {20, QStringLiteral("トップ20(&2)")}, {10, QStringLiteral("トップ10(&1)")}};
    for (const auto &[top, text] : choices) {
        QAction *a = menu->addAction(text);
        a->setObjectName(top ? QStringLiteral("CountdownTop%1").arg(top) : QStringLiteral("CountdownAll"));
        connect(a, &QAction::triggered, this, [this, play, top = top] { play({top, m_fromTop}); });
    }
    menu->addSeparator();
    QAction *fromTop = menu->addAction(QStringLiteral("1位から順に(&F)"));
    fromTop->setObjectName(QStringLiteral("CountdownFromTop"));
    fromTop->setCheckable(true);
    fromTop->setChecked(m_fromTop);
    connect(fromTop, &QAction::toggled, this, [this](bool on) {
        m_fromTop = on;
        for (QAction *other : std::as_const(m_fromTopActions)) other->setChecked(on);
    });
    m_fromTopActions << fromTop;
    connect(fromTop, &QObject::destroyed, this, [this, fromTop] { m_fromTopActions.removeAll(fromTop); });
    return menu;
}

QAction *PlayerCommands::chartCountdownAction() const { return m_chartMenu->menuAction(); }

QueueWindow *PlayerCommands::queueWindow() {
    if (!m_queueWindow) m_queueWindow = new QueueWindow(m_player, m_form);
    return m_queueWindow;
}

// ---- sources -------------------------------------------------------------------

void PlayerCommands::countdown(int tag, const CountdownOptions &options) {
    const int index = m_form->store().indexOfTag(tag);
    if (index < 0) return;
    play(countdownQueue(m_form->store().tabs.at(index), options));
}

void PlayerCommands::playResultRows(const ResultList &rows) {
    play(resultListQueue(rows, m_form->store().tabs));
}

void PlayerCommands::playPlaylist(const ResultList &rows, qint64 count) {
    play(playlistQueue(rows, count, m_form->store().tabs));
}

void PlayerCommands::playTopList(const QList<TopListItem> &items, const CountdownOptions &options) {
    play(topListQueue(items, m_form->store().tabs, options));
}

void PlayerCommands::play(PlayQueue queue) {
    // The desktop's controls appear with the first queue, not at every start.
    if (!m_mpris) m_mpris = new MprisService(m_player, m_form, this);
    const qsizetype skipped = queue.skipped.size();
    const bool nothing = queue.entries.isEmpty();
    m_player->setQueue(std::move(queue));
    m_bar->show();
    if (nothing) {
        m_message->setText(QStringLiteral("再生できる曲がありません (再生できない曲: %1曲)").arg(skipped));
        queueWindow()->show();
    } else if (skipped > 0) {
        m_message->setText(QStringLiteral("再生できない曲: %1曲 (キューに理由)").arg(skipped));
    } else {
        m_message->clear();
    }
    m_message->setToolTip(m_message->text());
}

void PlayerCommands::shutdown() {
    m_player->shutdown();
    delete m_mpris;
    m_mpris = nullptr;
    if (m_queueWindow) m_queueWindow->close();
}

// ---- the playing row -------------------------------------------------------------

void PlayerCommands::onCurrentChanged(int index) {
    const QueueEntry *e = m_player->currentEntry();
    if (index < 0 || !e) {
        mark(0, -1);
        return;
    }
    mark(e->tag, e->row);
    follow(*e);
}

void PlayerCommands::mark(int tag, int row) {
    const PlayingMark old = m_form->playingMark;
    m_form->playingMark = {tag, row};
    repaintWeek(old.tag);
    if (tag != old.tag) repaintWeek(tag);
}

void PlayerCommands::repaintWeek(int tag) {
    if (!tag) return;
    for (int i = 0; i < m_form->tabCount(); ++i) {
        const DatePage *page = m_form->tabSheet(i);
        if (page && page->tag() == tag && page->listView()) page->listView()->viewport()->update();
    }
}

// A load, an import or the automatic update changes pages under their own
// wait dialog: the view is left where it is meanwhile.
bool PlayerCommands::busy() const {
    return importRunning(m_form) || qobject_cast<WaitDialog *>(QApplication::activeModalWidget()) ||
           m_form->startupGuard() == 0;
}

void PlayerCommands::follow(const QueueEntry &entry) {
    if (!entry.tag || busy()) return;
    const int index = m_form->store().indexOfTag(entry.tag);
    if (index < 0 || index >= m_form->tabCount()) return;
    if (m_form->activeTab() != index) {
        m_form->setActiveTab(index);
        m_form->syncDateListSelection();
    }
    if (entry.row < 0) return;
    if (QTableView *view = m_form->listView(index)) view->scrollTo(view->model()->index(entry.row, 0));
}

}  // namespace vorq
