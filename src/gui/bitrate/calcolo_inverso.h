#pragma once
// The inverse calculator window: an encoded AVI file and the CDs to hold it; the largest standard
// audio bitrate that fills the room left. Its arithmetic lives in fw::bitrate::Calcolo_Inverso.
#include <QWidget>
#include <array>

#include "core/bitrate/inverse_calc.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace fw::gui {

class Calcolo_Inverso : public QWidget {
    Q_OBJECT
public:
    explicit Calcolo_Inverso(QWidget* parent = nullptr);

    void Command1_Click();  // open
    void Command2_Click();  // calculate
    void openFile(const QString& path);
    const fw::bitrate::InverseFile& file() const { return m_file; }

private:
    void onCountChanged(QLineEdit* field);
    fw::bitrate::InverseMedia media() const;

    fw::bitrate::InverseFile m_file;
    QLineEdit* inv_avifile = nullptr;
    std::array<QLineEdit*, 7> Text1{};
    std::array<QLabel*, 6> Label1{};
    QLineEdit* cd74 = nullptr;
    QLineEdit* cd80 = nullptr;
    QComboBox* Combo3 = nullptr;
    QComboBox* Combo4 = nullptr;
    QCheckBox* overburn = nullptr;
    QLineEdit* Text2 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* play = nullptr;
};

}  // namespace fw::gui
