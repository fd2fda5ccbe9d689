#pragma once
// The CD-R wizard: eight hidden-tab pages that choose a staging root, the
// program and association folders, the date range and the associated files,
// then stage a copy of the program that runs from a disc or stick. The
// choices and the staging live in the core's CdrSession; this form wires.
#include <QDialog>
#include <QList>

#include "core/cdr/cdrstage.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QStackedWidget;
class QTreeView;
class QTreeWidget;
class QTreeWidgetItem;

namespace vorq {

class AssocListModel;

class CdrWizard : public QDialog {
    Q_OBJECT
public:
    // resolve turns stored associated files into paths (medium-rooted ones
    // need the running program's medium); the default reads them as paths.
    explicit CdrWizard(QWidget *parent = nullptr, vorq::cdr::PathResolver resolve = {});
    ~CdrWizard() override;

    // The start steps: sizes, lists, the associated files of the whole data
    // date list; then page 1. Throws vorq::Error for an unreadable file.
    void start(const vorq::cdr::StageSource &source);
    vorq::cdr::CdrSession &session() { return m_session; }

    int currentPage() const;  // 1..8
    void showPage(int page);
    // The staging root (the folder list's current folder).
    QString stagingRoot() const { return m_root; }
    void setStagingRoot(const QString &folder);
    // The layout the finish stages with (the two folder lists' nodes).
    vorq::cdr::StageLayout layout() const;

    // ---- controls, by what they are (designed ids in objectName) ----------
    QStackedWidget *pages = nullptr;                            // PageControl1
    QList<QPushButton *> backButtons, nextButtons;              // per page (nullptr where none)
    QList<QPushButton *> cancelButtons;                         // "キャンセル", per page
    QComboBox *driveBox = nullptr;                              // DriveComboBox1
    QLabel *currentFolderLabel = nullptr;                       // DirLabel
    QListWidget *folderList = nullptr;                          // DirectoryListBox1
    QListWidget *fileList = nullptr;                            // FileListBox1
    QLineEdit *newFolderEdit = nullptr;                         // Edit1
    QPushButton *createFolderButton = nullptr;                  // Button22
    QTreeWidget *folderTree = nullptr;                          // TreeView1
    QComboBox *programFolderBox = nullptr;                      // ComboBox1
    QComboBox *assocFolderBox = nullptr;                        // ComboBox2
    QCheckBox *limitByDateBox = nullptr;                        // CheckBox1
    QCheckBox *filterBox = nullptr;                             // CheckBox2
    QCheckBox *manualBox = nullptr;                             // CheckBox3
    QComboBox *firstDateBox = nullptr;                          // ComboBox4
    QComboBox *lastDateBox = nullptr;                           // ComboBox5
    QRadioButton *listRadio = nullptr;                          // RadioButton1
    QRadioButton *folderRadio = nullptr;                        // RadioButton2
    QLineEdit *listFileEdit = nullptr;                          // Edit5
    QLineEdit *filterFolderEdit = nullptr;                      // Edit4
    QPushButton *browseListButton = nullptr;                    // Button28
    QPushButton *browseFolderButton = nullptr;                  // Button29
    QTreeView *assocListView = nullptr;                         // ListView1
    QPushButton *addButton = nullptr;                           // Button11
    QPushButton *removeButton = nullptr;                        // Button13
    QPushButton *finishButton = nullptr;                        // Button20
    QLabel *leftOutLabel = nullptr;                             // page 8: what the disc will not carry
    QList<QLabel *> sizeProgram, sizeData, sizeAssoc, sizeAll;  // SizeApp0..3 ...

    // ---- handlers ----------------------------------------------------------
    void onCancelClicked();
    void onOptionChanged();  // the chain of option pages
    void onDateRangeChanged();
    void onCreateFolderClicked();
    void onBrowseListClicked();
    void onBrowseFolderClicked();
    void applyListFilter();
    void applyFolderFilter();
    void onAddClicked();
    void onRemoveClicked();
    void onFinishClicked();
    // Files dropped on the wizard: listed, copied, not associated.
    void addDroppedFiles(const QStringList &files);
    // Rebuilds the folder tree and both folder lists from the staging root.
    void rebuildFolderTree();

protected:
    void keyPressEvent(QKeyEvent *e) override;
    bool eventFilter(QObject *watched, QEvent *e) override;
    void dragEnterEvent(QDragEnterEvent *e) override;
    void dropEvent(QDropEvent *e) override;

private:
    QWidget *makePage(int page, const QString &heading, const QStringList &texts);
    void addNavigation(int page, QWidget *pageWidget, int back, int next);
    QWidget *makeSizeSummary(int digit);
    void buildPages();
    void refreshSizes();
    void refreshList();
    void refreshLeftOut();
    void fillFolderList();
    void onNavigate();
    void onLeaveFilterPage();
    void applyFilter(const QList<QByteArray> &names);

    vorq::cdr::CdrSession m_session;
    AssocListModel *m_model = nullptr;
    QString m_root;
    QList<vorq::cdr::FolderNode> m_nodes;
    QList<QTreeWidgetItem *> m_treeItems;
};

// The restore: a folder dialog, then the program and its side files copied
// into the chosen folder, each in its own shell copy. Cancel copies nothing.
void restoreFromCdr(QWidget *parent, const QString &programFile);

}  // namespace vorq
