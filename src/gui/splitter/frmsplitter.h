#pragma once
// The file splitter window: choose a file, a piece size (preset, MB or a count), the options,
// then split; choose a .000 info file to join. The copy runs off the UI thread.
#include <QWidget>
#include <array>

#include "core/splitter/splitter.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QStatusBar;

namespace fw::gui {
class PathLabel;

class BackgroundRunner;

class frmsplitter : public QWidget {
    Q_OBJECT
public:
    explicit frmsplitter(QWidget* parent = nullptr);
    ~frmsplitter() override;

    void setSource(const QString& path);  // what the browse button does with its choice
    void choosePreset(int index);
    void cmdSplit_Click();
    void cmdJoin_Click();
    void cmdStop_Click();
    bool busy() const;
    std::int64_t pieceSize() const { return m_pieceSize; }
    std::int64_t pieceCount() const { return m_count; }
    QString statusText() const;

signals:
    void finished();

private:
    void buildUi();
    void recompute();
    void updateSummary();
    void onSourceChanged();

    BackgroundRunner* m_runner = nullptr;
    std::int64_t m_total = 0;
    std::int64_t m_pieceSize = 0;
    std::int64_t m_count = 0;
    QString m_outDir;
    QLineEdit* m_source = nullptr;
    QComboBox* m_presets = nullptr;
    std::array<QRadioButton*, 2> m_mode{};  // size in MB, piece count
    QLineEdit* m_sizeMB = nullptr;
    QLineEdit* m_countField = nullptr;
    std::array<QCheckBox*, 3> m_options{};  // script, delete source, keep extension
    QLabel* m_size = nullptr;
    PathLabel* m_folder = nullptr;
    QLabel* m_summary = nullptr;
    QLabel* m_pieceLabel = nullptr;
    QPushButton* m_split = nullptr;
    QPushButton* m_join = nullptr;
    QPushButton* m_stop = nullptr;
    QPushButton* m_openFolder = nullptr;
    QProgressBar* m_progress = nullptr;
    QStatusBar* m_status = nullptr;
};

}  // namespace fw::gui
