// The bitrate calculator window: the worked example, the field guards, and inputs that survive
// leaving and reopening.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "core/common/ini.h"
#include "gui/bitrate/frmbitratecalc.h"
#include "gui/ui/widgets.h"
#include "gui_test_env.h"

using fw::gui::frmbitratecalc;
using fw::gui::MsgBox;
using fw::test::child;
using fw::test::GuiEnv;

class BitrateWindowTest : public QObject {
    Q_OBJECT
private slots:
    void workedExampleInTheWindow() {
        GuiEnv env;
        auto* w = qobject_cast<frmbitratecalc*>(env.main->openTool("calc"));
        QVERIFY(w);
        QCOMPARE(child<QLabel>(w, "Label3")->text(), QStringLiteral("700"));  // the loaded discs, at once
        auto* bitrate1 = child<QComboBox>(w, "bitrate1");
        bitrate1->setCurrentText(QStringLiteral("128 Kbps"));
        child<QCheckBox>(w, "Check2")->setChecked(true);
        w->setResolution(640, 272);
        const std::pair<const char*, const char*> profiles[] = {
            {"divx4", "Video bitrate = 949 Kbit/s"},
            {"divx3", "Video bitrate = 926 Kbit/s"},
            {"divx3fm", "Video bitrate = 1899 Kbit/s"},
        };
        for (auto [name, text] : profiles) {
            child<QRadioButton>(w, name)->click();
            child<QPushButton>(w, "calcola")->click();
            QCOMPARE(child<QLineEdit>(w, "Text1_0")->text(), QString::fromLatin1(text));
        }
        QCOMPARE(child<QLineEdit>(w, "Text1_7")->text(), QStringLiteral("Res: 640 X 272 - bits per pixel: 0.218"));
        QCOMPARE(child<QLabel>(w, "Label3")->text(), QStringLiteral("700"));
        QCOMPARE(child<QLineEdit>(w, "frames")->text(), QStringLiteral("135000"));
        QVERIFY(MsgBox::shown().empty());
        QVERIFY(!child<QPushButton>(w, "cmdImport_1")->isEnabled());
    }

    void nonNumericFieldShowsTheMessageAndIsEmptied() {
        GuiEnv env;
        auto* w = env.main->openTool("calc");
        const char* fields[] = {"txtCD_0", "txtTime_1", "frames", "interval", "bitrate2"};
        for (const char* f : fields) {
            MsgBox::clearShown();
            auto* edit = child<QLineEdit>(w, f);
            edit->setText(QStringLiteral("12x"));
            QCOMPARE(MsgBox::shown().size(), size_t(1));
            QCOMPARE(MsgBox::shown()[0].text, QStringLiteral("You must insert a numeric value"));
            QCOMPARE(MsgBox::shown()[0].title, QStringLiteral("Error!!!"));
            QCOMPARE(edit->text(), QString());
        }
        // Limits: minutes above 59 are refused, seconds of 59.99 accepted.
        MsgBox::clearShown();
        child<QLineEdit>(w, "txtTime_1")->setText(QStringLiteral("75"));
        QCOMPARE(MsgBox::shown().size(), size_t(1));
        QCOMPARE(MsgBox::shown()[0].text, fw::gui::lang("BitcalcMsgBox", 3));
        QCOMPARE(child<QLineEdit>(w, "txtTime_1")->text(), QString());
        MsgBox::clearShown();
        child<QLineEdit>(w, "txtTime_2")->setText(QStringLiteral("59.99"));
        QVERIFY(MsgBox::shown().empty());
        child<QLineEdit>(w, "frames")->setText(QStringLiteral("900000"));
        QCOMPARE(child<QLineEdit>(w, "frames")->text(), QStringLiteral("809999.75"));
    }

    void inputsSurviveLeavingAndReopening() {
        GuiEnv env;
        auto* w = qobject_cast<frmbitratecalc*>(env.main->openTool("calc"));
        child<QLineEdit>(w, "txtCD_0")->setText(QStringLiteral("2"));
        child<QComboBox>(w, "Combo3_0")->setCurrentText(QStringLiteral("650 MB"));
        child<QRadioButton>(w, "divx5")->click();
        child<QComboBox>(w, "framerate")->setCurrentText(QStringLiteral("23.976 fps"));
        child<QRadioButton>(w, "personalizzato")->click();
        child<QLineEdit>(w, "bitrate2")->setText(QStringLiteral("112"));
        child<QCheckBox>(w, "VBR")->setChecked(true);
        w->setResolution(512, 384);
        child<QPushButton>(w, "calcola")->click();
        const QString res = child<QLineEdit>(w, "Text1_7")->text();
        QVERIFY(res.startsWith(QStringLiteral("Res: 512 X 384 - bits per pixel: ")));
        child<QPushButton>(w, "esci")->click();
        QTRY_VERIFY(!env.main->findTool("calc"));
        QCOMPARE(QString::fromStdString(fw::ReadIni(env.home->settings(), "BitcalcSettings", "Compression", "")),
                 QStringLiteral("512 X 384@") + res.section(QStringLiteral(": "), 2));

        auto* again = qobject_cast<frmbitratecalc*>(env.main->openTool("calc"));
        QVERIFY(again != nullptr);
        QCOMPARE(child<QLineEdit>(again, "txtCD_0")->text(), QStringLiteral("2"));
        QCOMPARE(child<QComboBox>(again, "Combo3_0")->currentText(), QStringLiteral("650 MB"));
        QVERIFY(child<QRadioButton>(again, "divx5")->isChecked());
        QVERIFY(child<QRadioButton>(again, "personalizzato")->isChecked());
        QCOMPARE(child<QLineEdit>(again, "bitrate2")->text(), QStringLiteral("112"));
        QCOMPARE(child<QComboBox>(again, "framerate")->currentText(), QStringLiteral("23.976 fps"));
        QVERIFY(child<QCheckBox>(again, "VBR")->isChecked());
        QCOMPARE(again->frameWidth(), 512);
        QCOMPARE(again->frameHeight(), 384);
    }

    void audioFileCodecUsesTheFileSize() {
        GuiEnv env;
        auto* w = qobject_cast<frmbitratecalc*>(env.main->openTool("calc"));
        std::string audio = env.home->path("track.mp3");
        fw::test::writeFile(audio, std::string(3 * 1048576, '\0'));
        fw::gui::FileDialogHooks::setNextFileName(QString::fromStdString(audio));
        auto* codec = child<QComboBox>(w, "codecaudio");
        codec->setCurrentText(QStringLiteral("Mp3 (da file)"));
        emit codec->activated(codec->currentIndex());
        QCOMPARE(fw::gui::FileDialogHooks::shown().back().title, fw::gui::lang("Bitcalc", 14));
        QVERIFY(!child<QComboBox>(w, "bitrate1")->isEnabled());
        QVERIFY(!child<QLineEdit>(w, "bitrate2")->isEnabled());
        child<QPushButton>(w, "calcola")->click();
        QCOMPARE(child<QLineEdit>(w, "Text1_2")->text(), QStringLiteral("Audio size = 3 MB"));
        // The file's name is shown on a line of its own.
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        auto* name = child<QLabel>(w, "lblAudioFile");
        QVERIFY(name->text().startsWith(QStringLiteral("track.mp3")));
        QVERIFY(!name->geometry().intersects(child<QCheckBox>(w, "VBR")->geometry()));
        codec->setCurrentText(QStringLiteral("Mp3 CBR"));
        emit codec->activated(codec->currentIndex());
        QVERIFY(child<QComboBox>(w, "bitrate1")->isEnabled());
    }

    void refusalMessagesComeFromTheLanguageFile() {
        GuiEnv env;
        auto* w = env.main->openTool("calc");
        child<QLineEdit>(w, "txtCD_0")->setText(QStringLiteral("0"));
        child<QPushButton>(w, "calcola")->click();
        QCOMPARE(MsgBox::shown().size(), size_t(1));
        QCOMPARE(MsgBox::shown()[0].text, fw::gui::lang("BitcalcMsgBox", 5));
        QCOMPARE(MsgBox::shown()[0].icon, fw::Icon::Question);
        QCOMPARE(MsgBox::shown()[0].title, QStringLiteral("Bitrate Calculator"));
    }
};

QTEST_MAIN(BitrateWindowTest)
#include "bitrate_window_test.moc"
