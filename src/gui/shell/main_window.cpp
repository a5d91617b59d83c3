#include "gui/shell/main_window.h"

#include "gui/shell/about.h"

#include <QFileInfo>
#include <QTimer>
#include <utility>

#include "core/common/file_io.h"
#include "gui/avi/frmAviDetector.h"
#include "gui/stats/frmStats.h"
#include "gui/wav/frmWriteWave.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>
#include <QVBoxLayout>

#include "core/common/lang.h"
#include "fw/version.h"
#include "gui/ui/msgbox.h"
#include "gui/ui/widgets.h"
#include "platform/user_store.h"

namespace fw::gui {

namespace {

frmMain* g_main = nullptr;

struct MenuEntry {
    const char* menu;     // the top-level menu it belongs to ("" for a top-level menu itself)
    const char* name;     // object name
    const char* caption;  // design caption
    fw::LangKey key;      // its caption's language text; none when the section is empty
    const char* shortcut;
    bool submenu = false;
};

// Display order: every entry of the five menus, separators as "mnuspacerN".
const MenuEntry kMenu[] = {
    {"", "file", "&File", {}, ""},
    {"file", "preferences", "&Preferences", {}, "Ctrl+L"},
    {"file", "exit", "E&xit", {}, ""},
    {"", "edit", "Edit", {"Menu", 4}, ""},
    {"edit", "fccchange", "Fcc changer", {"Menu", 5}, "Ctrl+F"},
    {"edit", "mnuspacer0", "-", {}, ""},
    {"edit", "fpschange", "Fps changer", {"Menu", 6}, "Ctrl+P"},
    {"edit", "synchronizer", "Synchronizer", {"Menu", 7}, "Ctrl+S"},
    {"edit", "mnuspacer1", "-", {}, ""},
    {"edit", "chapter", "Chapters &editor", {}, ""},
    {"edit", "stats", "S&tats editor", {}, ""},
    {"edit", "mnuspacer2", "-", {}, ""},
    {"edit", "convert2wav", "Convert to &wav", {}, "Ctrl+W"},
    {"", "calculate", "Calculate", {"Menu", 23}, ""},
    {"calculate", "calc", "Bitrate calculator", {"Menu", 17}, "Ctrl+B"},
    {"calculate", "calcinv", "Calcolo inverso", {"Menu", 10}, "Ctrl+I"},
    {"calculate", "mnuspacer3", "-", {}, ""},
    {"calculate", "resizer", "&Resizer", {}, "Ctrl+R"},
    {"", "tools", "Tools", {"Menu", 9}, ""},
    {"tools", "avidet", "Avi detector", {"Menu", 11}, "Ctrl+A"},
    {"tools", "databasemenu", "&Database", {}, "", true},
    {"databasemenu", "audio", "Audio ID database", {"Menu", 13}, ""},
    {"databasemenu", "fourcc", "Fcc database", {"Menu", 14}, ""},
    {"databasemenu", "mnuspacer4", "-", {}, ""},
    {"databasemenu", "databupd", "Database updater", {"Menu", 8}, "Ctrl+U"},
    {"tools", "mnuspacer5", "-", {}, ""},
    {"tools", "video", "Codecs Installati", {"Menu", 18}, "Ctrl+C"},
    {"tools", "mediaplayer", "Mediaplayer", {"Menu", 12}, ""},
    {"tools", "mnuspacer6", "-", {}, ""},
    {"tools", "splitter", "File splitter", {"Menu", 15}, "Ctrl+T"},
    {"tools", "shutdown", "PC shutdown", {"Menu", 16}, "Ctrl+F4"},
    {"", "info", "&?", {}, ""},
    {"info", "about", "About", {"Menu", 20}, ""},
    {"info", "updates", "Check for &updates", {}, ""},
    {"info", "mnuspacer7", "-", {}, ""},
    {"info", "crediti", "Crediti", {"Menu", 21}, ""},
    {"info", "sysinfo", "Sysinfo", {"Menu", 22}, ""},
};

QString versionText() {
    return QStringLiteral("%1.%2.%3").arg(kVersionMajor).arg(kVersionMinor).arg(kVersionRevision);
}

}  // namespace

frmMain* mainWindow() { return g_main; }

frmMain::frmMain(std::unique_ptr<platform::ConnectionState> connection, std::shared_ptr<UpdateChecker> updates)
    : m_connection(std::move(connection)), m_updates(std::move(updates)) {
    g_main = this;
    setObjectName(QStringLiteral("frmMain"));
    setWindowIcon(appIcon());
    if (!m_connection) m_connection = platform::makeSystemConnectionState();
    plainTextLabels();

    auto* logo = new QLabel(this);
    logo->setObjectName(QStringLiteral("imgLogo"));
    logo->setPixmap(logoPixmap(360, 120));
    logo->setAlignment(Qt::AlignCenter);
    setCentralWidget(logo);

    buildMenu();

    m_statusPanel = new QLabel(this);
    m_statusPanel->setObjectName(QStringLiteral("sbStatusBar_0"));
    statusBar()->setObjectName(QStringLiteral("sbStatusBar"));
    statusBar()->addWidget(m_statusPanel, 1);
    m_os = platform::queryOsVersion();
    if (!m_os.ok) MsgBox::show(this, lang("General", 21), QStringLiteral("Windows"), Icon::Critical);
    m_statusPanel->setText(qs(platform::statusText(m_os)));
}

frmMain::~frmMain() {
    if (g_main == this) g_main = nullptr;
}

QString frmMain::statusText() const { return m_statusPanel->text(); }

void frmMain::buildMenu() {
    for (const auto& e : kMenu) {
        QString name = QString::fromLatin1(e.name);
        QString parentName = QString::fromLatin1(e.menu);
        if (parentName.isEmpty()) {
            QMenu* m = menuBar()->addMenu(QString::fromLatin1(e.caption));
            m->setObjectName(name);
            m->menuAction()->setObjectName(name);
            m_menus[name] = m;
            m_actions[name] = m->menuAction();
            continue;
        }
        QMenu* parent = m_menus.value(parentName);
        if (e.submenu) {
            QMenu* m = parent->addMenu(QString::fromLatin1(e.caption));
            m->setObjectName(name);
            m->menuAction()->setObjectName(name);
            m_menus[name] = m;
            m_actions[name] = m->menuAction();
            continue;
        }
        QAction* a = (QString::fromLatin1(e.caption) == QLatin1String("-")) ? parent->addSeparator()
                                                                            : parent->addAction(QString::fromLatin1(e.caption));
        a->setObjectName(name);
        if (*e.shortcut) a->setShortcut(QKeySequence(QString::fromLatin1(e.shortcut)));
        m_actions[name] = a;
        if (a->isSeparator()) continue;
        if (name == QLatin1String("exit")) connect(a, &QAction::triggered, this, &frmMain::onExit);
        else if (name == QLatin1String("sysinfo")) connect(a, &QAction::triggered, this, &frmMain::onSysinfo);
        else if (name == QLatin1String("about")) connect(a, &QAction::triggered, this, &frmMain::onAbout);
        else if (name == QLatin1String("crediti")) connect(a, &QAction::triggered, this, &frmMain::onCredits);
        else if (name == QLatin1String("mediaplayer")) {
            // Kept for the menu's shape; it has never had an action, so it says so instead.
            a->setEnabled(false);
            a->setToolTip(lang("General", 23));
            parent->setToolTipsVisible(true);
        } else {
            a->setEnabled(false);  // until a window is registered for it
            connect(a, &QAction::triggered, this, [this, name] { openTool(name); });
        }
    }
}

void frmMain::load() {
    fw::loadPreferences();
    Load_Form();
    if (fw::globals().CheckUpdates == 1) {
        if (m_connection && m_connection->connected()) {
            if (m_updates) m_updates->runAutomatic(this);
        } else {
            MsgBox::show(this, QStringLiteral("you're not connected to the internet!"), QString::fromLatin1(kAppTitle),
                         Icon::Exclamation);
        }
    }
}

void frmMain::Load_Form() {
    setWindowTitle(QStringLiteral("Framewise v. ") + versionText());
    refreshMenuCaptions();
}

void frmMain::refreshMenuCaptions() {
    for (const auto& e : kMenu) {
        if (e.key.section.empty()) continue;
        if (QAction* a = m_actions.value(QString::fromLatin1(e.name))) a->setText(qs(fw::LangText(e.key)));
    }
    // The menu is built before the language file is read: the tip is looked up again here.
    if (QAction* a = m_actions.value(QStringLiteral("mediaplayer"))) a->setToolTip(lang("General", 23));
}

void frmMain::registerTool(const QString& entry, Factory factory) {
    m_factories[entry] = std::move(factory);
    if (QAction* a = m_actions.value(entry)) a->setEnabled(true);
}

QWidget* frmMain::findTool(const QString& entry) const { return m_open.value(entry).data(); }

QWidget* frmMain::openTool(const QString& entry) {
    if (QWidget* w = findTool(entry)) {
        if (w->isMinimized()) w->showNormal();
        w->show();
        w->raise();
        w->activateWindow();
        return w;
    }
    auto f = m_factories.value(entry);
    if (!f) return nullptr;
    QWidget* w = f();
    if (!w) return nullptr;
    w->setAttribute(Qt::WA_DeleteOnClose);
    if (w->windowIcon().isNull()) w->setWindowIcon(windowIcon());
    closeOnEscape(w);
    m_open[entry] = w;
    m_openOrder.emplace_back(w);
    w->show();
    return w;
}

void frmMain::closeEvent(QCloseEvent* e) {
    // Most recently opened first, as a user closing by hand would.
    for (auto it = m_openOrder.rbegin(); it != m_openOrder.rend(); ++it)
        if (*it) (*it)->close();
    m_openOrder.clear();
    // Then every other window (a tool's own windows, information windows): the program ends with
    // the main window, whatever else was open.
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w != this && w->isVisible()) w->close();
    if (!m_exiting && !isMinimized()) {
        const double twipsX = 1440.0 / logicalDpiX();
        const double twipsY = 1440.0 / logicalDpiY();
        QRect g = geometry();
        platform::storeUserSettings("Settings", {{"MainLeft", std::to_string(qRound(g.left() * twipsX))},
                                                 {"MainTop", std::to_string(qRound(g.top() * twipsY))},
                                                 {"MainWidth", std::to_string(qRound(g.width() * twipsX))},
                                                 {"MainHeight", std::to_string(qRound(g.height() * twipsY))}});
    }
    e->accept();
}

void frmMain::showEvent(QShowEvent* e) {
    QMainWindow::showEvent(e);
    if (m_filesToOpen.isEmpty()) return;
    const QStringList files = std::exchange(m_filesToOpen, {});
    QTimer::singleShot(0, this, [this, files] {
        for (const QString& f : files) openFile(f);
    });
}

void frmMain::openFile(const QString& file) {
    const QFileInfo info(file);
    const QString path = info.absoluteFilePath();
    const auto head = fw::readRange(ss(path), 0, 12);
    auto starts = [&](std::size_t at, const char* tag) {
        const std::size_t n = std::char_traits<char>::length(tag);
        return head && head->size() >= at + n && head->compare(at, n, tag) == 0;
    };
    // AVI files and OGM films to the inspector; a .stats file to the stats editor; any other
    // file (an MP3, an Ogg song, a module) to the WAV converter, which says when it cannot.
    const bool avi = starts(0, "RIFF") && starts(8, "AVI ");
    const bool ogm = starts(0, "OggS") && info.suffix().compare(QLatin1String("ogm"), Qt::CaseInsensitive) == 0;
    if (avi || ogm) {
        if (auto* w = qobject_cast<frmAviDetector*>(openTool(QStringLiteral("avidet")))) w->loadFile(path);
    } else if (info.suffix().compare(QLatin1String("stats"), Qt::CaseInsensitive) == 0) {
        if (auto* w = qobject_cast<frmStats*>(openTool(QStringLiteral("stats")))) w->analyse(path);
    } else if (auto* w = qobject_cast<frmWriteWave*>(openTool(QStringLiteral("convert2wav")))) {
        w->load(path);
    }
}

void frmMain::onExit() {
    // At once: no closing steps, no placement stored.
    m_exiting = true;
    QCoreApplication::exit(0);
}

void frmMain::onSysinfo() {
    QString title = QString::fromLatin1(kAppTitle) + QStringLiteral(" %1.%2 System Info Window").arg(kVersionMajor).arg(kVersionMinor);
    QString text = QStringLiteral("OS Information:\n") + statusText() + QStringLiteral("\n") +
                   QStringLiteral("Framewise, a toolbox for DVD rips, AVI files and CD-R video.\r\n");
    MsgBox::show(this, text, title, Icon::Information);
}

void frmMain::onAbout() {
    static QPointer<frmAbout> about;
    if (!about) {
        about = new frmAbout;
        about->setAttribute(Qt::WA_DeleteOnClose);
        about->setWindowIcon(windowIcon());
    }
    about->show();
    about->raise();
}

void frmMain::onCredits() {
    MsgBox::show(this,
                 QStringLiteral("Framewise %1\n%2\n\nBuilt with Qt, FFmpeg, libopenmpt, SQLite, SimpleIni and fmt.")
                     .arg(versionText(), QString::fromLatin1(kMaker)),
                 withoutMnemonic(lang("Menu", 21)), Icon::Information);
}

}  // namespace fw::gui
