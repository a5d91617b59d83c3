#pragma once
// The resolution calculator window; its arithmetic and label texts live in fw::resize::ResizeCalc.
#include <QWidget>
#include <array>

#include "core/resize/resize_calc.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace fw::gui {

class frmResize : public QWidget {
    Q_OBJECT
public:
    explicit frmResize(QWidget* parent = nullptr);

    void cmdImport0_Click();
    void esci_Click();
    // What the bitrate calculator's Size button hands over: the source ("Original") and target
    // ("Pixel size") fields, and the bits-per-pixel label it works out itself.
    void setSource(const QString& width, const QString& height);
    void setTarget(std::int32_t width, std::int32_t height);
    void setBitsPerPixelText(const QString& text);
    QString infoPath() const { return m_infoPath; }
    const fw::resize::ResizeCalc& calc() const { return m_calc; }

protected:
    bool eventFilter(QObject* obj, QEvent* ev) override;

private:
    void buildUi();
    void readControls();
    void writeControls();
    void onSourceChanged();
    void onTargetChanged(bool percent);
    // A pair that cannot be computed: a message for what is no number or out of range, and the
    // result labels emptied of figures.
    void guardPair(const std::array<QLineEdit*, 2>& pair);
    void onModeChanged();
    void onCheckToggled();

    fw::resize::ResizeCalc m_calc;
    bool m_updating = false;
    QString m_infoPath;

    std::array<QLineEdit*, 2> Text1{}, Text2{}, Text3{}, Text4{}, Text5{};
    std::array<QRadioButton*, 2> Option3{}, Option1{}, Option2{};
    std::array<QRadioButton*, 19> Option4{};
    std::array<QCheckBox*, 2> Check1{};
    std::array<QLabel*, 5> Label1{};
    std::array<QPushButton*, 2> cmdImport{};
};

}  // namespace fw::gui
