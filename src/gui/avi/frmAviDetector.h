#pragma once
// The AVI/OGM inspector window: open or drop a file, see its fields on tabs, the chunk grid and
// the tags, write a report or export the header. The reading runs off the UI thread.
#include <QWidget>
#include <array>

#include <optional>

#include "core/avi/avi_health.h"
#include "core/avi/inspector.h"

class QCheckBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QStackedWidget;
class QTabBar;
class QTabWidget;
class QTableWidget;

namespace fw::gui {

class BackgroundRunner;

class frmAviDetector : public QWidget {
    Q_OBJECT
public:
    explicit frmAviDetector(QWidget* parent = nullptr);
    ~frmAviDetector() override;

    void cmdOpen_Click();
    // Reads a file as the walk or the OGM reader, off the UI thread; ogm: nullopt = by its name.
    void loadFile(const QString& path, std::optional<bool> ogm = std::nullopt);
    bool busy() const;
    void cmdReport_Click();
    void cmdSaveHeader_Click();
    // The Check tab: the health check runs the first time the tab is shown for a file (it reads
    // the whole movi list, which the other tabs do not need).
    void runCheck();
    void cmdRepair_Click();
    void cmdKeyframes_Click();
    const fw::avi::HealthReport* health() const { return m_health ? &*m_health : nullptr; }
    const fw::avi::InspectorResult& result() const { return m_result; }
    QLineEdit* field(int i) const { return m_fields[static_cast<std::size_t>(i)]; }

signals:
    void loaded();
    void checked();
    void repaired(bool ok);

protected:
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dropEvent(QDropEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    void buildUi();
    void reset();
    void showResult(const fw::avi::InspectorResult& r);
    void showStreamTab(int tab);
    QWidget* fieldRow(QWidget* parent, QGridLayout* grid, int row, int field, int col = 0);

    std::array<QLineEdit*, fw::avi::kFieldCount> m_fields{};
    std::array<QLabel*, fw::avi::kFieldCount> m_captions{};
    std::array<QLineEdit*, fw::avi::kTagCount> m_tags{};
    std::array<QLabel*, fw::avi::kTagCount> m_tagCaptions{};
    QLabel* m_overhead = nullptr;
    QLabel* m_warnings = nullptr;
    QTabWidget* m_tabs = nullptr;
    QTabBar* m_streamTabs = nullptr;
    QStackedWidget* m_streamPages = nullptr;
    QTableWidget* m_grid = nullptr;
    QCheckBox* m_chkRBV = nullptr;
    QProgressBar* m_progress = nullptr;
    std::array<QPushButton*, 3> m_fileButtons{};  // report, save header, play
    fw::avi::InspectorResult m_result;
    std::optional<fw::avi::HealthReport> m_health;
    QWidget* m_checkPage = nullptr;
    QTableWidget* m_problems = nullptr;
    QLabel* m_checkFigures = nullptr;
    QPushButton* m_repair = nullptr;
    QPushButton* m_keyframes = nullptr;
    QPushButton* m_stop = nullptr;
    BackgroundRunner* m_runner = nullptr;
};

class frmSaveHeader : public QWidget {
    Q_OBJECT
public:
    frmSaveHeader(QString source, std::int64_t proposedBytes, QWidget* parent = nullptr);
    void cmdSave_Click();

private:
    QString m_source;
    std::int64_t m_proposed;
};

}  // namespace fw::gui
