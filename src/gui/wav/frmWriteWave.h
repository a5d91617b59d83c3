#pragma once
// The WAV converter window: load a compressed audio file or a tracker module, choose the output
// folder, convert. Decoding runs off the UI thread; a timer shows where it is.
#include <QTimer>
#include <QWidget>
#include <atomic>
#include <memory>

#include "core/wav/decoder.h"

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace fw::gui {

class BackgroundRunner;

class frmWriteWave : public QWidget {
    Q_OBJECT
public:
    explicit frmWriteWave(QWidget* parent = nullptr);
    ~frmWriteWave() override;

    // What the load button does with the dialog's choice; false when nothing can play it.
    bool load(const QString& path);
    void setOutputFolder(const QString& folder);
    void cmdConvert_Click();
    void cmdStop_Click();
    bool busy() const;
    QString outputFolder() const { return m_outDir; }
    QString lastOutput() const { return m_lastOutput; }
    QString statusText() const;

signals:
    void finished();

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    void buildUi();
    void showPosition();
    void updateFreeSpace();
    void setIdle(bool idle);

    BackgroundRunner* m_runner = nullptr;
    QTimer m_positionTimer;
    QString m_sourcePath;
    QString m_outDir;
    QString m_lastOutput;
    fw::wav::SourceInfo m_info;
    // The loaded source, already decoding its first block; a conversion takes it over.
    std::shared_ptr<fw::wav::Decoder> m_decoder;
    std::weak_ptr<fw::wav::Decoder> m_positionDecoder;
    std::shared_ptr<std::atomic<bool>> m_closing = std::make_shared<std::atomic<bool>>(false);

    QLineEdit* m_source = nullptr;
    QLabel* m_caption = nullptr;
    QLabel* m_size = nullptr;
    QLabel* m_time = nullptr;
    QLabel* m_folder = nullptr;
    QLabel* m_free = nullptr;
    QLabel* m_position = nullptr;
    QLabel* m_status = nullptr;
    QPushButton* m_load = nullptr;
    QPushButton* m_folderButton = nullptr;
    QPushButton* m_convert = nullptr;
    QPushButton* m_stop = nullptr;
    QProgressBar* m_progress = nullptr;
};

}  // namespace fw::gui
