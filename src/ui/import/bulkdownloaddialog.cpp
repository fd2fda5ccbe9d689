#include "ui/import/bulkdownloaddialog.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QProgressBar>
#include <QPushButton>
#include <QShowEvent>
#include <QtMath>
#include <array>

namespace vorq {

namespace {

// A transparent picture of the given size drawn by paint, antialiased.
template <typename Paint>
QPixmap drawnPixmap(int width, int height, Paint paint) {
    QPixmap pm(width, height);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    paint(p);
    return pm;
}

// The pictures are drawn here rather than stored: a page leaving a globe
// (sourceImage) for a folder (destinationImage), and a dot travelling along the arc.
QPixmap globePixmap() {
    return drawnPixmap(32, 32, [](QPainter &p) {
        p.setPen(QPen(QColor(0, 70, 140), 1.5));
        p.setBrush(QColor(120, 180, 240));
        p.drawEllipse(QRectF(2, 2, 28, 28));
        p.drawEllipse(QRectF(10, 2, 12, 28));
        p.drawLine(QPointF(2, 16), QPointF(30, 16));
    });
}

QPixmap folderPixmap() {
    return drawnPixmap(32, 32, [](QPainter &p) {
        p.setPen(QPen(QColor(140, 100, 0), 1.5));
        p.setBrush(QColor(250, 210, 90));
        QPainterPath path;
        path.moveTo(2, 8);
        path.lineTo(12, 8);
        path.lineTo(15, 11);
        path.lineTo(30, 11);
        path.lineTo(30, 28);
        path.lineTo(2, 28);
        path.closeSubpath();
        p.drawPath(path);
    });
}

QPixmap dotPixmap() {
    return drawnPixmap(10, 10, [](QPainter &p) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(30, 120, 30));
        p.drawEllipse(QRectF(1, 1, 8, 8));
    });
}

QLabel *makeLabel(QWidget *parent, const char *name, const QString &text, const QRect &geometry) {
    auto *l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setTextFormat(Qt::PlainText);  // addresses and paths from settings
    l->setGeometry(geometry);
    return l;
}

}  // namespace

BulkDownloadDialog::BulkDownloadDialog(QWidget *owner, QWidget *parent)
    : QDialog(parent ? parent : owner,
              Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint),
      m_owner(owner) {
    setObjectName(QStringLiteral("frmAllDownload"));
    setWindowTitle(QStringLiteral("ダウンロードしています..."));
    // The designed 192 pixels and a status line for retries and waits.
    setFixedSize(434, 210);
    QFont font(QStringLiteral("ＭＳ ゴシック"));
    font.setFamilies(
        {QStringLiteral("ＭＳ ゴシック"), QStringLiteral("IPAGothic"), QStringLiteral("monospace")});
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPixelSize(12);
    setFont(font);

    animationArea = new QWidget(this);
    animationArea->setObjectName(QStringLiteral("PaintBox1"));
    animationArea->setGeometry(8, 4, 418, 44);
    sourceImage = makeLabel(this, "Image1", QString(), QRect(16, 10, 32, 32));
    sourceImage->setPixmap(globePixmap());
    destinationImage = makeLabel(this, "Image2", QString(), QRect(386, 10, 32, 32));
    destinationImage->setPixmap(folderPixmap());
    // Sixteen frames on an arc from right (Image15) to left (Image30): the
    // visible one steps from Image30 down, so the dot moves left to right.
    const QPixmap dot = dotPixmap();
    for (int i = 0; i < 16; ++i) {
        const double t = double(15 - i) / 15.0;  // 1 at Image15, 0 at Image30
        const int x = int(56 + t * 312);
        const int y = int(30 - 22 * qSin(t * M_PI));
        frames[i] = makeLabel(this, nullptr, QString(), QRect(x, y, 10, 10));
        frames[i]->setObjectName(QStringLiteral("Image%1").arg(i + 15));
        frames[i]->setPixmap(dot);
        frames[i]->hide();
    }

    sourceLabel = makeLabel(this, "filenamelabel", QString(), QRect(8, 50, 418, 14));
    destinationLabel = makeLabel(this, "dirlabel", QString(), QRect(8, 66, 418, 14));
    progressBar = new QProgressBar(this);
    progressBar->setAccessibleName(QStringLiteral("全体の進み具合"));
    progressBar->setObjectName(QStringLiteral("ProgressBar"));
    progressBar->setRange(0, 100);
    progressBar->setValue(0);
    progressBar->setTextVisible(false);
    progressBar->setGeometry(8, 84, 418, 14);

    // Two groups of three captioned figures: the current file's and the run's.
    struct Figure {
        const char *caption, *id, *initial;
        QLabel **label;
    };
    const auto figureGroup = [this](const char *title, int x, const std::array<Figure, 3> &figures) {
        auto *group = new QGroupBox(QString::fromUtf8(title), this);
        group->setGeometry(x, 102, 206, 62);
        for (int i = 0; i < 3; ++i) {
            const int y = 14 + 15 * i;
            makeLabel(group, nullptr, QString::fromUtf8(figures[i].caption), QRect(8, y, 96, 14));
            *figures[i].label = makeLabel(group, figures[i].id, QString::fromLatin1(figures[i].initial),
                                          QRect(100, y, 100, 14));
        }
        return group;
    };
    currentGroup = figureGroup("現在のファイル", 8,
                               {{{"転送バイト数", "TransferLbl", "0", &transferLabel},
                                 {"経過時間", "TimeLbl", "00:00:00", &timeLabel},
                                 {"転送レート", "TransferRateLbl", "???", &rateLabel}}});
    allGroup = figureGroup("全ファイル", 220,
                           {{{"転送バイト数", "TotTransferLbl", "0", &totalTransferLabel},
                             {"経過時間", "TotTimeLbl", "00:00:00", &totalTimeLabel},
                             {"予想残り時間", "TimeLeftLbl", "???", &timeLeftLabel}}});

    cancelButton = new QPushButton(QStringLiteral("キャンセル"), this);
    cancelButton->setObjectName(QStringLiteral("CancelBtn"));
    cancelButton->setGeometry(172, 166, 90, 22);
    cancelButton->setDefault(true);
    cancelButton->setFocusPolicy(Qt::ClickFocus);  // not a tab stop
    connect(cancelButton, &QPushButton::clicked, this, [this] { onCancelClicked(); });

    statusLabel = makeLabel(this, "StatusLbl", QString(), QRect(8, 192, 418, 14));
}

void BulkDownloadDialog::setStatusText(const QString &text) {
    statusLabel->setText(statusLabel->fontMetrics().elidedText(text, Qt::ElideRight, statusLabel->width()));
    statusLabel->setToolTip(text);
}

void BulkDownloadDialog::showRedirect(const QString &url) {
    sourceLabel->setText(QLatin1Char('\'') + url + QLatin1Char('\'') + QStringLiteral(" から "));
}

BulkDownloadDialog::~BulkDownloadDialog() = default;

void BulkDownloadDialog::showEvent(QShowEvent *event) {
    QDialog::showEvent(event);
    if (m_shownOnce) return;
    m_shownOnce = true;
    m_progress.reset();
    if (QWidget *owner = m_owner) {
        // Integer division truncates toward zero, as the placement asks.
        const QRect frame = owner->frameGeometry();
        move(frame.left() + (owner->width() - width()) / 2, frame.top() + (owner->height() - height()) / 2);
    }
    cancelButton->setFocus();
    progressBar->setValue(0);
    placeFigures(currentGroup);
    placeFigures(allGroup);
}

// The designed rows assumed the designed font's title height: in the font in
// use the frame may run through the first row. Once the style has laid the
// group out, the rows start below its title, closer together if need be.
void BulkDownloadDialog::placeFigures(QGroupBox *group) {
    const QRect inside = group->contentsRect();
    const QList<QLabel *> labels = group->findChildren<QLabel *>(Qt::FindDirectChildrenOnly);
    const int top = std::max(14, inside.top());
    const int step = std::min(15, (inside.bottom() + 1 - top - 14) / 2);
    for (QLabel *label : labels) {
        const int row = (label->y() - 14 + 7) / 15;  // 0, 1, 2 as designed
        label->move(label->x(), top + row * step);
    }
}

void BulkDownloadDialog::startDate(const QString &source, const QString &destination, qint64 expectedTotal) {
    m_progress.startDate(expectedTotal);
    sourceLabel->setText(source);
    destinationLabel->setText(destination);
}

void BulkDownloadDialog::setProgress(int percent) {
    // An estimate smaller than what arrived shows as a full bar.
    progressBar->setValue(qBound(0, percent, 100));
}

void BulkDownloadDialog::reportTransfer(qint64 bytes, qint64 elapsedMs) {
    const vorq::BulkProgress::Figures f = m_progress.update(bytes, elapsedMs);
    setProgress(f.progress);
    transferLabel->setText(f.transfer);
    timeLabel->setText(f.time);
    timeLeftLabel->setText(f.timeLeft);
    totalTransferLabel->setText(f.totTransfer);
    totalTimeLabel->setText(f.totTime);
    rateLabel->setText(f.rate);
    if (f.showFrame >= 0) {
        frame(f.showFrame)->show();
        frame(f.hideFrame)->hide();
    }
}

void BulkDownloadDialog::finishDate() { m_progress.finishDate(); }

void BulkDownloadDialog::onCancelClicked() { m_cancel = true; }

void BulkDownloadDialog::reject() { onCancelClicked(); }

void BulkDownloadDialog::closeEvent(QCloseEvent *event) {
    onCancelClicked();
    event->ignore();
}

}  // namespace vorq
