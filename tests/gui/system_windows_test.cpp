// The system utilities' windows: installed codecs, the shutdown scheduler (on a recording
// backend: no test may end a logon), the system report from its two buttons, and the update
// check against a web server of the test's own on 127.0.0.1.
#include <QAction>
#include <QCheckBox>
#include <QDateEdit>
#include <QRadioButton>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include "core/common/ini.h"
#include "core/common/lang.h"
#include "core/common/paths.h"
#include "core/system/update_check.h"
#include "gui/shell/about.h"
#include "gui/splitter/frmsplitter.h"
#include "gui/system/codecs_window.h"
#include "gui/system/frmshutdown.h"
#include "gui/system/frmupdate.h"
#include "gui/system/sysinfo_window.h"
#include "gui/ui/widgets.h"
#include "gui_test_env.h"

using fw::gui::Answer;
using fw::gui::MsgBox;
using fw::test::child;
using fw::test::GuiEnv;

namespace {

// Serves fixed bodies by path; "/silent" accepts the connection and never answers; a path in
// `redirects` answers 302 to its target, one in `statuses` with that status and no body.
class TinyHttp : public QObject {
public:
    QMap<QString, QByteArray> files;
    QMap<QString, QString> redirects;
    QMap<QString, int> statuses;
    TinyHttp() {
        m_server.listen(QHostAddress::LocalHost, 0);
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* s = m_server.nextPendingConnection()) {
                connect(s, &QTcpSocket::readyRead, s, [this, s] {
                    m_requests[s] += s->readAll();
                    if (!m_requests[s].contains("\r\n\r\n")) return;
                    const QByteArray path = m_requests[s].split(' ').value(1);
                    if (path == "/silent/framewise_update.txt") return;
                    const QString p = QString::fromLatin1(path);
                    if (redirects.contains(p)) {
                        s->write("HTTP/1.1 302 Found\r\nLocation: " + redirects.value(p).toLatin1() +
                                 "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
                        s->disconnectFromHost();
                        return;
                    }
                    if (statuses.contains(p)) {
                        s->write("HTTP/1.1 " + QByteArray::number(statuses.value(p)) + " Status\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
                        s->disconnectFromHost();
                        return;
                    }
                    const bool found = files.contains(QString::fromLatin1(path));
                    const QByteArray body = files.value(QString::fromLatin1(path), "not here");
                    s->write((found ? "HTTP/1.1 200 OK\r\n" : "HTTP/1.1 404 Not Found\r\n") +
                             QByteArray("Content-Length: ") + QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
                    s->disconnectFromHost();
                });
            }
        });
    }
    QString url(const QString& path) const { return QStringLiteral("http://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(path); }

private:
    QTcpServer m_server;
    QMap<QTcpSocket*, QByteArray> m_requests;
};

void pointUpdatesAt(const QString& url) { fw::WriteIni(fw::paths().settingsPath, "Update", "UpdateUrl", url.toStdString()); }

}  // namespace

class SystemWindowsTest : public QObject {
    Q_OBJECT
private slots:
    void codecsListEveryCategoryAndKeepTheListWhenOneCannotBeMade() {
        GuiEnv env;
        QVERIFY(env.main->action("video")->isEnabled());
        env.main->action("video")->trigger();
        auto* w = env.main->tool<fw::gui::frmCodecs>(QStringLiteral("video"));
        QVERIFY(w);
        QCOMPARE(w->windowTitle(), fw::gui::lang("FormCaptions", 1));
        QVERIFY(w->entries().join(QLatin1Char('\n')).contains(QStringLiteral("mpeg4 - ")));
        QCOMPARE(w->countText(), fw::gui::lang("General", 8) + QStringLiteral(" %1").arg(w->entries().size()));
        w->choose(fw::system::CodecCategory::Filters);
        const QStringList filters = w->entries();
        QVERIFY(filters.join(QLatin1Char('\n')).contains(QStringLiteral("scale - ")));
        // No sound system here: the list stays as filled so far.
        w->setDeviceRoots({fw::test::TempHome().dir().string() + "/nosys", "/nonexistent/proc"});
        w->choose(fw::system::CodecCategory::MidiRenderers);
        QCOMPARE(w->entries(), filters);
    }

    void shutdownCountsDownThenEndsTheLogonOnce() {
        GuiEnv env;
        QVERIFY(env.main->action("shutdown")->isEnabled());
        env.main->action("shutdown")->trigger();  // opened only: this one talks to logind
        QVERIFY(env.main->tool<fw::gui::frmshutdown>(QStringLiteral("shutdown")));

        int ended = 0;
        auto* backend = new fw::system::RecordingBackend({false, true});
        fw::gui::frmshutdown w(std::unique_ptr<fw::system::ExitBackend>(backend), [&ended] { ++ended; });
        QCOMPARE(w.action(), 1);  // "Shutdown" is the option chosen at start
        QVERIFY(w.clockText().contains(QStringLiteral(" AM")) || w.clockText().contains(QStringLiteral(" PM")));
        child<QRadioButton>(&w, "Option1_3")->setChecked(true);  // Spegni: power off
        w.setCountdown(0, 0, 0, 1);
        QSignalSpy ticks(&w, &fw::gui::frmshutdown::remainingChanged);
        w.cmdStart_Click();
        QVERIFY(w.counting());
        QVERIFY(child<QPushButton>(&w, "cmdChoice_0")->isHidden());
        QTRY_COMPARE_WITH_TIMEOUT(ended, 1, 5000);
        QVERIFY(ticks.count() > 2);
        QCOMPARE(w.countdownText(), QStringLiteral("00:00:00:00.0000"));
        QCOMPARE(backend->calls().size(), 2u);  // power off refused once, then the forcing variant
        QCOMPARE(backend->calls()[0].flags, 9u);
        QCOMPARE(backend->calls()[1].flags, 25u);
    }

    void shutdownStopsRefusesThePastAndConfirmsZero() {
        GuiEnv env;
        int ended = 0;
        auto* backend = new fw::system::RecordingBackend;
        fw::gui::frmshutdown w(std::unique_ptr<fw::system::ExitBackend>(backend), [&ended] { ++ended; });
        w.setCountdown(0, 0, 1, 0);
        w.cmdStart_Click();
        QVERIFY(w.counting());
        w.cmdStop_Click();
        QVERIFY(!w.counting());
        QTest::qWait(100);
        QCOMPARE(ended, 0);

        // A past date and time: refused, with the window's own title.
        child<QCheckBox>(&w, "Check1")->setChecked(true);
        child<QDateEdit>(&w, "DTPicker1")->setDate(QDate::currentDate().addDays(-1));
        w.cmdStart_Click();
        QCOMPARE(MsgBox::shown().back().text, fw::gui::lang("ShutDownMsgBox", 11));
        QCOMPARE(MsgBox::shown().back().title, fw::gui::lang("ShutDownMsgBox", 4));
        QVERIFY(!w.counting());

        // All four fields 0: asked first; Cancel does nothing, OK acts at once.
        child<QCheckBox>(&w, "Check1")->setChecked(false);
        w.setCountdown(0, 0, 0, 0);
        MsgBox::setNextAnswer(Answer::Cancel);
        w.cmdStart_Click();
        QCOMPARE(MsgBox::shown().back().buttons, fw::Buttons::OkCancel);
        QVERIFY(MsgBox::shown().back().text.startsWith(fw::gui::lang("ShutDownMsgBox", 1)));
        QCOMPARE(ended, 0);
        MsgBox::setNextAnswer(Answer::Ok);
        w.cmdStart_Click();
        QCOMPARE(ended, 1);
        QCOMPARE(backend->calls().size(), 1u);
        QCOMPARE(backend->calls()[0].flags, 1u);
    }

    void systemReportOpensFromTheSplitterAndFromAbout() {
        GuiEnv env;
        auto* s = qobject_cast<fw::gui::frmsplitter*>(env.main->openTool(QStringLiteral("splitter")));
        auto* button = child<QPushButton>(s, "Command7");
        QVERIFY(button->isEnabled());
        button->click();
        auto find = [] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* r = qobject_cast<fw::gui::frmSysInfo*>(w); r && r->isVisible()) return r;
            return static_cast<fw::gui::frmSysInfo*>(nullptr);
        };
        auto* report = find();
        QVERIFY(report);
        QCOMPARE(report->windowTitle(), fw::gui::lang("FormCaptions", 12));
        QVERIFY(report->report().contains(fw::gui::lang("SysInfo", 37)));
        QVERIFY(report->report().contains(fw::gui::lang("SysInfo", 21) + QStringLiteral(" drive /")));
        child<QPushButton>(report, "Command1")->click();
        QTRY_VERIFY(!find());

        env.main->action("about")->trigger();
        fw::gui::frmAbout* about = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* a = qobject_cast<fw::gui::frmAbout*>(w); a && a->isVisible()) about = a;
        QVERIFY(about);
        child<QPushButton>(about, "cmdSysInfo")->click();
        QVERIFY(find());
    }

    void updateCheckByHand() {
        GuiEnv env;
        TinyHttp server;
        QByteArray big(70 * 1024, 'x');
        big.prepend("3.6.3\n");
        server.files = {{"/same/framewise_update.txt", "3.6.2\nNothing new"},
                        {"/newer/framewise_update.txt", "3.6.3\r\nFaster joins\r\n"},
                        {"/older/framewise_update.txt", "4.0.0\nA rewrite"},
                        {"/big/framewise_update.txt", big}};
        QVERIFY(env.main->action("updates")->isEnabled());
        env.main->action("updates")->trigger();
        auto* w = env.main->tool<fw::gui::frmUpdate>(QStringLiteral("updates"));
        QVERIFY(w);
        QCOMPARE(w->runningText(), fw::gui::lang("CheckUpdates", 1) + QStringLiteral(" 3.6.2"));
        w->setTimeoutMs(700);
        QSignalSpy checked(w, &fw::gui::frmUpdate::checked);
        auto check = [&](const QString& path) {
            pointUpdatesAt(path.startsWith(QLatin1String("http")) ? path : server.url(path));
            MsgBox::clearShown();
            const int before = checked.count();
            child<QPushButton>(w, "Command1")->click();
            QTRY_VERIFY_WITH_TIMEOUT(checked.count() > before, 5000);
        };
        const QString title = fw::gui::lang("FormCaptions", 15);

        check(QStringLiteral("/same/framewise_update.txt"));
        QCOMPARE(w->changeLog(), (QStringList{"3.6.2", "Nothing new"}));
        QCOMPARE(MsgBox::shown().back().text, fw::gui::lang("CheckUpdatesMsgBox", 3));
        QCOMPARE(MsgBox::shown().back().title, title);
        QVERIFY(!w->downloadOffered());

        MsgBox::setNextAnswer(Answer::Yes);
        check(QStringLiteral("/newer/framewise_update.txt"));
        QCOMPARE(w->changeLog(), (QStringList{"3.6.3\r", "Faster joins\r", ""}));  // CR LF lines keep their CR
        QCOMPARE(w->newestText(), fw::gui::lang("CheckUpdates", 2) + QStringLiteral(" 3.6.3\r"));
        QCOMPARE(MsgBox::shown().back().buttons, fw::Buttons::YesNo);
        QCOMPARE(fw::gui::OpenHooks::opened().back(), fw::gui::downloadPage());
        QVERIFY(w->downloadOffered());

        check(QStringLiteral("/older/framewise_update.txt"));
        QVERIFY(MsgBox::shown().empty());  // sums 11 and 4: nothing to say

        // Redirects within the scheme are followed (five at most); the file is what counts.
        server.redirects = {{"/hop1", "/hop2"}, {"/hop2", "/newer/framewise_update.txt"}, {"/loop", "/loop"},
                            {"/secure", "https://127.0.0.1:1/framewise_update.txt"}};
        MsgBox::setNextAnswer(Answer::No);
        check(QStringLiteral("/hop1"));
        QCOMPARE(w->changeLog().value(0), QStringLiteral("3.6.3\r"));
        // Whatever the address ends in, the download lands in its own file: settings stay.
        const std::string settingsBefore = fw::test::readFile(fw::paths().settingsPath);
        server.files.insert(QStringLiteral("/settings.ini"), "3.6.2\n");
        check(server.url(QStringLiteral("/settings.ini")));
        pointUpdatesAt(server.url(QStringLiteral("/same/framewise_update.txt")));
        QVERIFY(fw::test::readFile(fw::paths().settingsPath).find("[Preferences]") != std::string::npos);
        QCOMPARE(w->changeLog().value(0), QStringLiteral("3.6.2"));

        // Too large, never answered, not there, not 200, sent round in circles or to another
        // scheme, no server: the warning of key 2 with the cause, and no file left.
        server.statuses = {{"/nothing/framewise_update.txt", 204}, {"/unchanged/framewise_update.txt", 304}};
        QTcpServer closed;
        closed.listen(QHostAddress::LocalHost, 0);
        const QString nobody = QStringLiteral("http://127.0.0.1:%1/framewise_update.txt").arg(closed.serverPort());
        closed.close();
        for (const QString& path :
             {server.url(QStringLiteral("/big/framewise_update.txt")), server.url(QStringLiteral("/silent/framewise_update.txt")),
              server.url(QStringLiteral("/missing/framewise_update.txt")), server.url(QStringLiteral("/nothing/framewise_update.txt")),
              server.url(QStringLiteral("/unchanged/framewise_update.txt")), server.url(QStringLiteral("/loop")),
              server.url(QStringLiteral("/secure")), nobody}) {
            check(path);
            QCOMPARE(MsgBox::shown().size(), 1u);
            QVERIFY2(MsgBox::shown().back().text.startsWith(fw::gui::lang("CheckUpdatesMsgBox", 2) + QLatin1Char('\n')),
                     qPrintable(path + QStringLiteral(": ") + MsgBox::shown().back().text));
            QCOMPARE(MsgBox::shown().back().icon, fw::Icon::Exclamation);
            QVERIFY(w->changeLog().isEmpty());
            QVERIFY(!QFile::exists(QString::fromStdString(fw::system::updateFilePath())));
        }
    }

    void updateCheckAtStartUp() {
        TinyHttp server;
        server.files = {{"/newer/framewise_update.txt", "3.6.3\nFaster joins"}, {"/same/framewise_update.txt", "3.6.2\n"}};
        GuiEnv env;
        fw::gui::UpdateService service(env.main->connection());
        pointUpdatesAt(server.url(QStringLiteral("/same/framewise_update.txt")));
        MsgBox::clearShown();
        service.runAutomatic(env.main.get());
        QTRY_VERIFY_WITH_TIMEOUT(!service.window() || !service.window()->busy(), 5000);
        QVERIFY(MsgBox::shown().empty());  // up to date: silence at start-up

        pointUpdatesAt(server.url(QStringLiteral("/newer/framewise_update.txt")));
        MsgBox::setNextAnswer(Answer::Cancel);
        service.runAutomatic(env.main.get());
        QTRY_VERIFY_WITH_TIMEOUT(service.window() && service.window()->isVisible(), 5000);
        QCOMPARE(MsgBox::shown().back().buttons, fw::Buttons::YesNoCancel);
        QVERIFY(service.window()->downloadOffered());
        QCOMPARE(service.window()->changeLog(), (QStringList{"3.6.3", "Faster joins"}));
        child<QPushButton>(service.window(), "Command2")->click();
        QCOMPARE(fw::gui::OpenHooks::opened().back(), fw::gui::downloadPage());
    }

    void updateCheckWithoutAConnectionWarns() {
        GuiEnv env(false);
        env.main->action("updates")->trigger();
        auto* w = env.main->tool<fw::gui::frmUpdate>(QStringLiteral("updates"));
        child<QPushButton>(w, "Command1")->click();
        QCOMPARE(MsgBox::shown().back().text, fw::gui::lang("CheckUpdatesMsgBox", 1));
        QCOMPARE(MsgBox::shown().back().icon, fw::Icon::Exclamation);
    }
};

QTEST_MAIN(SystemWindowsTest)
#include "system_windows_test.moc"
