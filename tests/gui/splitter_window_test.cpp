// The splitter window: presets, size and count modes, the summary, a split off the UI thread,
// and the join offered for a .000 file.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <filesystem>

#include "gui/splitter/frmsplitter.h"
#include "gui/ui/widgets.h"
#include "gui_test_env.h"

using fw::gui::frmsplitter;
using fw::gui::MsgBox;
using fw::test::child;
using fw::test::GuiEnv;

class SplitterWindowTest : public QObject {
    Q_OBJECT
private slots:
    void presetsModesSplitAndJoin() {
        GuiEnv env;
        std::string src = env.home->path("movie.avi");
        fw::test::writeFile(src, std::string(3000000, 'a'));
        auto* w = qobject_cast<frmsplitter*>(env.main->openTool("splitter"));
        QVERIFY(w);
        w->setSource(QString::fromStdString(src));
        QCOMPARE(child<QLabel>(w, "lblSize")->text(), QStringLiteral("2.86 MB"));
        w->choosePreset(7);  // 1024 KB
        QCOMPARE(w->pieceCount(), 3);
        QVERIFY(child<QLabel>(w, "lblSummary")->text().startsWith(QStringLiteral("2.86 MB = 3")));
        child<QLineEdit>(w, "Text3")->setText(QStringLiteral("3"));
        QVERIFY(child<QRadioButton>(w, "Option1_1")->isChecked());
        QCOMPARE(w->pieceSize(), 1000000);
        child<QLineEdit>(w, "Text2")->setText(QStringLiteral("x"));
        QCOMPARE(MsgBox::shown().back().text, fw::gui::lang("BitcalcMsgBox", 1));
        QCOMPARE(child<QLineEdit>(w, "Text2")->text(), QString());
        child<QLineEdit>(w, "Text2")->setText(QStringLiteral("1"));
        QCOMPARE(w->pieceSize(), 1048576);

        QSignalSpy done(w, &frmsplitter::finished);
        w->cmdSplit_Click();
        QVERIFY(done.wait(20000));
        QVERIFY(std::filesystem::exists(env.home->path("movie.003")));
        QVERIFY(w->statusText().contains(QStringLiteral("(3 pieces)")));
        QVERIFY(child<QPushButton>(w, "cmdOpenFolder")->isEnabled());

        std::filesystem::remove(src);
        w->setSource(QString::fromStdString(env.home->path("movie.000")));
        QVERIFY(child<QPushButton>(w, "cmdJoin")->isEnabled());
        QVERIFY(!child<QPushButton>(w, "cmdSplit")->isEnabled());
        w->cmdJoin_Click();
        QVERIFY(done.wait(20000));
        QCOMPARE(fw::test::readFile(src), std::string(3000000, 'a'));
        QVERIFY(w->statusText().startsWith(fw::gui::lang("FileSplitter", 12)));
    }

    void onePieceIsRefused() {
        GuiEnv env;
        std::string src = env.home->path("small.avi");
        fw::test::writeFile(src, std::string(700 * 1024, 'b'));
        auto* w = qobject_cast<frmsplitter*>(env.main->openTool("splitter"));
        w->setSource(QString::fromStdString(src));
        w->choosePreset(6);  // 720 KB
        QCOMPARE(w->pieceCount(), 1);
        QSignalSpy done(w, &frmsplitter::finished);
        w->cmdSplit_Click();
        QVERIFY(done.wait(20000));
        QCOMPARE(MsgBox::shown().back().text, fw::gui::lang("FileSplitterMsgBox", 1));
    }

    // The window keeps its size whatever file is chosen: the folder line is shortened in the
    // middle, whole in its tool tip, and the height was reserved from the start.
    void sizeStaysWithLongFolders() {
        GuiEnv env;
        auto* w = qobject_cast<frmsplitter*>(env.main->openTool("splitter"));
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        const QSize before = w->size();
        const std::string deep = env.home->path(std::string(220, 'd'));
        std::filesystem::create_directories(deep);
        for (const std::string& src : {deep + "/film.avi", env.home->path("short.avi")}) {
            fw::test::writeFile(src, "RIFF");
            w->setSource(QString::fromStdString(src));
            QTest::qWait(50);
            QCOMPARE(w->size(), before);
        }
        auto* folder = w->findChild<fw::gui::PathLabel*>(QStringLiteral("lblFolder"));
        QVERIFY(folder->fullText().endsWith(QString::fromStdString(env.home->dir().string())));
    }
};

QTEST_MAIN(SplitterWindowTest)
#include "splitter_window_test.moc"
