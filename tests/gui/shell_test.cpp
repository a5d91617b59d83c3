// The main window, the preferences dialog and the bitrate calculator, driven as a user would.
#include <QAction>
#include <QSet>
#include <QCheckBox>
#include <QAbstractItemView>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTest>

#include <cerrno>
#include <cstring>
#include <set>

#include "core/bitrate/bitrate_calc.h"
#include "core/common/file_io.h"
#include "core/common/ini.h"
#include "core/common/lang.h"
#include "core/resize/resize_calc.h"
#include "core/splitter/splitter.h"
#include "core/stats/stats_file.h"
#include "fixtures/byte_writer.h"
#include "fixtures/stats_builder.h"
#include "gui/bitrate/frmbitratecalc.h"
#include "gui/shell/preferences.h"
#include "gui/shell/splash.h"
#include "gui/ui/widgets.h"
#include "gui_test_env.h"
#include "platform/user_store.h"

using fw::gui::MsgBox;
using fw::test::child;
using fw::test::GuiEnv;

class ShellTest : public QObject {
    Q_OBJECT
private slots:
    void menuHasEveryEntryAndEnglishCaptions() {
        GuiEnv env;
        auto* m = env.main.get();
        QCOMPARE(m->windowTitle(), QStringLiteral("Framewise v. 3.6.2"));
        QCOMPARE(m->action("calc")->text(), fw::gui::lang("Menu", 17));
        QCOMPARE(m->action("calc")->shortcut(), QKeySequence(QStringLiteral("Ctrl+B")));
        QCOMPARE(m->action("shutdown")->shortcut(), QKeySequence(QStringLiteral("Ctrl+F4")));
        QCOMPARE(m->action("file")->text(), QStringLiteral("&File"));  // no key: design caption
        QVERIFY(m->action("calc")->isEnabled());
        // Every entry has its window now, but the media player's, which never had an action.
        for (const char* entry : {"shutdown", "video", "updates", "convert2wav"}) QVERIFY2(m->action(entry)->isEnabled(), entry);
        QVERIFY(m->action("mediaplayer")->isVisible());
        // Five menus in their order.
        QStringList tops;
        for (QAction* a : m->menuBar()->actions()) tops << a->objectName();
        QCOMPARE(tops, (QStringList{"file", "edit", "calculate", "tools", "info"}));
        QVERIFY(m->statusText().contains(QStringLiteral(" b ")));
    }

    void toolOpensOnceHoweverOftenChosen() {
        GuiEnv env;
        env.main->action("calc")->trigger();
        env.main->action("calc")->trigger();
        env.main->action("calc")->trigger();
        auto windows = QApplication::topLevelWidgets();
        int calcs = 0;
        for (auto* w : windows)
            if (w->objectName() == QLatin1String("frmbitratecalc") && w->isVisible()) ++calcs;
        QCOMPARE(calcs, 1);
        QVERIFY(env.main->findTool("calc"));
    }

    void preferencesSwitchTheMenuToItalianAtOnce() {
        GuiEnv env;
        env.main->action("calc")->trigger();
        auto* calc = env.main->tool<fw::gui::frmbitratecalc>("calc");
        const QString before = child<QPushButton>(calc, "calcola")->text();

        env.main->action("preferences")->trigger();
        auto* prefs = env.main->tool<fw::gui::frmlanguage>("preferences");
        QVERIFY(prefs);
        QVERIFY(prefs->option(1)->isChecked());  // English
        QVERIFY(!prefs->option(2)->isEnabled());
        prefs->option(0)->click();
        child<QPushButton>(prefs, "cmdSave")->click();
        QCOMPARE(env.main->action("calc")->text(), QStringLiteral("Calcolo &bitrate"));
        QCOMPARE(env.main->action("edit")->text(), QStringLiteral("&Modifica"));
        QCOMPARE(QString::fromStdString(fw::ReadIni(env.home->settings(), "Preferences", "Language", "")),
                 QStringLiteral("ita"));
        // A window already open keeps its texts.
        QCOMPARE(child<QPushButton>(calc, "calcola")->text(), before);
    }

    void everyMenuEntryHasItsOwnMnemonicInBothLanguages() {
        GuiEnv env;
        for (const char* language : {"eng", "ita"}) {
            fw::globals().Language = language;
            env.main->refreshMenuCaptions();
            QCOMPARE(env.main->action("mediaplayer")->toolTip(), QString::fromStdString(fw::LangText("General", 23)));
            // Each menu (the menu bar too): every entry marked, no letter twice.
            QList<QList<QAction*>> menus{env.main->menuBar()->actions()};
            for (QMenu* m : env.main->findChildren<QMenu*>()) menus << m->actions();
            for (const auto& actions : menus) {
                QSet<QChar> letters;
                for (QAction* a : actions) {
                    if (a->isSeparator()) continue;
                    const QString t = a->text();
                    const int at = t.indexOf(QLatin1Char('&'));
                    QVERIFY2(at >= 0 && at + 1 < t.size(), qPrintable(QString::fromLatin1(language) + QStringLiteral(": ") + t));
                    const QChar letter = t[at + 1].toLower();
                    QVERIFY2(!letters.contains(letter), qPrintable(QString::fromLatin1(language) + QStringLiteral(": ") + t));
                    letters.insert(letter);
                }
            }
        }
        fw::globals().Language = "eng";
    }

    void resolutionCalculatorTabsAlongEachRow() {
        GuiEnv env;
        QWidget* w = env.main->openTool(QStringLiteral("resizer"));
        auto* check = child<QCheckBox>(w, "Check1_0");
        QCOMPARE(check->nextInFocusChain(), static_cast<QWidget*>(child<QLineEdit>(w, "Text4_0")));
        QCOMPARE(child<QLineEdit>(w, "Text4_0")->nextInFocusChain(), static_cast<QWidget*>(child<QLineEdit>(w, "Text4_1")));
        QCOMPARE(child<QLineEdit>(w, "Text4_1")->nextInFocusChain(), static_cast<QWidget*>(child<QCheckBox>(w, "Check1_1")));
        QCOMPARE(child<QCheckBox>(w, "Check1_1")->nextInFocusChain(), static_cast<QWidget*>(child<QLineEdit>(w, "Text5_0")));
        // Escape closes a tool window.
        QApplication::setActiveWindow(w);
        QVERIFY(QTest::qWaitForWindowActive(w));
        QTest::keyClick(w, Qt::Key_Escape);
        QTRY_VERIFY(!env.main->findTool(QStringLiteral("resizer")));
    }

    // Enter and Escape reach the window only when nothing inside takes them.
    void windowKeysLeaveOpenListsAndEditorsAlone() {
        GuiEnv env;
        QWidget* calc = env.main->openTool(QStringLiteral("calc"));
        QApplication::setActiveWindow(calc);
        QVERIFY(QTest::qWaitForWindowActive(calc));
        auto* calcola = child<QPushButton>(calc, "calcola");
        int pressed = 0;
        QObject::connect(calcola, &QPushButton::clicked, [&] { ++pressed; });
        // A combo box's open list: Escape and Enter close the list; the window stays, its
        // button is not pressed.
        auto* combo = calc->findChildren<QComboBox*>().first();
        for (Qt::Key key : {Qt::Key_Escape, Qt::Key_Return}) {
            combo->showPopup();
            QTRY_VERIFY(QApplication::activePopupWidget());
            QTest::keyClick(combo->view(), key);
            QTRY_VERIFY(!QApplication::activePopupWidget());
            QVERIFY(env.main->findTool(QStringLiteral("calc")));
            QCOMPARE(pressed, 0);
        }
        // In a field, Enter presses the main button; Enter with Ctrl does nothing.
        auto* field = calc->findChildren<QLineEdit*>().first();
        QTest::keyClick(field, Qt::Key_Return);
        QCOMPARE(pressed, 1);
        QTest::keyClick(field, Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(pressed, 1);
        // A button with the focus takes Enter itself: it, not the main button, is pressed.
        QPushButton* other = nullptr;
        for (auto* b : calc->findChildren<QPushButton*>())
            if (b != calcola && b->isEnabled() && b->isVisible()) other = b;
        QVERIFY(other);
        int otherPressed = 0;
        QObject::connect(other, &QPushButton::clicked, [&] { ++otherPressed; });
        other->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(other));
        QTest::keyClick(other, Qt::Key_Return);
        QCOMPARE(otherPressed, 1);
        QCOMPARE(pressed, 1);
        // The shutdown window has no main button: Enter must never start it.
        QWidget* shutdown = env.main->openTool(QStringLiteral("shutdown"));
        for (auto* b : shutdown->findChildren<QPushButton*>()) QVERIFY2(!b->isDefault(), qPrintable(b->objectName()));
    }

    // The disk under the settings is full: each window that saves on its button says so, with the
    // file and the reason, and the settings stay as they were.
    void settingsThatCannotBeSavedAreSaid() {
        const struct {
            const char* tool;
            const char* button;
        } cases[] = {{"preferences", "cmdSave"}, {"calc", "esci"}, {"resizer", "esci"}};
        for (const auto& c : cases) {
            GuiEnv env;
            QWidget* w = env.main->openTool(QString::fromLatin1(c.tool));
            QVERIFY2(w, c.tool);
            const std::string before = fw::test::readFile(env.home->settings());
            MsgBox::clearShown();
            fw::writeFaults::failAfter(0);
            child<QPushButton>(w, c.button)->click();
            fw::writeFaults::clear();
            QVERIFY2(MsgBox::shown().size() == 1, c.tool);
            const QString text = MsgBox::shown().front().text;
            QVERIFY2(text.startsWith(fw::gui::lang("General", 24)), qPrintable(text));
            QVERIFY2(text.contains(QString::fromStdString(env.home->settings())), qPrintable(text));
            QVERIFY2(text.contains(QString::fromLatin1(std::strerror(ENOSPC))), qPrintable(text));
            QVERIFY2(fw::test::readFile(env.home->settings()) == before, c.tool);
        }
    }

    void preferencesWithUnknownLanguageSelectNothing() {
        GuiEnv env;
        fw::globals().Language = "0";
        fw::gui::frmlanguage prefs;
        for (int i = 0; i < 4; ++i) QVERIFY(!prefs.option(i)->isChecked());
        prefs.cmdSave_Click();
        QCOMPARE(fw::ReadIni(env.home->settings(), "Preferences", "Language", ""), std::string("0"));

        fw::globals().Language = "spa";  // a disabled option is still selected when the file says so
        fw::gui::frmlanguage spa;
        QVERIFY(spa.option(2)->isChecked());
    }

    void startupUpdateCheckAsksForAConnectionOnlyWhenWanted() {
        {
            int asked = 0;
            GuiEnv env(false, &asked);
            QCOMPARE(asked, 0);
            QVERIFY(MsgBox::shown().empty());
        }
        {
            fw::test::TempHome home;
            fw::WriteIni(home.settings(), "Preferences", "CheckUpdates", "1");
            MsgBox::setTestMode(true);
            MsgBox::clearShown();
            int asked = 0;
            fw::gui::frmMain main(std::make_unique<fw::test::FakeConnection>(false, &asked));
            fw::gui::frmSplash splash(&main);  // the check runs while the splash loads
            QCOMPARE(asked, 1);
            QCOMPARE(MsgBox::shown().size(), size_t(1));
            QCOMPARE(MsgBox::shown()[0].text, QStringLiteral("you're not connected to the internet!"));
            QCOMPARE(MsgBox::shown()[0].title, QStringLiteral("Framewise"));
            QVERIFY(!main.isVisible());
            QTest::keyClick(&splash, Qt::Key_Space);
            QVERIFY(main.isVisible());
        }
    }

    void closingStoresPlacementUnlessMinimised() {
        GuiEnv env;
        env.main->show();
        env.main->action("calc")->trigger();
        QPointer<QWidget> calc = env.main->findTool("calc");
        // Windows that are not tools of the menu close too: an information window without a
        // parent, and the inspector's header-export window.
        auto* info = new QWidget(nullptr, Qt::Window);
        info->setAttribute(Qt::WA_DeleteOnClose);
        info->show();
        QPointer<QWidget> infoAlive = info;
        env.main->close();
        QVERIFY(calc.isNull() || !calc->isVisible());
        QVERIFY(infoAlive.isNull() || !infoAlive->isVisible());
        for (QWidget* w : QApplication::topLevelWidgets()) QVERIFY2(!w->isVisible(), qPrintable(w->objectName()));
        QVERIFY(std::stoi(fw::platform::readUserSetting("Settings", "MainWidth", "0")) > 0);
        // The placement is kept in the program folder's own store, never in the user's ~/.config.
        QVERIFY(QFile::exists(QString::fromStdString(env.home->path("user-settings.conf"))));

        GuiEnv env2;
        env2.main->showMinimized();
        env2.main->setWindowState(Qt::WindowMinimized);
        env2.main->close();
        QCOMPARE(fw::platform::readUserSetting("Settings", "MainLeft", "none"), std::string("none"));
    }

    void everyWindowFindsItsTextsInBothLanguages() {
        GuiEnv env;
        std::set<std::pair<std::string, int>> used;
        fw::setLangLookupRecorder([&](const std::string& s, int k) { used.insert({s, k}); });
        env.main->Load_Form();
        for (const QString& name : env.main->toolNames()) env.main->openTool(name);
        env.main->close();
        // Texts composed by the tools themselves.
        fw::bitrate::Bitcalc calc;
        calc.calcola();
        fw::resize::ResizeCalc resize;
        resize.open();
        std::string stats = env.home->path("a.stats");
        fw::fixtures::writeBytes(stats, fw::fixtures::buildStats(fw::fixtures::statsPattern(20)));
        auto a = fw::stats::AnalizeStats(stats);
        fw::stats::ScaleCurve(stats, a.summary.average(), a.summary.Max, a.summary.Min);
        fw::stats::writeStatsReport(env.home->path("r.txt"), stats, a, true, "d", "t");
        fw::splitter::rebuildBat("a.", 2, "", "a.avi");
        fw::splitter::summaryLine(5000, 2);
        fw::setLangLookupRecorder(nullptr);
        QVERIFY(used.size() > 200);
        for (const char* code : {"eng", "ita"}) {
            const std::string data = fw::test::readFile(fw::test::sourceDir() + "/lang/" + code + ".ini");
            for (const auto& [section, key] : used)
                QVERIFY2(fw::readIniData(data, section, std::to_string(key), "\x01") != "\x01",
                         qPrintable(QStringLiteral("%1.ini lacks [%2] %3").arg(code, QString::fromStdString(section)).arg(key)));
        }
    }

    void everyLabelShowsItsTextAsPlainText() {
        GuiEnv env;
        env.main->show();
        for (const QString& name : env.main->toolNames()) env.main->openTool(name);
        QApplication::processEvents();
        int labels = 0;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (!w->isVisible()) continue;
            // A label still hidden takes the format when it is first shown.
            for (QLabel* l : w->findChildren<QLabel*>()) {
                if (!l->isVisible()) continue;
                ++labels;
                QVERIFY2(l->textFormat() == Qt::PlainText, qPrintable(w->objectName() + QLatin1Char('/') + l->objectName() + QLatin1Char(' ') + l->text()));
            }
        }
        QVERIFY(labels > 50);
        // A label made after the window was shown takes it too, when it is shown.
        auto* late = new QLabel(QStringLiteral("<b>x.avi"), env.main.get());
        late->show();
        QCOMPARE(late->textFormat(), Qt::PlainText);
        env.main->close();
    }

    void sysinfoShowsTheSystemText() {
        GuiEnv env;
        env.main->action("sysinfo")->trigger();
        QCOMPARE(MsgBox::shown().size(), size_t(1));
        QVERIFY(MsgBox::shown()[0].title.contains(QStringLiteral("Framewise 3.6 System Info Window")));
        QVERIFY(MsgBox::shown()[0].text.startsWith(QStringLiteral("OS Information:\n") + env.main->statusText()));
    }
};

QTEST_MAIN(ShellTest)
#include "shell_test.moc"
