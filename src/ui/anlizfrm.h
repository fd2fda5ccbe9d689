#pragma once
// The import result dialog TForm6 (the parsed grid, for confirmation) and
// the main window's side of the import driver.
#include <QDialog>

#include "chartpage.h"

class QPushButton;
class QTableWidget;

class TForm6 : public QDialog {
    Q_OBJECT
public:
    explicit TForm6(QWidget *parent = nullptr);
    ~TForm6() override;

    // Shows a grid: row 0 as the fixed header row, the rest editable.
    void setGrid(const vorq::ResultGrid &grid);
    // The grid as the user left it. Throws EncodingError for a typed text
    // that Shift-JIS cannot hold.
    vorq::ResultGrid grid() const;

    // "保存...": every row, the header included, TAB-separated.
    void Button3Click();

    QTableWidget *StringGrid1 = nullptr;
    QPushButton *Button1 = nullptr;  // 取り込み
    QPushButton *Button2 = nullptr;  // 中止
    QPushButton *Button3 = nullptr;  // 保存...

private:
    int m_columns = 1;
};
