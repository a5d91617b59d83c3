#pragma once
// The first window: it loads the (hidden) main window, shows for a second or until a key is
// pressed, then gives way to the main window.
#include <QTimer>
#include <QWidget>

namespace fw::gui {

class frmMain;

class frmSplash : public QWidget {
    Q_OBJECT
public:
    explicit frmSplash(frmMain* main);
    QTimer* timer() { return &m_timer; }

protected:
    void keyPressEvent(QKeyEvent* e) override;

private:
    void finish();

    frmMain* m_main;
    QTimer m_timer;
    bool m_done = false;
};

}  // namespace fw::gui
