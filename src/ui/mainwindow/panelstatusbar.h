#pragma once
// The status bar with four fixed-width panels; a double click anywhere on
// it is reported.
#include <QLabel>
#include <QStatusBar>
#include <QStringList>

namespace vorq {

class PanelStatusBar : public QStatusBar {
    Q_OBJECT
public:
    explicit PanelStatusBar(QWidget *parent = nullptr);
    QString panelText(int i) const;
    void setPanelText(int i, const QString &text);
    QLabel *panel(int i) const { return m_panels[i]; }
    // A standing notice right of the panels (file.idx disagreeing with the
    // window), whole in its tooltip; empty when all is well.
    void setNotice(const QString &text, const QString &whole);
    QString notice() const;
    // Widens panel i (never narrows it below its designed width) so that
    // each of texts shows whole in the font in use.
    void fitPanel(int i, const QStringList &texts);
signals:
    void doubleClicked();

protected:
    void mouseDoubleClickEvent(QMouseEvent *e) override;

private:
    QLabel *m_panels[4] = {};
    QLabel *m_notice = nullptr;
};

}  // namespace vorq
