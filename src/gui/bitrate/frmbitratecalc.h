#pragma once
// The bitrate calculator window. Its arithmetic and result texts live in fw::bitrate::Bitcalc;
// the window moves values between its controls and the calculator.
#include <QWidget>
#include <array>

#include <optional>
#include <utility>

#include "core/bitrate/bitrate_calc.h"
#include "core/bitrate/source_import.h"

class QCheckBox;
class QProgressBar;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace fw::gui {
class PathLabel;

class BackgroundRunner;

class frmbitratecalc : public QWidget {
    Q_OBJECT
public:
    explicit frmbitratecalc(QWidget* parent = nullptr);

    // Other tools set the frame size (resolution calculator) and the frame count (stats reader).
    void setResolution(std::int32_t width, std::int32_t height);
    std::int32_t frameWidth() const { return m_calc.width; }
    std::int32_t frameHeight() const { return m_calc.height; }
    void setFrameCount(const QString& frames);
    double videoBitrate() const { return m_calc.videoBitrate; }

    void calcola_Click();
    void esci_Click();
    // The source import (its reader off the UI thread), the INFO hand-over to the chapter editor,
    // and the Size hand-over to the resolution calculator.
    void cmdImport0_Click();
    void cmdImport1_Click();
    void cmdImport2_Click();
    void importFile(const QString& path, fw::bitrate::ImportKind kind);
    bool importBusy() const;
    const fw::bitrate::Bitcalc& calc() const { return m_calc; }

signals:
    void imported();

protected:
    bool eventFilter(QObject* obj, QEvent* ev) override;

private:
    void buildUi();
    void FormLoad();
    void CheckSettings();
    void readControls();
    void writeControls();
    void runSpazio();
    void runFrate();
    void runLengSectot();
    void onCdChanged(int i);
    void onTimeChanged();
    void onFramesChanged();
    void onCodecChosen();
    void setAudioControlsEnabled(bool on);
    void showMessages(const fw::Messages& ms);
    static void setChecked(QRadioButton* a, QRadioButton* b, bool aOn, bool bOn);

    void applyImport(const fw::bitrate::ImportResult& r, const QString& path);

    fw::bitrate::Bitcalc m_calc;
    bool m_updating = false;
    BackgroundRunner* m_runner = nullptr;
    QProgressBar* m_progress = nullptr;
    QString m_infoPath;  // the INFO file of the last import
    std::optional<std::pair<QString, QString>> m_infoResolution;
    std::int16_t m_resolutionState = 0;  // 0 none, 1 from an INFO file, 2 handed over once

    std::array<QRadioButton*, 2> Option3{};
    std::array<QLineEdit*, 3> txtCD{};
    std::array<QComboBox*, 2> Combo3{};
    QCheckBox* overburn = nullptr;
    QLabel* Label3 = nullptr;
    std::array<QLineEdit*, 3> txtTime{};
    QLineEdit* frames = nullptr;
    std::array<QRadioButton*, 2> Option2{};
    QRadioButton* divx3 = nullptr;
    QRadioButton* divx3fm = nullptr;
    QRadioButton* divx4 = nullptr;
    QRadioButton* divx5 = nullptr;
    QCheckBox* Check2 = nullptr;
    QComboBox* framerate = nullptr;
    QLabel* Label4 = nullptr;
    QRadioButton* standard = nullptr;
    QComboBox* bitrate1 = nullptr;
    QRadioButton* personalizzato = nullptr;
    QLineEdit* bitrate2 = nullptr;
    QLabel* Kbits = nullptr;
    QComboBox* codecaudio = nullptr;
    PathLabel* audioFile = nullptr;
    QCheckBox* VBR = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* interval = nullptr;
    std::array<QRadioButton*, 2> Option1{};
    std::array<QLineEdit*, 9> Text1{};
    QPushButton* calcola = nullptr;
    std::array<QPushButton*, 3> cmdImport{};
    QPushButton* esci = nullptr;
};

}  // namespace fw::gui
