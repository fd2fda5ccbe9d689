#include "ui/playlist/playlistmakerdialog.h"

#include <QCheckBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QVBoxLayout>
#include <optional>

#include "ui/common/guards.h"
#include "ui/common/waitdialog.h"
#include "ui/results/resultlistwindow.h"

namespace vorq {

namespace {

// Labels under a horizontal slider, one per value, each centred on the
// value's tick (kept inside the row at both ends).
class TickLabels : public QWidget {
public:
    TickLabels(QSlider *slider, QWidget *parent) : QWidget(parent), m_slider(slider) {
        slider->installEventFilter(this);
    }
    QLabel *addLabel(const QString &text) {
        auto *l = new QLabel(text, this);
        m_labels.append(l);
        updateGeometry();
        return l;
    }
    QSize sizeHint() const override {
        // Ticks are evenly spaced: room for the widest label at each.
        int w = 0, h = 0;
        for (QLabel *l : m_labels) {
            w = std::max(w, l->sizeHint().width() + 12);
            h = std::max(h, l->sizeHint().height());
        }
        return {w * int(m_labels.size()), h};
    }
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void resizeEvent(QResizeEvent *) override { place(); }
    bool eventFilter(QObject *o, QEvent *e) override {
        if (o == m_slider && (e->type() == QEvent::Resize || e->type() == QEvent::Move)) place();
        return false;
    }

private:
    void place() {
        QStyleOptionSlider opt;
        opt.initFrom(m_slider);
        opt.orientation = Qt::Horizontal;
        opt.minimum = m_slider->minimum();
        opt.maximum = m_slider->maximum();
        const QRect groove =
            m_slider->style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderGroove, m_slider);
        const int handle = m_slider->style()->pixelMetric(QStyle::PM_SliderLength, &opt, m_slider);
        const int left = m_slider->mapToGlobal(QPoint(groove.left(), 0)).x() - mapToGlobal(QPoint(0, 0)).x();
        for (int i = 0; i < m_labels.size(); ++i) {
            QLabel *l = m_labels.at(i);
            const int x = left + handle / 2 +
                          QStyle::sliderPositionFromValue(opt.minimum, opt.maximum, opt.minimum + i,
                                                          groove.width() - handle);
            const int w = l->sizeHint().width();
            l->setGeometry(std::clamp(x - w / 2, 0, std::max(0, width() - w)), 0, w, height());
        }
    }

    QSlider *m_slider;
    QList<QLabel *> m_labels;
};

}  // namespace

IndexedRadioGroup::IndexedRadioGroup(const QString &caption, QWidget *parent) : QGroupBox(caption, parent) {
    new QVBoxLayout(this);
}

void IndexedRadioGroup::addItem(const QString &text) {
    auto *b = new QRadioButton(text, this);
    m_buttons.append(b);
    layout()->addWidget(b);
}

int IndexedRadioGroup::itemIndex() const {
    for (int i = 0; i < m_buttons.size(); ++i)
        if (m_buttons[i]->isChecked()) return i;
    return -1;
}

void IndexedRadioGroup::setItemIndex(int index) {
    index = std::clamp(index, -1, count() - 1);
    for (int i = 0; i < m_buttons.size(); ++i) {
        // Auto-exclusive buttons refuse to be unchecked directly.
        m_buttons[i]->setAutoExclusive(false);
        m_buttons[i]->setChecked(i == index);
        m_buttons[i]->setAutoExclusive(true);
    }
}

PlaylistMakerDialog::PlaylistMakerDialog(QWidget *parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(QStringLiteral("Playlist Maker"));
    auto *top = new QVBoxLayout(this);
    top->addWidget(
        new QLabel(QStringLiteral("VORQのデータから条件を満たすプレイリストを生成します。"), this));

    auto *priority = new QGroupBox(QStringLiteral("優先順位"), this);
    auto *pl = new QVBoxLayout(priority);
    priorityBar = new QSlider(Qt::Horizontal, priority);
    priorityBar->setObjectName(QStringLiteral("TrackBar1"));
    priorityBar->setRange(0, 5);
    priorityBar->setPageStep(1);
    priorityBar->setTickPosition(QSlider::TicksBelow);
    priorityBar->setValue(1);
    pl->addWidget(priorityBar);
    // The six positions' labels under the bar, each centred on its tick.
    auto *ticks = new TickLabels(priorityBar, priority);
    const QString names[] = {QStringLiteral("新曲のみ"), QStringLiteral("新曲重視"),
                             QStringLiteral("←→中間"),   QStringLiteral("期間ランキング平均"),
                             QStringLiteral("登場回数"), QStringLiteral("すべて均等")};
    for (int i = 0; i < 6; ++i)
        ticks->addLabel(names[i])->setObjectName(QStringLiteral("Label%1").arg(i + 2));
    pl->addWidget(ticks);
    top->addWidget(priority);

    sortDirectionGroup = new IndexedRadioGroup(QStringLiteral("ランキングによる並べ替え"), this);
    sortDirectionGroup->setObjectName(QStringLiteral("RadioGroup2"));
    sortDirectionGroup->addItem(QStringLiteral("ランキング下位→上位"));
    sortDirectionGroup->addItem(QStringLiteral("ランキング上位→下位"));
    sortDirectionGroup->setItemIndex(1);
    top->addWidget(sortDirectionGroup);

    auto *rate = new QGroupBox(QStringLiteral("並べ替え率(正しく整列させる曲の割合)"), this);
    auto *rl = new QHBoxLayout(rate);
    sortRateSpin = new QSpinBox(rate);
    sortRateSpin->setObjectName(QStringLiteral("SpinEdit1"));
    sortRateSpin->setRange(0, 100);
    sortRateSpin->setValue(100);
    rl->addWidget(sortRateSpin);
    rl->addWidget(new QLabel(QStringLiteral("%"), rate));
    rl->addStretch();
    top->addWidget(rate);

    takeAssociatedBox = new QCheckBox(QStringLiteral("関連付けされた曲(プレイリストを作成)"), this);
    takeAssociatedBox->setObjectName(QStringLiteral("CheckBox1"));
    takeAssociatedBox->setToolTip(QStringLiteral("曲数が足らない場合は無視されます"));
    takeAssociatedBox->setChecked(true);
    top->addWidget(takeAssociatedBox);
    takeUnassociatedBox =
        new QCheckBox(QStringLiteral("関連付けされていない曲(プレイリストを作る場合はクリアします)"), this);
    takeUnassociatedBox->setObjectName(QStringLiteral("CheckBox2"));
    top->addWidget(takeUnassociatedBox);

    generateButton = new QPushButton(QStringLiteral("生成"), this);
    generateButton->setObjectName(QStringLiteral("Button1"));
    generateButton->setDefault(true);
    closeButton = new QPushButton(QStringLiteral("閉じる"), this);
    closeButton->setObjectName(QStringLiteral("Button2"));
    playButton = new QPushButton(QStringLiteral("再生"), this);
    playButton->setObjectName(QStringLiteral("PlayButton"));
    playButton->setToolTip(QStringLiteral("生成したリストをそのまま再生します"));
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(generateButton);
    buttons->addWidget(playButton);
    buttons->addWidget(closeButton);
    top->addLayout(buttons);
    connect(generateButton, &QPushButton::clicked, this,
            [this] { vorq::runGuarded(this, [this] { onGenerateClicked(); }); });
    connect(closeButton, &QPushButton::clicked, this, [this] { onCloseClicked(); });
    connect(playButton, &QPushButton::clicked, this,
            [this] { vorq::runGuarded(this, [this] { onPlayClicked(); }); });
}

vorq::PlaylistSettings PlaylistMakerDialog::settings() const {
    vorq::PlaylistSettings s;
    s.order = priorityBar->value();
    s.descending = sortDirectionGroup->itemIndex() == 1;  // "ランキング上位→下位"
    s.sortRate = sortRateSpin->value();
    s.takeAssociated = takeAssociatedBox->isChecked();
    s.takeUnassociated = takeUnassociatedBox->isChecked();
    return s;
}

void PlaylistMakerDialog::generate() {
    if (!m_resultWindow) return;
    const vorq::PlaylistSettings s = settings();
    static const QList<vorq::ChartTab> noTabs;
    const QList<vorq::ChartTab> &tabs = m_store ? m_store->tabs : noTabs;

    std::optional<vorq::CursorGuard> busy(std::in_place);
    m_resultWindow->clearRows();
    m_resultWindow->setLayoutMode(ResultListWindow::Playlist);
    vorq::PlaylistResult result;
    if (s.order == vorq::NewestOnly) {
        result = vorq::scorePlaylist(tabs, s, m_random);
    } else {
        // Progress per tab only: the loop is short and runs to its end, so
        // the dialog has no stop button. Events run now and then so that the
        // dialog is drawn once the window manager maps it.
        vorq::WaitGuard wait(this, {}, false);
        vorq::WaitFeedback feedback(wait.get());
        result = vorq::scorePlaylist(tabs, s, m_random, [&](int percent) {
            feedback.progress(percent);
            feedback.yield();
        });
    }
    busy.reset();
    const int m = int(result.rows.size());
    vorq::disturbPlaylist(result.rows, s.sortRate, m_random);
    vorq::sortPlaylist(result.rows, s.descending);
    m_resultWindow->setRows(std::move(result.rows));
    m_resultWindow->setSongCount(m);
}

void PlaylistMakerDialog::onGenerateClicked() {
    if (!m_resultWindow) return;
    // The result window goes back to its same-song layout, empty, on every
    // path, errors included.
    vorq::ScopeExit restore([w = m_resultWindow] {
        w->clearRows();
        w->setLayoutMode(ResultListWindow::SameSong);
    });
    generate();
    m_resultWindow->exec();
}

void PlaylistMakerDialog::onPlayClicked() {
    if (!m_resultWindow) return;
    vorq::ScopeExit restore([w = m_resultWindow] {
        w->clearRows();
        w->setLayoutMode(ResultListWindow::SameSong);
    });
    generate();
    emit playRequested(m_resultWindow->rows(), m_resultWindow->songCount());
}

}  // namespace vorq
