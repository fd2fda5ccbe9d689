#include "ui/player/queuewindow.h"

#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QShortcut>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "core/player/playqueue.h"
#include "core/text/sjistext.h"
#include "ui/common/accessiblenames.h"
#include "ui/common/readablecolours.h"
#include "ui/player/queueplayer.h"

namespace vorq {

namespace {

QTreeWidget *makeList(QWidget *parent, const char *name, const QStringList &headers) {
    auto *list = new QTreeWidget(parent);
    list->setObjectName(QString::fromLatin1(name));
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setAllColumnsShowFocus(true);
    list->setHeaderLabels(headers);
    list->header()->setStretchLastSection(true);
    return list;
}

QString dateOf(int tag) { return tag ? sjis::toUnicode(dateLabelFromTag(tag)) : QString(); }

}  // namespace

QueueWindow::QueueWindow(QueuePlayer *player, QWidget *parent) : QWidget(parent, Qt::Tool), m_player(player) {
    setObjectName(QStringLiteral("PlayQueueWindow"));
    setWindowTitle(QStringLiteral("再生キュー"));
    auto *queueLabel = new QLabel(QStringLiteral("再生する曲(&Q)"), this);
    queueList = makeList(this, "QueueList",
                         {QStringLiteral("再生"), QStringLiteral("順位"), QStringLiteral("曲名"),
                          QStringLiteral("アーティスト"), QStringLiteral("日付")});
    queueList->setToolTip(QStringLiteral("ダブルクリックかEnterでその曲から再生"));
    nameAfter(queueLabel, queueList);
    skippedLabel = new QLabel(this);
    skippedLabel->setObjectName(QStringLiteral("SkippedLabel"));
    skippedList = makeList(this, "SkippedList",
                           {QStringLiteral("順位"), QStringLiteral("曲名"), QStringLiteral("アーティスト"),
                            QStringLiteral("日付"), QStringLiteral("理由"), QStringLiteral("ファイル")});
    skippedLabel->setBuddy(skippedList);
    skippedList->setAccessibleName(QStringLiteral("再生できない曲"));
    // A tool window has no keyboard way out of its own otherwise.
    connect(new QShortcut(QKeySequence::Cancel, this), &QShortcut::activated, this, &QWidget::close);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(queueLabel);
    layout->addWidget(queueList, 3);
    layout->addWidget(skippedLabel);
    layout->addWidget(skippedList, 1);
    resize(560, 480);

    connect(queueList, &QTreeWidget::itemActivated, this,
            [this](QTreeWidgetItem *item) { jumpToItem(queueList->indexOfTopLevelItem(item)); });
    connect(player, &QueuePlayer::queueChanged, this, [this] { fill(); });
    connect(player, &QueuePlayer::currentChanged, this, [this] { markCurrent(); });
    connect(player, &QueuePlayer::playbackFailed, this, [this](int index, const QString &message) {
        if (QTreeWidgetItem *item = queueList->topLevelItem(index)) {
            item->setText(0, QStringLiteral("×"));
            item->setData(0, Qt::AccessibleTextRole, QStringLiteral("再生できませんでした"));
            item->setToolTip(0, message);
            // Greyed, yet a shade that still reads: the row says what failed.
            const QColor grey = colours::readableOn(palette().color(QPalette::Disabled, QPalette::Text),
                                                    palette().color(QPalette::Base));
            for (int c = 0; c < item->columnCount(); ++c) item->setForeground(c, grey);
        }
    });
    fill();
}

void QueueWindow::fill() {
    queueList->clear();
    const PlayQueue &q = m_player->queue();
    QList<QTreeWidgetItem *> items;
    items.reserve(q.entries.size());
    for (const QueueEntry &e : q.entries)
        items << new QTreeWidgetItem({QString(), sjis::toUnicode(e.rank), sjis::toUnicode(e.title),
                                      sjis::toUnicode(e.artist), dateOf(e.tag)});
    queueList->addTopLevelItems(items);
    skippedList->clear();
    items.clear();
    for (const SkippedSong &s : q.skipped)
        items << new QTreeWidgetItem({sjis::toUnicode(s.song.rank), sjis::toUnicode(s.song.title),
                                      sjis::toUnicode(s.song.artist), dateOf(s.song.tag),
                                      skipReasonText(s.reason), sjis::toUnicode(s.song.stored)});
    skippedList->addTopLevelItems(items);
    skippedLabel->setText(QStringLiteral("再生できない曲(&S): %1曲").arg(q.skipped.size()));
    for (QTreeWidget *list : {queueList, skippedList})
        for (int c = 0; c + 1 < list->columnCount(); ++c) list->resizeColumnToContents(c);
    m_marked = -1;
    markCurrent();
}

void QueueWindow::markCurrent() {
    if (QTreeWidgetItem *old = queueList->topLevelItem(m_marked)) {
        if (!m_player->hasFailed(m_marked)) {
            old->setText(0, QString());
            old->setData(0, Qt::AccessibleTextRole, QVariant());
        }
        for (int c = 0; c < old->columnCount(); ++c) {
            QFont f = old->font(c);
            f.setBold(false);
            old->setFont(c, f);
        }
    }
    m_marked = m_player->current();
    if (QTreeWidgetItem *now = queueList->topLevelItem(m_marked)) {
        now->setText(0, QStringLiteral("▶"));
        now->setData(0, Qt::AccessibleTextRole, QStringLiteral("再生中"));
        for (int c = 0; c < now->columnCount(); ++c) {
            QFont f = now->font(c);
            f.setBold(true);
            now->setFont(c, f);
        }
        queueList->scrollToItem(now);
    }
}

void QueueWindow::jumpToItem(int index) { m_player->jumpTo(index); }

}  // namespace vorq
