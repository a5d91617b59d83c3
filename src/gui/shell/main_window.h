#pragma once
// The main window: a logo, the menu that opens every tool (one window each) and a status bar
// naming the operating system. It does no work of its own.
#include <QMainWindow>
#include <QMap>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

#include "platform/network_state.h"
#include "platform/os_info.h"

class QAction;
class QLabel;
class QMenu;

namespace fw::gui {

// The automatic update check that runs at start-up when the preference asks for it.
class UpdateChecker {
public:
    virtual ~UpdateChecker() = default;
    // Runs the check without showing the update window (it shows itself when the user asks).
    virtual void runAutomatic(QWidget* owner) = 0;
};

class frmMain : public QMainWindow {
    Q_OBJECT
public:
    using Factory = std::function<QWidget*()>;

    explicit frmMain(std::unique_ptr<platform::ConnectionState> connection = nullptr,
                     std::shared_ptr<UpdateChecker> updates = nullptr);
    ~frmMain() override;

    // Load: settings path, preferences, captions, then the start-up update check.
    void load();
    void Load_Form();
    void refreshMenuCaptions();

    // Menu entries whose window exists get a factory; the others stay visible and disabled.
    void registerTool(const QString& entry, Factory factory);
    // Shows the tool's window, creating it only when none is open.
    QWidget* openTool(const QString& entry);
    QWidget* findTool(const QString& entry) const;
    QStringList toolNames() const { return m_factories.keys(); }
    template <typename W>
    W* tool(const QString& entry) const { return qobject_cast<W*>(findTool(entry)); }

    QAction* action(const QString& entry) const { return m_actions.value(entry); }
    QString statusText() const;
    void setUpdateChecker(std::shared_ptr<UpdateChecker> updates) { m_updates = std::move(updates); }
    UpdateChecker* updateChecker() const { return m_updates.get(); }
    // Files named on the command line (the desktop's "Open with"): each opens in the tool that
    // reads it once the window is shown. AVI and Ogg files go to the inspector, .stats files to
    // the stats editor, anything else to the WAV converter.
    void setFilesToOpen(const QStringList& files) { m_filesToOpen = files; }
    void openFile(const QString& file);
    // The connection state every window that goes online asks.
    std::shared_ptr<platform::ConnectionState> connection() const { return m_connection; }

protected:
    void closeEvent(QCloseEvent* e) override;
    void showEvent(QShowEvent* e) override;

private:
    void buildMenu();
    void onExit();
    void onSysinfo();
    void onAbout();
    void onCredits();

    std::shared_ptr<platform::ConnectionState> m_connection;
    std::shared_ptr<UpdateChecker> m_updates;
    platform::OsDescription m_os;
    QMap<QString, QAction*> m_actions;
    QMap<QString, QMenu*> m_menus;
    QMap<QString, Factory> m_factories;
    QMap<QString, QPointer<QWidget>> m_open;
    std::vector<QPointer<QWidget>> m_openOrder;  // oldest first
    QLabel* m_statusPanel = nullptr;
    QStringList m_filesToOpen;
    bool m_exiting = false;
};

// The one main window of the run, for tools that hand values to one another.
frmMain* mainWindow();

}  // namespace fw::gui
