// The stats editor: a file opened through the dialog hook, the frame browser's buttons as
// checkFrame enables them, and the frame count handed to the bitrate calculator.
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "core/common/ini.h"
#include "fixtures/byte_writer.h"
#include "fixtures/stats_builder.h"
#include "gui/bitrate/frmbitratecalc.h"
#include "gui/stats/frmStats.h"
#include "gui/ui/widgets.h"
#include "gui_test_env.h"

using fw::gui::FileDialogHooks;
using fw::gui::frmStats;
using fw::gui::MsgBox;
using fw::test::child;
using fw::test::GuiEnv;

class StatsWindowTest : public QObject {
    Q_OBJECT
private slots:
    void openStepAndSendToTheCalculator() {
        GuiEnv env;
        std::string p = env.home->path("film.stats");
        fw::fixtures::writeBytes(p, fw::fixtures::buildStats(fw::fixtures::statsPattern(150, 50, true)));
        auto* w = qobject_cast<frmStats*>(env.main->openTool("stats"));
        QVERIFY(w);
        QSignalSpy done(w, &frmStats::analysed);
        FileDialogHooks::setNextFileName(QString::fromStdString(p));
        w->cmdOpen_Click();
        QVERIFY(done.wait(10000));
        QCOMPARE(child<QLineEdit>(w, "txtFrames")->text(), QStringLiteral("150"));
        QCOMPARE(child<QLineEdit>(w, "txtStatus")->text(), QStringLiteral("OK"));
        QCOMPARE(child<QLineEdit>(w, "txtGoto")->text(), QStringLiteral("1"));
        QCOMPARE(child<QLineEdit>(w, "txtKind")->text(), QStringLiteral("Intra-Frame (I)"));
        QCOMPARE(fw::ReadIni(env.home->settings(), "XviD", "stats1", ""), p);
        // The I-frames export as a keyframe-format file (the dialog's third filter).
        const std::string keys = env.home->path("film.keyframes.txt");
        FileDialogHooks::setNextFileName(QString::fromStdString(keys), 3);
        child<QPushButton>(w, "cmdKeyframes")->click();
        QCOMPARE(fw::test::readFile(keys), std::string("# keyframe format v1\nfps 0\n0\n50\n100\n"));

        auto enabled = [&] {
            QString s;
            for (int k = 0; k < 6; ++k) s += child<QPushButton>(w, QString("cmdStep_%1").arg(k).toLatin1())->isEnabled() ? '1' : '0';
            return s;
        };
        QCOMPARE(enabled(), QStringLiteral("111000"));  // at frame 1 nothing goes back
        child<QPushButton>(w, "cmdStep_2")->click();     // +100
        QCOMPARE(child<QLineEdit>(w, "txtGoto")->text(), QStringLiteral("101"));
        QCOMPARE(enabled(), QStringLiteral("110111"));
        child<QPushButton>(w, "cmdStep_1")->click();     // +10
        child<QPushButton>(w, "cmdStep_1")->click();
        child<QPushButton>(w, "cmdStep_1")->click();
        child<QPushButton>(w, "cmdStep_1")->click();
        QCOMPARE(child<QLineEdit>(w, "txtGoto")->text(), QStringLiteral("141"));
        child<QPushButton>(w, "cmdStep_0")->click();     // +1
        QCOMPARE(child<QLineEdit>(w, "txtGoto")->text(), QStringLiteral("142"));
        QCOMPARE(enabled(), QStringLiteral("100111"));   // +10 and +100 would pass the last frame
        child<QLineEdit>(w, "txtGoto")->setText(QStringLiteral("150"));
        QCOMPARE(enabled(), QStringLiteral("000111"));  // the last frame: nothing goes forward
        child<QLineEdit>(w, "txtGoto")->setText(QStringLiteral("151"));
        QCOMPARE(MsgBox::shown().back().text, fw::gui::lang("StatsEditorMsgBox", 8));

        w->Bitcalc_Click();
        auto* calc = env.main->tool<fw::gui::frmbitratecalc>("calc");
        QVERIFY(calc);
        QCOMPARE(child<QLineEdit>(calc, "frames")->text(), QStringLiteral("150"));
        QVERIFY(child<QLineEdit>(calc, "Text1_3")->text().endsWith(QStringLiteral("150")));
    }

    void wrongVersionAndAutoLoad() {
        GuiEnv env;
        auto* w = qobject_cast<frmStats*>(env.main->openTool("stats"));
        w->AutoLoad_Click();  // nothing recorded yet
        QCOMPARE(MsgBox::shown().back().text, fw::gui::lang("StatsEditorMsgBox", 4));
        QSignalSpy done(w, &frmStats::analysed);
        // A good file first, so the refusal has something stale to clear.
        std::string good = env.home->path("good.stats");
        fw::fixtures::writeBytes(good, fw::fixtures::buildStats(fw::fixtures::statsPattern(600)));
        w->analyse(QString::fromStdString(good));
        QVERIFY(done.wait(10000));
        QVERIFY(child<QPushButton>(w, "cmdReport")->isEnabled());
        QCOMPARE(child<QProgressBar>(w, "ProgressBar1")->value(), 1);  // the bar follows the frame shown: frame 1

        std::string p = env.home->path("old.stats");
        fw::fixtures::writeBytes(p, fw::fixtures::buildStats({fw::fixtures::statsFrame(10)}, -7));
        w->analyse(QString::fromStdString(p));
        QVERIFY(done.wait(10000));
        QVERIFY(child<QLineEdit>(w, "txtStatus")->text().startsWith(QStringLiteral("Not an XviD first-pass file")));
        // The refused file, not the one before it: its name, no figures, a still bar, and only
        // the controls that can act.
        QCOMPARE(child<QLineEdit>(w, "txtFile")->text(), QString::fromStdString(p));
        QVERIFY(child<QLineEdit>(w, "txtLength")->text().isEmpty());
        QVERIFY(child<QLineEdit>(w, "txtFrames")->text().isEmpty());
        auto* bar = child<QProgressBar>(w, "ProgressBar1");
        QVERIFY(bar->maximum() > 0);
        for (const char* name : {"cmdReport", "cmdSave", "cmdKeyFrame"}) QVERIFY2(!child<QPushButton>(w, name)->isEnabled(), name);
        QVERIFY(child<QPushButton>(w, "cmdOpen")->isEnabled());
        fw::WriteIni(env.home->settings(), "XviD", "stats1", " /no/such/file.stats ");
        w->AutoLoad_Click();
        QVERIFY(MsgBox::shown().back().text.contains(QStringLiteral("'/no/such/file.stats'")));
    }
};

QTEST_MAIN(StatsWindowTest)
#include "stats_window_test.moc"
