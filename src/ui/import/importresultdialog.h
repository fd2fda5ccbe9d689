#pragma once
// The import result dialog: the parsed grid, shown for confirmation.
#include <QDialog>

#include "core/import/chartpage.h"

class QPushButton;
class QTableWidget;

namespace vorq {

class ImportResultDialog : public QDialog {
    Q_OBJECT
public:
    explicit ImportResultDialog(QWidget *parent = nullptr);
    ~ImportResultDialog() override;

    // Shows a grid: row 0 as the fixed header row, the rest editable.
    void setGrid(const vorq::ResultGrid &grid);
    // The grid as the user left it. Throws EncodingError for a typed text
    // that Shift-JIS cannot hold.
    vorq::ResultGrid grid() const;

    // "保存...": every row, the header included, TAB-separated.
    void onSaveClicked();

    QTableWidget *gridTable = nullptr;
    QPushButton *importButton = nullptr;  // 取り込み
    QPushButton *cancelButton = nullptr;  // 中止
    QPushButton *saveButton = nullptr;    // 保存...

    // The designed size, 503 x 403, is the window's outer size.
    static QSize designedOuterSize() { return {503, 403}; }

protected:
    void showEvent(QShowEvent *event) override;
    void moveEvent(QMoveEvent *event) override;

private:
    void fitOuterSize();

    int m_columns = 1;
};

}  // namespace vorq
