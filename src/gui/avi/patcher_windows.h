#pragma once
// The AVI header patchers' windows: FourCC changer, frame-rate changer, audio/video synchronizer.
// Each opens a file into a core session and saves through the core's safe in-place writer.
#include <QWidget>

#include "core/avi/patchers.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace fw::gui {

class fcc_changer : public QWidget {
    Q_OBJECT
public:
    explicit fcc_changer(QWidget* parent = nullptr);
    void cmdOpen_Click();
    void openFile(const QString& path);
    void Combo1_Click(int index);
    void cmdSave_Click();

private:
    fw::avi::FourccSession m_session;
    bool m_loaded = false;
    QString m_code;
    QLineEdit* m_file = nullptr;
    QLabel* m_current = nullptr;
    QLabel* m_codec = nullptr;
    QComboBox* m_presets = nullptr;
    QPushButton* m_save = nullptr;
    QPushButton* m_db = nullptr;
};

class fps_changer : public QWidget {
    Q_OBJECT
public:
    explicit fps_changer(QWidget* parent = nullptr);
    void cmdOpen_Click();
    void openFile(const QString& path);
    void Combo1_Click(int index);
    void cmdSave_Click();

private:
    fw::avi::FpsSession m_session;
    std::uint32_t m_newScale = 0;
    QLineEdit* m_file = nullptr;
    QLabel* m_fps = nullptr;
    QLabel* m_mspf = nullptr;
    QLabel* m_frames = nullptr;
    QLabel* m_new = nullptr;
    QComboBox* m_presets = nullptr;
    QPushButton* m_save = nullptr;
    QPushButton* m_play = nullptr;
};

class synchro : public QWidget {
    Q_OBJECT
public:
    explicit synchro(QWidget* parent = nullptr);
    void cmdOpen_Click();
    void openFile(const QString& path);
    void cmdSave_Click();

private:
    fw::avi::SyncSession m_session;
    QLineEdit* m_file = nullptr;
    QLabel* m_fps = nullptr;
    QLabel* m_mspf = nullptr;
    QLabel* m_frames = nullptr;
    QLabel* m_video = nullptr;
    QLabel* m_audio = nullptr;
    QLineEdit* m_suggested = nullptr;
    QPushButton* m_save = nullptr;
    QPushButton* m_play = nullptr;
};

}  // namespace fw::gui
