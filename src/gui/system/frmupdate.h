#pragma once
// The update window: the running version, the newest one, the change log, and the buttons that
// check and open the download page. The start-up check runs it hidden.
#include <QWidget>
#include <memory>

#include "core/system/update_check.h"
#include "gui/shell/main_window.h"
#include "platform/network_state.h"

class QLabel;
class QListWidget;
class QPushButton;

namespace fw::platform {
class HttpFetch;
struct FetchResult;
}

namespace fw::gui {

// Where the update file and the download page are: settings.ini, section [Update].
QString updateUrl();
QString downloadPage();

class frmUpdate : public QWidget {
    Q_OBJECT
public:
    explicit frmUpdate(std::shared_ptr<platform::ConnectionState> connection = nullptr, QWidget* parent = nullptr);

    bool automatic = false;
    // The whole check: connection, download into the data folder, change log, comparison. The
    // download runs while the window stays usable; checked() follows.
    void Command1_Click();
    void Command2_Click();
    bool busy() const;
    void setTimeoutMs(int ms) { m_timeoutMs = ms; }
    QStringList changeLog() const;
    QString runningText() const;
    QString newestText() const;
    bool downloadOffered() const;

signals:
    void checked();

private:
    void afterDownload(const QString& file);

    std::shared_ptr<platform::ConnectionState> m_connection;
    platform::HttpFetch* m_fetch = nullptr;
    int m_timeoutMs = fw::system::kUpdateTimeoutMs;
    QString m_failure;
    QListWidget* m_list = nullptr;
    QLabel* m_running = nullptr;
    QLabel* m_newest = nullptr;
    QPushButton* m_check = nullptr;
    QPushButton* m_download = nullptr;
};

// The shell's start-up check: a hidden update window with the automatic flag set, which shows
// itself only when the user asks for the change log.
class UpdateService : public UpdateChecker {
public:
    explicit UpdateService(std::shared_ptr<platform::ConnectionState> connection = nullptr) : m_connection(std::move(connection)) {}
    void runAutomatic(QWidget* owner) override;
    frmUpdate* window() const { return m_window; }

private:
    std::shared_ptr<platform::ConnectionState> m_connection;
    QPointer<frmUpdate> m_window;
};

}  // namespace fw::gui
