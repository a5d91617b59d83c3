#pragma once
// The preferences dialog: the language and the start-up update check.
#include <QWidget>
#include <array>

class QCheckBox;
class QPushButton;
class QRadioButton;

namespace fw::gui {

class frmlanguage : public QWidget {
    Q_OBJECT
public:
    explicit frmlanguage(QWidget* parent = nullptr);
    QRadioButton* option(int i) const { return m_opt[static_cast<std::size_t>(i)]; }

    void cmdSave_Click();

private:
    std::array<QRadioButton*, 4> m_opt{};
    QCheckBox* m_chkUpd = nullptr;
};

}  // namespace fw::gui
