// The three patcher windows: open through the dialog, choose, save; refusals show their message.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <sys/stat.h>

#include "core/avi/patchers.h"
#include "fixtures/avi_builder.h"
#include "fixtures/byte_writer.h"
#include "gui/avi/patcher_windows.h"
#include "gui/codecdb/codec_windows.h"
#include "gui/ui/widgets.h"
#include "gui_test_env.h"

using fw::gui::FileDialogHooks;
using fw::gui::MsgBox;
using fw::test::child;
using fw::test::GuiEnv;

class PatchersWindowTest : public QObject {
    Q_OBJECT
    static std::string film(GuiEnv& env, const char* name, fw::fixtures::AviSpec s = {}) {
        if (s.extra.empty()) s.extra.push_back({});
        std::string p = env.home->path(name);
        fw::fixtures::writeBytes(p, fw::fixtures::buildAvi(s));
        return p;
    }
private slots:
    void fourccChangerOpensChoosesAndSaves() {
        GuiEnv env;
        auto* w = qobject_cast<fw::gui::fcc_changer*>(env.main->openTool("fccchange"));
        QVERIFY(w);
        auto* save = child<QPushButton>(w, "cmdSave");
        QVERIFY(!save->isEnabled());
        std::string p = film(env, "a.avi");
        FileDialogHooks::setNextFileName(QString::fromStdString(p));
        w->cmdOpen_Click();
        QCOMPARE(child<QLabel>(w, "lblCurrent")->text(), QStringLiteral("XVID / XVID"));
        QCOMPARE(child<QLabel>(w, "lblCodec")->text(), QStringLiteral("XviD MPEG-4 Advanced Simple Profile"));
        QVERIFY(!save->isEnabled());  // no code chosen yet
        w->Combo1_Click(2);           // MP43
        QVERIFY(save->isEnabled());
        save->click();
        QCOMPARE(MsgBox::shown().back().text, fw::gui::lang("AviDetectorMsgBox", 3));
        // The lower-case code the changer writes has its own row: the window names the codec.
        QCOMPARE(child<QLabel>(w, "lblCurrent")->text(), QStringLiteral("mp43 / mp43"));
        QCOMPARE(child<QLabel>(w, "lblCodec")->text(), QStringLiteral("Microsoft MPEG-4 v3"));
        // The database button opens the browser on the file's code.
        child<QPushButton>(w, "cmdDatabase")->click();
        QVERIFY(env.main->findTool("fourcc"));
    }

    void fpsChangerRefusesAnOddMainHeader() {
        GuiEnv env;
        auto* w = qobject_cast<fw::gui::fps_changer*>(env.main->openTool("fpschange"));
        fw::fixtures::AviSpec s;
        s.avihSize = 64;
        std::string p = film(env, "odd.avi", s);
        const std::string before = fw::test::readFile(p);
        w->openFile(QString::fromStdString(p));
        QCOMPARE(MsgBox::shown().size(), size_t(1));
        QVERIFY(MsgBox::shown()[0].text.startsWith(QStringLiteral("The main header is not 56 bytes long")));
        QVERIFY(!child<QComboBox>(w, "Combo1")->isEnabled());
        QCOMPARE(fw::test::readFile(p), before);

        fw::fixtures::AviSpec ntsc;
        ntsc.rate = 30000;
        ntsc.scale = 1001;
        p = film(env, "ntsc.avi", ntsc);
        w->openFile(QString::fromStdString(p));
        QCOMPARE(child<QLabel>(w, "lblFps")->text(), QStringLiteral("29.97"));
        w->Combo1_Click(3);  // 25.000 fps
        QCOMPARE(child<QLabel>(w, "lblNew")->text(), QStringLiteral("dwScale 1200 = 25 fps"));
        child<QPushButton>(w, "cmdSave")->click();
        QCOMPARE(child<QLabel>(w, "lblFps")->text(), QStringLiteral("25"));

        // Whole frames a second, as ffmpeg writes them: 25 / 24 rounds to the same dwScale, so
        // there is nothing to save and the window says why.
        fw::fixtures::AviSpec whole;
        whole.rate = 25;
        whole.scale = 1;
        p = film(env, "whole.avi", whole);
        w->openFile(QString::fromStdString(p));
        const struct {
            int preset;
            const char* reason;
        } cases[] = {{2, "dwRate 25"}, {3, "already"}};  // 24.000 fps; 25.000 fps
        for (const auto& c : cases) {
            w->Combo1_Click(c.preset);
            const QString text = child<QLabel>(w, "lblNew")->text();
            QVERIFY(text.startsWith(QStringLiteral("dwScale 1 = 25 fps, unchanged")));
            QVERIFY2(text.contains(QLatin1String(c.reason)), qPrintable(text));
            QVERIFY(!child<QPushButton>(w, "cmdSave")->isEnabled());
        }
        // A second file starts with no choice made.
        w->openFile(QString::fromStdString(p));
        QCOMPARE(child<QComboBox>(w, "Combo1")->currentIndex(), -1);
        QVERIFY(child<QLabel>(w, "lblNew")->text().isEmpty());
    }

    void synchronizerProposesInYellowAndSaves() {
        GuiEnv env;
        auto* w = qobject_cast<fw::gui::synchro*>(env.main->openTool("synchronizer"));
        fw::fixtures::AviSpec s;
        s.totalFrames = 50;  // 2 s of video
        fw::fixtures::AviStreamSpec a;
        a.length = 16000;  // 1 s of audio
        s.extra.push_back(a);
        std::string p = film(env, "sync.avi", s);
        w->openFile(QString::fromStdString(p));
        auto* suggested = child<QLineEdit>(w, "suggested");
        QCOMPARE(suggested->text(), QStringLiteral("50"));
        QVERIFY(suggested->styleSheet().contains(QStringLiteral("yellow")));
        child<QPushButton>(w, "cmdSave")->click();
        fw::avi::FpsSession check;
        QVERIFY(fw::avi::openFps(p, check).ok);
        QCOMPARE(check.scale, 100000u);
        QCOMPARE(check.rate, 5000000u);
    }
};

QTEST_MAIN(PatchersWindowTest)
#include "patchers_window_test.moc"
