#pragma once
// The system information window: one plain-text report and a button that closes it.
#include <QWidget>

#include "core/system/system_report.h"

class QPlainTextEdit;

namespace fw::gui {

class frmSysInfo : public QWidget {
    Q_OBJECT
public:
    // With no facts given, this computer's are gathered.
    explicit frmSysInfo(QWidget* parent = nullptr);
    frmSysInfo(const fw::system::SystemFacts& facts, QWidget* parent = nullptr);
    QString report() const;

private:
    void build(const fw::system::SystemFacts& facts);
    QPlainTextEdit* m_text = nullptr;
};

// Opens the report (one at a time), from the splitter's button and the About window.
void showSystemInfo(QWidget* from);

}  // namespace fw::gui
