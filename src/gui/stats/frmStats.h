#pragma once
// The XviD first-pass statistics editor: summary, frame browser, curve and distribution, text
// report, rescaling to a target size and key-frame insertion. Analysis and rescaling run off the
// UI thread with the progress bar live.
#include <QWidget>
#include <array>

#include "core/stats/stats_file.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace fw::gui {

class BackgroundRunner;
class CurveWidget;
class DistributionWidget;

class frmStats : public QWidget {
    Q_OBJECT
public:
    explicit frmStats(QWidget* parent = nullptr);
    ~frmStats() override;

    void cmdOpen_Click();
    void analyse(const QString& path);  // AnalizeStats then ScaleCurve, off the UI thread
    void AutoLoad_Click();
    void RegSet_Click();
    void Bitcalc_Click();
    void GoTo_Click();
    void step(int delta);
    void checkFrame();
    void cmdReport_Click();
    void cmdSave_Click();     // rescaling
    void cmdKeyFrame_Click();
    bool busy() const;
    const fw::stats::AnalysisResult& analysis() const { return m_analysis; }

signals:
    void analysed();
    void rescaled();

private:
    void buildUi();
    QLineEdit* field(const char* name) const;
    void showSummary();
    void showRefused(const QString& path);

    BackgroundRunner* m_runner = nullptr;
    QString m_path;
    fw::stats::AnalysisResult m_analysis;
    fw::stats::CurveResult m_curve;
    QProgressBar* m_progress = nullptr;
    CurveWidget* m_curveView = nullptr;
    DistributionWidget* m_distView = nullptr;
    QPlainTextEdit* m_details = nullptr;
    QPlainTextEdit* m_distText = nullptr;
    std::array<QPushButton*, 6> m_steps{};
    QPushButton* m_goto = nullptr;
    QPushButton* m_bitcalc = nullptr;
    QPushButton* m_save = nullptr;
    QPushButton* m_report = nullptr;
    QPushButton* m_exportKeys = nullptr;
    QPushButton* m_keyFrame = nullptr;
    QCheckBox* m_framesTable = nullptr;
    std::array<QRadioButton*, 4> m_sizeChoice{};
    std::array<QProgressBar*, 3> m_bars{};  // current, largest, smallest frame
};

}  // namespace fw::gui
