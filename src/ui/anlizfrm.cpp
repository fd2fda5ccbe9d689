#include "anlizfrm.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "importdriver.h"
#include "shellparts.h"
#include "sjistext.h"

using namespace vorq;

TForm6::TForm6(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName(QStringLiteral("Form6"));
    setWindowTitle(QStringLiteral("取り込み結果---これでよければ「取り込み」ボタンを押してください"));
    resize(503, 403);
    StringGrid1 = new QTableWidget(1, 1, this);
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    StringGrid1->verticalHeader()->hide();  // no fixed column
    StringGrid1->setEditTriggers(QAbstractItemView::AllEditTriggers);
    Button1 = new QPushButton(QStringLiteral("取り込み"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setDefault(true);
    Button2 = new QPushButton(QStringLiteral("中止"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button3 = new QPushButton(QStringLiteral("保存..."), this);
    Button3->setObjectName(QStringLiteral("Button3"));
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
    connect(Button3, &QPushButton::clicked, this, [this] { runGuarded(this, [this] { Button3Click(); }); });
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    buttons->addWidget(Button3);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 4);
    layout->addWidget(StringGrid1);
    layout->addLayout(buttons);
    setGrid(ResultGrid());
}

TForm6::~TForm6() = default;

void TForm6::setGrid(const ResultGrid &grid) {
    m_columns = grid.columnCount();
    StringGrid1->clear();
    StringGrid1->setColumnCount(m_columns);
    StringGrid1->setRowCount(std::max(0, grid.rowCount() - 1));
    const QFontMetrics fm(StringGrid1->font());
    QList<int> widths(m_columns, 0);
    for (int r = 0; r < grid.rowCount(); ++r) {
        for (int c = 0; c < m_columns; ++c) {
            const QString text = sjis::toUnicode(grid.cell(c, r));
            widths[c] = std::max(widths[c], fm.horizontalAdvance(text));
            auto *item = new QTableWidgetItem(text);
            if (r == 0)
                StringGrid1->setHorizontalHeaderItem(c, item);
            else
                StringGrid1->setItem(r - 1, c, item);
        }
    }
    // Each column as wide as its widest text plus 10 pixels.
    for (int c = 0; c < m_columns; ++c) StringGrid1->setColumnWidth(c, widths[c] + 10);
}

ResultGrid TForm6::grid() const {
    ResultGrid out;
    out.resize(m_columns, StringGrid1->rowCount() + 1);
    for (int c = 0; c < m_columns; ++c) {
        if (const QTableWidgetItem *h = StringGrid1->horizontalHeaderItem(c))
            out.setCell(c, 0, sjis::fromUnicode(h->text()));
        for (int r = 0; r < StringGrid1->rowCount(); ++r)
            if (const QTableWidgetItem *item = StringGrid1->item(r, c))
                out.setCell(c, r + 1, sjis::fromUnicode(item->text()));
    }
    return out;
}

void TForm6::Button3Click() {
    const QString file = prompter().saveFile(this, QString(), QString(), QStringLiteral("Text file (*.txt)"),
                                             QStringLiteral("txt"));
    if (file.isEmpty()) return;
    sjis::saveLines(file, gridLines(grid()));
}
