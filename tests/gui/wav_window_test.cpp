// The WAV converter window: a module loaded through the dialog, its caption and running time,
// the exists question's three answers, a conversion off the UI thread, Stop, and bad input.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <filesystem>

#include "fixtures/mod_builder.h"
#include "gui/ui/widgets.h"
#include "gui/wav/frmWriteWave.h"
#include "gui_test_env.h"

using fw::gui::Answer;
using fw::gui::frmWriteWave;
using fw::gui::MsgBox;
using fw::test::child;
using fw::test::GuiEnv;

namespace {

std::uint32_t le32(const std::string& b, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(b[at + static_cast<std::size_t>(i)]);
    return v;
}

}  // namespace

class WavWindowTest : public QObject {
    Q_OBJECT
private slots:
    void moduleLoadsConvertsAndAsksBeforeOverwriting() {
        GuiEnv env;
        const std::string mod = env.home->path("tune.mod");
        fw::test::writeFile(mod, fw::fixtures::buildMod({"fw test tune", 2, 8}));
        QVERIFY(env.main->action("convert2wav")->isEnabled());
        auto* w = qobject_cast<frmWriteWave*>(env.main->openTool("convert2wav"));
        QVERIFY(w);
        QCOMPARE(w->windowTitle(), fw::gui::lang("FormCaptions", 14));

        fw::gui::FileDialogHooks::setNextFileName(QString::fromStdString(mod));
        QTest::mouseClick(child<QPushButton>(w, "cmdLoad"), Qt::LeftButton);
        const auto& dialog = fw::gui::FileDialogHooks::shown().back();
        QCOMPARE(dialog.title, fw::gui::dialogTitle(3, 9));
        QVERIFY(dialog.filters.front().startsWith(QStringLiteral("Convertable files (*.mp?;*.ogg;*.mo3;")));
        QCOMPARE(child<QLabel>(w, "lblCaption")->text(), QStringLiteral("Playing MOD music \\fw test tune\\ [2 orders]"));
        QCOMPARE(child<QLabel>(w, "lblTime")->text(), fw::gui::lang("InvCalc", 6) + QStringLiteral(" 0:15"));
        QCOMPARE(w->outputFolder(), QString::fromStdString(env.home->dir().string()));
        QVERIFY(!child<QLabel>(w, "lblFree")->text().isEmpty());

        auto* convert = child<QPushButton>(w, "cmdConvert");
        QVERIFY(convert->isEnabled());
        QSignalSpy done(w, &frmWriteWave::finished);
        convert->click();
        QVERIFY(!child<QPushButton>(w, "cmdLoad")->isEnabled());  // while it runs
        QVERIFY(child<QPushButton>(w, "cmdStop")->isEnabled());
        QVERIFY(done.wait(30000));
        const std::string wav = env.home->path("tune.wav");
        const std::string f = fw::test::readFile(wav);
        QVERIFY(f.size() > 44100u * 4 * 14);
        QCOMPARE(le32(f, 4), static_cast<std::uint32_t>(f.size() - 8));
        QVERIFY(w->statusText().startsWith(fw::gui::lang("WavConverter", 7)));
        QVERIFY(child<QLabel>(w, "lblPosition")->text().contains(QLatin1Char(':')));
        QVERIFY(child<QPushButton>(w, "cmdLoad")->isEnabled());

        // The output exists now: Cancel writes nothing, No writes 001_, Yes writes over it.
        const int asked = static_cast<int>(MsgBox::shown().size());
        MsgBox::setNextAnswer(Answer::Cancel);
        convert->click();
        QCOMPARE(static_cast<int>(MsgBox::shown().size()), asked + 1);
        QCOMPARE(MsgBox::shown().back().buttons, fw::Buttons::YesNoCancel);
        QVERIFY(MsgBox::shown().back().text.contains(QStringLiteral("001_tune.wav")));
        QVERIFY(!w->busy());
        MsgBox::setNextAnswer(Answer::No);
        convert->click();
        QVERIFY(done.wait(30000));
        QCOMPARE(w->lastOutput(), QString::fromStdString(env.home->path("001_tune.wav")));
        QCOMPARE(fw::test::readFile(env.home->path("001_tune.wav")), f);  // the same module gives the same bytes
        std::filesystem::remove(wav);
        fw::test::writeFile(wav, "older");
        MsgBox::setNextAnswer(Answer::Yes);
        convert->click();
        QVERIFY(done.wait(30000));
        QCOMPARE(fw::test::readFile(wav), f);
    }

    void stopLeavesAnIncompleteFileThatSaysSo() {
        GuiEnv env;
        const std::string mod = env.home->path("long.mod");
        fw::test::writeFile(mod, fw::fixtures::buildMod({"long", 40, 8}));
        auto* w = qobject_cast<frmWriteWave*>(env.main->openTool("convert2wav"));
        QVERIFY(w->load(QString::fromStdString(mod)));
        QSignalSpy done(w, &frmWriteWave::finished);
        w->cmdConvert_Click();
        w->cmdStop_Click();
        QVERIFY(done.wait(30000));
        const std::string f = fw::test::readFile(env.home->path("long.wav"));
        QVERIFY(f.size() > 44);
        QCOMPARE(le32(f, 4), 0u);
        QCOMPARE(le32(f, 40), 0u);
        QCOMPARE(w->statusText(), fw::gui::lang("WavConverter", 8));
    }

    void badInputIsNamedAndDisablesConvert() {
        GuiEnv env;
        auto* w = qobject_cast<frmWriteWave*>(env.main->openTool("convert2wav"));
        const std::string good = env.home->path("good.mod");
        fw::test::writeFile(good, fw::fixtures::buildMod());
        QVERIFY(w->load(QString::fromStdString(good)));
        const std::string bad = env.home->path("three.mod");
        fw::test::writeFile(bad, "M.K");
        QVERIFY(!w->load(QString::fromStdString(bad)));
        QVERIFY(MsgBox::shown().back().text.startsWith(QStringLiteral("Error: Can't play the file\n")));
        QCOMPARE(MsgBox::shown().back().icon, fw::Icon::Exclamation);
        QVERIFY(!child<QPushButton>(w, "cmdConvert")->isEnabled());
        QVERIFY(child<QLabel>(w, "lblCaption")->text().isEmpty());  // nothing stale from the good file
        QVERIFY(child<QLineEdit>(w, "txtSource")->text().isEmpty());
    }
};

QTEST_MAIN(WavWindowTest)
#include "wav_window_test.moc"
