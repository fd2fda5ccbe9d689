#include "ui/associations/indexhistorydialog.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "core/charts/indexfile.h"
#include "core/charts/indexmerge.h"
#include "core/datafolder/datafolderlock.h"
#include "core/text/sjistext.h"
#include "ui/common/guards.h"
#include "ui/common/prompter.h"
#include "ui/mainwindow/datafoldersync.h"
#include "ui/mainwindow/mainwindow.h"

namespace vorq {

namespace {

enum Column { TimeColumn, LinesColumn, NameColumn };

QString timeText(const QDateTime &t) { return t.toString(QStringLiteral("yyyy/MM/dd HH:mm:ss")); }

}  // namespace

IndexHistoryDialog::IndexHistoryDialog(MainWindow *form) : QDialog(form), m_form(form) {
    setObjectName(QStringLiteral("IndexHistoryDialog"));
    setWindowTitle(QStringLiteral("関連付けの履歴"));
    auto *layout = new QVBoxLayout(this);
    introLabel = new QLabel(this);
    introLabel->setWordWrap(true);
    introLabel->setTextFormat(Qt::PlainText);
    layout->addWidget(introLabel);
    versionTable = new QTableWidget(0, 3, this);
    versionTable->setObjectName(QStringLiteral("VersionList"));
    versionTable->setAccessibleName(QStringLiteral("file.idx の保存された版"));
    versionTable->setHorizontalHeaderLabels(
        {QStringLiteral("日時"), QStringLiteral("件数"), QStringLiteral("名前")});
    versionTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    versionTable->setSelectionMode(QAbstractItemView::SingleSelection);
    versionTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    versionTable->verticalHeader()->hide();
    versionTable->horizontalHeader()->setStretchLastSection(true);
    versionTable->setTabKeyNavigation(false);
    introLabel->setBuddy(versionTable);
    layout->addWidget(versionTable, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    restoreButton = new QPushButton(QStringLiteral("元に戻す(&R)"), this);
    restoreButton->setObjectName(QStringLiteral("RestoreVersion"));
    restoreButton->setToolTip(
        QStringLiteral("選んだ版を file.idx に戻します。今の file.idx も履歴に残ります。"));
    closeButton = new QPushButton(QStringLiteral("閉じる"), this);
    closeButton->setObjectName(QStringLiteral("CloseHistory"));
    buttons->addWidget(restoreButton);
    buttons->addWidget(closeButton);
    layout->addLayout(buttons);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(restoreButton, &QPushButton::clicked, this, [this] { restoreSelected(); });
    connect(versionTable, &QTableWidget::itemSelectionChanged, this, [this] {
        const bool locked = m_form->options() && m_form->options()->lockAssociationsBox->isChecked();
        restoreButton->setEnabled(!locked && !versionTable->selectedItems().isEmpty());
    });
    resize(560, 380);
    refresh();
}

void IndexHistoryDialog::refresh() {
    const QByteArray folder = m_form->store().dataFolder;
    introLabel->setText(QStringLiteral("file.idx を書き換える前の版です (%1)。新しい順。")
                            .arg(QDir::toNativeSeparators(backupFolder(folder))));
    versionTable->setRowCount(0);
    const QList<IndexVersion> versions =
        folder.isEmpty() ? QList<IndexVersion>() : listIndexVersions(folder, true);
    versionTable->setRowCount(int(versions.size()));
    for (int r = 0; r < versions.size(); ++r) {
        const IndexVersion &v = versions.at(r);
        versionTable->setItem(r, TimeColumn, new QTableWidgetItem(timeText(v.time)));
        auto *lines = new QTableWidgetItem(v.lines < 0 ? QStringLiteral("?") : QString::number(v.lines));
        lines->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        versionTable->setItem(r, LinesColumn, lines);
        versionTable->setItem(r, NameColumn, new QTableWidgetItem(v.name));
    }
    versionTable->resizeColumnToContents(TimeColumn);
    versionTable->resizeColumnToContents(LinesColumn);
    restoreButton->setEnabled(false);
    if (!versions.isEmpty()) versionTable->selectRow(0);
}

void IndexHistoryDialog::restoreSelected() {
    const QList<QTableWidgetItem *> items = versionTable->selectedItems();
    if (items.isEmpty()) return;
    const int row = items.first()->row();
    const QString name = versionTable->item(row, NameColumn)->text();
    const auto answer = prompter().message(
        this, QMessageBox::Question, windowTitle(),
        QStringLiteral("%1 の版 (%2 件) を file.idx に戻しますか?\r\n今の file.idx も履歴に残ります。")
            .arg(versionTable->item(row, TimeColumn)->text(), versionTable->item(row, LinesColumn)->text()),
        QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    if (answer != QMessageBox::Yes) return;
    runGuarded(this, [&] { restoreIndexVersionInWindow(m_form, name); });
    refresh();
}

bool restoreIndexVersionInWindow(MainWindow *form, const QString &name) {
    if (!form->settleAssociations()) return false;
    ChartStore &store = form->store();
    {
        const DataFolderLock lock(store.dataFolder);
        restoreIndexVersion(store.dataFolder, name);
        // The user's own choice: held whole, removals included.
        holdDiskIndex(store, readIndexFile(store.dataFolder));
    }
    form->statusPanels->setNotice({}, {});
    for (int i = 0; i < form->tabCount(); ++i) form->refreshTable(i);
    form->selectionFeedback();
    form->dataFolderSync()->reloadNow();  // its next look starts from here
    return true;
}

void installAssociationMenu(MainWindow *form) {
    form->associationMenu = new QMenu(form);
    form->associationMenu->setObjectName(QStringLiteral("AssociationMenu"));
    QAction *save = form->associationMenu->addAction(QStringLiteral("関連付けを保存(&S)"));
    save->setObjectName(QStringLiteral("SaveAssociations"));
    QAction *history = form->associationMenu->addAction(QStringLiteral("関連付けの履歴…"));
    history->setObjectName(QStringLiteral("IndexHistory"));
    form->associationMenuButton->setMenu(form->associationMenu);
    QObject::connect(save, &QAction::triggered, form, [form] { form->onStatusBarDoubleClicked(); });
    QObject::connect(history, &QAction::triggered, form, [form] {
        runGuarded(form, [form] {
            IndexHistoryDialog dialog(form);
            dialog.exec();
        });
    });
}

}  // namespace vorq
