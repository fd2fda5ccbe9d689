#pragma once
// The search dialog ("Form5", caption "検索"): artist and title patterns
// ("*" for any) and the exact-mode box. Created once with the main window;
// its controls keep their contents between uses.
#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace vorq {

class SearchDialog : public QDialog {
    Q_OBJECT
public:
    explicit SearchDialog(QWidget *parent = nullptr);

    QLineEdit *artistEdit = nullptr;  // Edit1
    QLineEdit *titleEdit = nullptr;   // Edit2
    QCheckBox *exactBox = nullptr;    // CheckBox1
    // Beyond the designed controls, off by default: compare after NFKC and
    // case folding.
    QCheckBox *foldBox = nullptr;
    QPushButton *startButton = nullptr;   // Button1 "検索開始"
    QPushButton *cancelButton = nullptr;  // Button2 "キャンセル"
};

}  // namespace vorq
