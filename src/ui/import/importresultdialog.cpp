#include "ui/import/importresultdialog.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "core/import/importdriver.h"
#include "core/text/sjistext.h"
#include "ui/common/guards.h"
#include "ui/common/prompter.h"

namespace vorq {

ImportResultDialog::ImportResultDialog(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName(QStringLiteral("Form6"));
    setWindowTitle(QStringLiteral("取り込み結果---これでよければ「取り込み」ボタンを押してください"));
    resize(designedOuterSize());  // the frame is taken off once it is known
    gridTable = new QTableWidget(1, 1, this);
    gridTable->setObjectName(QStringLiteral("StringGrid1"));
    gridTable->setAccessibleName(QStringLiteral("取り込んだチャート"));
    gridTable->verticalHeader()->hide();  // no fixed column
    gridTable->setEditTriggers(QAbstractItemView::AllEditTriggers);
    importButton = new QPushButton(QStringLiteral("取り込み"), this);
    importButton->setObjectName(QStringLiteral("Button1"));
    importButton->setDefault(true);
    cancelButton = new QPushButton(QStringLiteral("中止"), this);
    cancelButton->setObjectName(QStringLiteral("Button2"));
    saveButton = new QPushButton(QStringLiteral("保存..."), this);
    saveButton->setObjectName(QStringLiteral("Button3"));
    connect(importButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(saveButton, &QPushButton::clicked, this,
            [this] { runGuarded(this, [this] { onSaveClicked(); }); });
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(importButton);
    buttons->addWidget(cancelButton);
    buttons->addWidget(saveButton);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 4);
    layout->addWidget(gridTable);
    layout->addLayout(buttons);
    setGrid(ResultGrid());
}

ImportResultDialog::~ImportResultDialog() = default;

// The window manager frames the window only after it is mapped, and says
// nothing to the window when it does: look again for a moment, and when the
// window moves (putting it into its frame moves it; a busy window manager
// may do so late).
void ImportResultDialog::showEvent(QShowEvent *event) {
    QDialog::showEvent(event);
    fitOuterSize();
    for (int ms : {20, 100, 300, 800}) QTimer::singleShot(ms, this, [this] { fitOuterSize(); });
}

void ImportResultDialog::moveEvent(QMoveEvent *event) {
    QDialog::moveEvent(event);
    fitOuterSize();
}

void ImportResultDialog::fitOuterSize() {
    if (!isVisible()) return;
    const QSize frame = frameGeometry().size() - geometry().size();
    const QSize client = designedOuterSize() - frame;
    if (size() != client) resize(client);
}

void ImportResultDialog::setGrid(const ResultGrid &grid) {
    m_columns = grid.columnCount();
    gridTable->clear();
    gridTable->setColumnCount(m_columns);
    gridTable->setRowCount(std::max(0, grid.rowCount() - 1));
    const QFontMetrics fm(gridTable->font());
    QList<int> widths(m_columns, 0);
    for (int r = 0; r < grid.rowCount(); ++r) {
        for (int c = 0; c < m_columns; ++c) {
            const QString text = sjis::toUnicode(grid.cell(c, r));
            widths[c] = std::max(widths[c], fm.horizontalAdvance(text));
            auto *item = new QTableWidgetItem(text);
            if (r == 0)
                gridTable->setHorizontalHeaderItem(c, item);
            else
                gridTable->setItem(r - 1, c, item);
        }
    }
    // Each column as wide as its widest text plus 10 pixels.
    for (int c = 0; c < m_columns; ++c) gridTable->setColumnWidth(c, widths[c] + 10);
}

ResultGrid ImportResultDialog::grid() const {
    ResultGrid out;
    out.resize(m_columns, gridTable->rowCount() + 1);
    for (int c = 0; c < m_columns; ++c) {
        if (const QTableWidgetItem *h = gridTable->horizontalHeaderItem(c))
            out.setCell(c, 0, sjis::fromUnicode(h->text()));
        for (int r = 0; r < gridTable->rowCount(); ++r)
            if (const QTableWidgetItem *item = gridTable->item(r, c))
                out.setCell(c, r + 1, sjis::fromUnicode(item->text()));
    }
    return out;
}

void ImportResultDialog::onSaveClicked() {
    const QString file = prompter().saveFile(this, QString(), QString(), QStringLiteral("Text file (*.txt)"),
                                             QStringLiteral("txt"));
    if (file.isEmpty()) return;
    sjis::saveLines(file, gridLines(grid()));
}

}  // namespace vorq
