// The calculator's source import through the dialog (each kind of file), its hand-overs to the
// chapter editor and the resolution calculator, and the inverse calculator on an ffmpeg file.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>

#include "core/bitrate/source_import.h"
#include "gui/bitrate/calcolo_inverso.h"
#include "gui/bitrate/frmbitratecalc.h"
#include "gui/ui/widgets.h"
#include "gui_test_env.h"
#include "support/tools.h"

using fw::gui::FileDialogHooks;
using fw::gui::frmbitratecalc;
using fw::gui::MsgBox;
using fw::test::child;
using fw::test::GuiEnv;

class BitrateImportTest : public QObject {
    Q_OBJECT
private slots:
    void eachKindThroughTheDialogAndTheHandOvers() {
        GuiEnv env;
        auto* w = qobject_cast<frmbitratecalc*>(env.main->openTool("calc"));
        QVERIFY(w);
        QVERIFY(child<QPushButton>(w, "cmdImport_0")->isEnabled());
        QVERIFY(!child<QPushButton>(w, "cmdImport_1")->isEnabled());
        QSignalSpy done(w, &frmbitratecalc::imported);
        auto import = [&](const std::string& name, const std::string& text, int filter) {
            const std::string p = env.home->path(name);
            fw::test::writeFile(p, text);
            FileDialogHooks::setNextFileName(QString::fromStdString(p), filter);
            w->cmdImport0_Click();
            QVERIFY(done.wait(10000));
            QCOMPARE(FileDialogHooks::shown().back().title, fw::gui::lang("FileSplitter", 1322));
            QCOMPARE(FileDialogHooks::shown().back().filters.size(), 3);
            QVERIFY(child<QRadioButton>(w, "Option2_1")->isChecked());  // the frame count rules now
        };
        import("movie.stats", std::string(4 + 68 * 1000 + 34, '\0'), 3);
        QCOMPARE(child<QLineEdit>(w, "frames")->text(), QStringLiteral("1000.5"));
        import("movie.d2v", "Field_Operation=0\r\nFrame_Rate=25000\r\n7 0 4 2 2 2 2\r\n7 1 9 2 2 2 2\r\n", 2);
        QCOMPARE(child<QLineEdit>(w, "frames")->text(), QStringLiteral("8"));
        QCOMPARE(child<QComboBox>(w, "framerate")->currentText(), QStringLiteral("25.000 fps"));
        QVERIFY(!child<QPushButton>(w, "cmdImport_1")->isEnabled());
        import("movie_info.txt", "Display mode: 720x576\r\nFrames: 135000\r\n", 1);
        QCOMPARE(child<QLineEdit>(w, "frames")->text(), QStringLiteral("135000"));
        QVERIFY(child<QPushButton>(w, "cmdImport_1")->isEnabled());
        QCOMPARE(w->frameWidth(), 720);

        // INFO to the chapter editor.
        child<QPushButton>(w, "cmdImport_1")->click();
        auto* chapters = env.main->findTool("chapter");
        QVERIFY(chapters && chapters->isVisible());
        QCOMPARE(child<QLineEdit>(chapters, "txtInfoPath")->text(), QString::fromStdString(env.home->path("movie_info.txt")));

        // Size: the frame size and the bits-per-pixel figure of the last calculation.
        child<QPushButton>(w, "calcola")->click();
        QVERIFY(w->videoBitrate() > 0);
        child<QPushButton>(w, "cmdImport_2")->click();
        auto* resizer = env.main->findTool("resizer");
        QVERIFY(resizer && resizer->isVisible());
        QCOMPARE(child<QLineEdit>(resizer, "Text1_0")->text(), QStringLiteral("720"));
        QCOMPARE(child<QLineEdit>(resizer, "Text1_1")->text(), QStringLiteral("576"));
        QCOMPARE(child<QLineEdit>(resizer, "Text2_0")->text(), QStringLiteral("720"));
        QCOMPARE(child<QLabel>(resizer, "Label1_4")->text(),
                 QString::fromStdString(fw::bitrate::sizeHandOverLabel(w->videoBitrate(), w->calc().in.profile, 25, 720, 576)));
        QVERIFY(MsgBox::shown().empty());
    }

    void inverseCalculatorOnAnFfmpegFile() {
        const std::string missing = fw::test::missingTool({"ffmpeg"});
        if (!missing.empty()) {
            if (fw::test::underCi()) QFAIL("CI needs ffmpeg on PATH");
            QSKIP("ffmpeg is not installed");
        }
        GuiEnv env;
        env.main->action("calcinv")->trigger();
        auto* w = qobject_cast<fw::gui::Calcolo_Inverso*>(env.main->findTool("calcinv"));
        QVERIFY(w);
        QCOMPARE(w->windowTitle(), fw::gui::lang("InvCalc", 1));
        QVERIFY(!child<QPushButton>(w, "Command2")->isEnabled());
        const std::string f = env.home->path("film.avi");
        QCOMPARE(fw::test::sh("ffmpeg -v error -y -f lavfi -i testsrc=size=320x240:rate=25 -t 4 -c:v mpeg4 " + fw::test::quote(f)), 0);
        FileDialogHooks::setNextFileName(QString::fromStdString(f));
        w->Command1_Click();
        QVERIFY(child<QPushButton>(w, "Command2")->isEnabled());
        QCOMPARE(child<QLineEdit>(w, "Text1_0")->text(), QStringLiteral("320"));
        QCOMPARE(child<QLineEdit>(w, "Text1_2")->text(), QStringLiteral("100"));
        QCOMPARE(child<QLineEdit>(w, "Text1_4")->text(), QStringLiteral("4 sec"));
        QCOMPARE(child<QLineEdit>(w, "Text1_6")->text(), fw::gui::lang("AviDetector", 4));
        child<QPushButton>(w, "Command2")->click();  // no discs yet
        QCOMPARE(MsgBox::shown().back().text, fw::gui::lang("BitcalcMsgBox", 5));
        QCOMPARE(child<QLineEdit>(w, "Text2")->text(), QString());
        child<QLineEdit>(w, "cd74")->setText(QStringLiteral("1"));
        child<QPushButton>(w, "Command2")->click();
        QCOMPARE(child<QLineEdit>(w, "Text2")->text(), QStringLiteral("Bitrate audio = 320 Kbit/sec"));
    }
};

QTEST_MAIN(BitrateImportTest)
#include "bitrate_import_test.moc"
