#pragma once
// "毎週自動で取り込む" on Option's start-up page: switches this user's weekly
// import timer on and off through systemctl and says what it does, when it
// last ran and how that ended. Not a setting of the dialog: the state lives
// with the user's systemd, so a click acts at once and Cancel leaves it.
#include <QWidget>

#include "core/schedule/importtimer.h"

class QCheckBox;
class QLabel;

namespace vorq {

class WeeklyImportControl : public QWidget {
    Q_OBJECT
public:
    explicit WeeklyImportControl(QWidget *parent = nullptr);

    // Where systemctl runs: the real one unless a test scripts it.
    void setRunner(schedule::CommandRunner *runner) { m_runner = runner; }
    // Asks systemd again; done whenever the page is shown.
    void refresh();

    QCheckBox *enableBox = nullptr;
    QLabel *statusLabel = nullptr;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void onClicked(bool on);

    schedule::CommandRunner *m_runner;
};

}  // namespace vorq
