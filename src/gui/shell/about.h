#pragma once
// The About window: the program's name, version and maker, and the way to the system report.
#include <QWidget>

namespace fw::gui {

class frmAbout : public QWidget {
    Q_OBJECT
public:
    explicit frmAbout(QWidget* parent = nullptr);
};

}  // namespace fw::gui
