// The inspector window: a file opened through the dialog, its fields, the chunk grid, the tabs,
// the rounding box, and a report written twice into one file.
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>

#include "core/common/number.h"
#include "fixtures/avi_builder.h"
#include "fixtures/byte_writer.h"
#include "fixtures/ogm_builder.h"
#include "gui/avi/frmAviDetector.h"
#include "gui/ui/widgets.h"
#include "gui_test_env.h"

using fw::gui::FileDialogHooks;
using fw::gui::frmAviDetector;
using fw::gui::MsgBox;
using fw::test::child;
using fw::test::GuiEnv;

class AviInspectorTest : public QObject {
    Q_OBJECT
private slots:
    void openThroughTheDialogAndReportTwice() {
        GuiEnv env;
        fw::fixtures::AviSpec spec;
        for (int i = 0; i < 4; ++i) spec.extra.push_back({});
        spec.junkAfterHdrl = false;
        spec.info = {{"INAM", "Test film"}};
        std::string path = env.home->path("film.avi");
        fw::fixtures::writeBytes(path, fw::fixtures::buildAvi(spec));

        auto* w = qobject_cast<frmAviDetector*>(env.main->openTool("avidet"));
        QVERIFY(w);
        QSignalSpy done(w, &frmAviDetector::loaded);
        FileDialogHooks::setNextFileName(QString::fromStdString(path), 1);
        w->cmdOpen_Click();
        QVERIFY(done.wait(10000));
        QCOMPARE(child<QLineEdit>(w, "Text1_1")->text(), QStringLiteral("XviD MPEG-4 Advanced Simple Profile"));
        QCOMPARE(child<QLineEdit>(w, "Text1_11")->text(), QStringLiteral("5"));
        QCOMPARE(child<QLineEdit>(w, "Text1_20")->text(), fw::gui::lang("AviDetector", 4));
        QCOMPARE(child<QLineEdit>(w, "Text1_62")->text(), QStringLiteral("3"));
        QCOMPARE(child<QTabBar>(w, "TabStrip2")->count(), 3);  // "1 and 2", "3 and 4", "5 and 6"
        auto* grid = child<QTableWidget>(w, "MSFlexGrid1");
        QVERIFY(grid->rowCount() >= 3);
        QCOMPARE(grid->item(0, 0)->text(), QStringLiteral("INFO"));
        QCOMPARE(grid->item(1, 0)->text(), QStringLiteral("INAM"));
        QCOMPARE(grid->item(1, 2)->text(), QStringLiteral("Test film"));
        QCOMPARE(child<QLineEdit>(w, "txtTag_0")->text(), QStringLiteral("Test film"));

        // The rounding box: a film at 23.976 fps without an index, whose header bitrate has more
        // than three decimals, shows it rounded or whole.
        fw::fixtures::AviSpec ntsc = spec;
        ntsc.usPerFrame = 41708;
        ntsc.flags = 0x100;
        ntsc.index = false;
        std::string ntscPath = env.home->path("ntsc.avi");
        fw::fixtures::writeBytes(ntscPath, fw::fixtures::buildAvi(ntsc));
        w->loadFile(QString::fromStdString(ntscPath));
        QVERIFY(done.wait(10000));
        const double kbps = w->result().info.videoBitrate;
        QVERIFY(fw::roundHalfEven(kbps, 3) != kbps);
        auto* rbv = child<QCheckBox>(w, "chkRBV");
        QVERIFY(rbv->isChecked());
        QCOMPARE(child<QLineEdit>(w, "Text1_9")->text(), QString::fromStdString(fw::numberText(fw::roundHalfEven(kbps, 3))));
        rbv->setChecked(false);
        QCOMPARE(child<QLineEdit>(w, "Text1_9")->text(), QString::fromStdString(fw::numberText(kbps)));
        rbv->setChecked(true);
        QCOMPARE(child<QLineEdit>(w, "Text1_9")->text(), QString::fromStdString(fw::numberText(fw::roundHalfEven(kbps, 3))));
        w->loadFile(QString::fromStdString(path));
        QVERIFY(done.wait(10000));

        std::string report = env.home->path("report.txt");
        for (int i = 0; i < 2; ++i) {
            FileDialogHooks::setNextFileName(QString::fromStdString(report));
            w->cmdReport_Click();
        }
        const std::string text = fw::test::readFile(report);
        const std::string first = "File: " + path + "\n";
        QCOMPARE(text.rfind(first, 0), std::size_t(0));
        QVERIFY(text.find(first, 1) != std::string::npos);  // the second report follows the first
        // The dialog does not offer to replace a file the report is added to.
        QCOMPARE(FileDialogHooks::shown().back().kind, QStringLiteral("append"));
        QCOMPARE(MsgBox::shown().back().text, fw::gui::lang("AviDetectorMsgBox", 7));
    }

    void theFilesOwnBytesChooseTheReaderAndItsWarningsAreShown() {
        GuiEnv env;
        // An OGM file named .avi, chosen under the AVI filter: read as the OGM it is.
        const std::string ogm = env.home->path("clip.avi");
        fw::fixtures::writeBytes(ogm, fw::fixtures::OgmBuilder().video({}).audio({}).bytes());
        auto* w = qobject_cast<frmAviDetector*>(env.main->openTool("avidet"));
        QSignalSpy done(w, &frmAviDetector::loaded);
        FileDialogHooks::setNextFileName(QString::fromStdString(ogm), 1);
        w->cmdOpen_Click();
        QVERIFY(done.wait(10000));
        QVERIFY(w->result().ok);
        QVERIFY(w->result().isOgm);
        // What the reader noticed is said in the window.
        auto* warnings = child<QLabel>(w, "lblWarnings");
        QCOMPARE(warnings->isVisible(), !w->result().warnings.empty());
        if (!w->result().warnings.empty())
            QVERIFY(warnings->text().contains(QString::fromStdString(w->result().warnings.front())));

        // And an AVI named .ogm goes to the AVI reader.
        const std::string avi = env.home->path("film.ogm");
        fw::fixtures::writeBytes(avi, fw::fixtures::buildAvi({}));
        FileDialogHooks::setNextFileName(QString::fromStdString(avi), 3);
        w->cmdOpen_Click();
        QVERIFY(done.wait(10000));
        QVERIFY(w->result().ok);
        QVERIFY(!w->result().isOgm);
        QVERIFY(!warnings->isVisible());

        // Play with no application for the file on this desktop: said, not silent.
        fw::gui::OpenHooks::setAnswer(false);
        MsgBox::clearShown();
        child<QPushButton>(w, "cmdPlay")->click();
        QVERIFY(!MsgBox::shown().empty());
        QVERIFY(MsgBox::shown().back().text.startsWith(fw::gui::lang("General", 22)));
        fw::gui::OpenHooks::setAnswer(true);
    }

    void checkTabRepairAndKeyFrameExport() {
        GuiEnv env;
        fw::fixtures::AviSpec spec;
        spec.extra.push_back({});
        spec.extra[0].length = 16000;
        std::string cut = env.home->path("cut.avi");
        fw::fixtures::writeBytes(cut, fw::fixtures::truncateAvi(fw::fixtures::buildAvi(spec), 1500));
        auto* w = qobject_cast<frmAviDetector*>(env.main->openTool("avidet"));
        QSignalSpy done(w, &frmAviDetector::loaded), checked(w, &frmAviDetector::checked),
            repaired(w, &frmAviDetector::repaired);
        w->loadFile(QString::fromStdString(cut));
        QVERIFY(done.wait(10000));
        // The check runs when its tab is shown, not before.
        QVERIFY(!w->health());
        auto* tabs = child<QTabWidget>(w, "TabStrip1");
        tabs->setCurrentIndex(tabs->count() - 1);
        QVERIFY(checked.wait(10000));
        QVERIFY(w->health());
        auto* problems = child<QTableWidget>(w, "gridProblems");
        QCOMPARE(problems->rowCount(), 2);
        QVERIFY(problems->item(0, 1)->text().startsWith(fw::gui::lang("AviHealth", 2)));
        QVERIFY(child<QLabel>(w, "lblCheckFigures")->text().contains(QStringLiteral("25/1 (PAL 25)")));
        // No index: nothing to export yet.
        QVERIFY(!child<QPushButton>(w, "cmdKeyframes")->isEnabled());

        const std::string fixed = env.home->path("cut.fixed.avi");
        FileDialogHooks::setNextFileName(QString::fromStdString(fixed));
        child<QPushButton>(w, "cmdRepair")->click();
        QVERIFY(repaired.wait(10000));
        QCOMPARE(repaired.takeFirst().at(0).toBool(), true);
        QVERIFY(MsgBox::shown().back().text.startsWith(fw::gui::lang("AviHealth", 30)));
        QVERIFY(!child<QPushButton>(w, "cmdStop")->isEnabled());

        // The repaired file: sound, with an index whose key frames export as a qpfile.
        w->loadFile(QString::fromStdString(fixed));
        QVERIFY(done.wait(10000));
        QVERIFY(checked.wait(10000));  // the Check tab is still the one shown
        QCOMPARE(problems->rowCount(), 1);
        QCOMPARE(problems->item(0, 1)->text(), fw::gui::lang("AviHealth", 19));
        const std::string qp = env.home->path("keys.qpfile");
        FileDialogHooks::setNextFileName(QString::fromStdString(qp), 2);
        child<QPushButton>(w, "cmdKeyframes")->click();
        std::string expected;
        for (int i = 0; i < 23; ++i) expected += std::to_string(i) + " I\n";  // every frame: the data did not say
        QCOMPARE(fw::test::readFile(qp), expected);
    }

    void refusedFilesClearTheWindow() {
        GuiEnv env;
        std::string path = env.home->path("not.avi");
        fw::test::writeFile(path, "RIFF\x04\x00\x00\x00WAVE");
        auto* w = qobject_cast<frmAviDetector*>(env.main->openTool("avidet"));
        QSignalSpy done(w, &frmAviDetector::loaded);
        w->loadFile(QString::fromStdString(path));
        QVERIFY(done.wait(10000));
        QCOMPARE(MsgBox::shown().size(), size_t(1));
        QCOMPARE(MsgBox::shown()[0].text, fw::gui::lang("AviDetectorMsgBox", 1));
        QCOMPARE(child<QLineEdit>(w, "Text1_0")->text(), QString());
    }
};

QTEST_MAIN(AviInspectorTest)
#include "avi_inspector_test.moc"
