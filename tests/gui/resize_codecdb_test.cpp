// The resolution calculator and the codec database windows, driven as a user would.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QToolBar>

#include "core/codecdb/codec_db.h"
#include "core/common/ini.h"
#include "gui/ui/widgets.h"
#include "gui/bitrate/frmbitratecalc.h"
#include "gui/codecdb/codec_windows.h"
#include "gui/resize/frmResize.h"
#include "gui_test_env.h"

using fw::gui::MsgBox;
using fw::test::child;
using fw::test::GuiEnv;

class ResizeCodecDbTest : public QObject {
    Q_OBJECT
private slots:
    void resizerOpensWithTheSourceRatio() {
        GuiEnv env;
        auto* w = env.main->openTool("resizer");
        QVERIFY(w);
        QApplication::processEvents();
        const QSize opened = w->size();
        QCOMPARE(child<QLineEdit>(w, "Text4_0")->text(), QStringLiteral("5"));
        QCOMPARE(child<QLineEdit>(w, "Text4_1")->text(), QStringLiteral("4"));
        QVERIFY(child<QLabel>(w, "Label1_0")->text().endsWith(QStringLiteral("1.25 :1")));
        // Width 640 at 5:4 gives 512 and no error.
        child<QLineEdit>(w, "Text2_0")->setText(QStringLiteral("640"));
        QCOMPARE(child<QLineEdit>(w, "Text2_1")->text(), QStringLiteral("512"));
        QCOMPARE(child<QLabel>(w, "Label1_3")->text(), QStringLiteral("A/R error: 0 %"));
        // Figures of any length leave the window as it opened: no jumping layout.
        child<QLineEdit>(w, "Text2_0")->setText(QStringLiteral("31999"));
        QApplication::processEvents();
        QCOMPARE(w->size(), opened);
        child<QLineEdit>(w, "Text2_0")->setText(QStringLiteral("640"));
        // Preset 2.35:1: a 720 x 306 source, size based.
        child<QRadioButton>(w, "Option4_16")->click();
        QCOMPARE(child<QLineEdit>(w, "Text1_1")->text(), QStringLiteral("306"));
        QVERIFY(child<QRadioButton>(w, "Option1_1")->isChecked());
        QVERIFY(!child<QLineEdit>(w, "Text2_0")->isEnabled());
        QVERIFY(!child<QPushButton>(w, "cmdImport_1")->isEnabled());
        // A height that is no height ("00", "0.4"): no figures, none left from before, no Infinity.
        for (const char* h : {"00", "0.4"}) {
            child<QLineEdit>(w, "Text1_1")->setText(QString::fromLatin1(h));
            for (int k = 0; k < 5; ++k) {
                const QString text = child<QLabel>(w, QString("Label1_%1").arg(k).toLatin1())->text();
                QVERIFY2(!text.contains(QStringLiteral("Infinity")) && !text.contains(QStringLiteral("1.25")), qPrintable(text));
            }
        }
        // Out of any frame's range: said, and the field emptied.
        child<QLineEdit>(w, "Text2_0")->setText(QStringLiteral("-640"));
        QCOMPARE(MsgBox::shown().back().text, fw::gui::lang("ResizerMsgBox", 1));
        QCOMPARE(child<QLineEdit>(w, "Text2_0")->text(), QString());
    }

    void roundingAndTheHandOverToTheCalculator() {
        GuiEnv env;
        env.main->openTool("calc");
        auto* w = env.main->openTool("resizer");
        child<QCheckBox>(w, "Check1_0")->click();  // A/R off
        child<QLineEdit>(w, "Text2_0")->setText(QStringLiteral("640"));
        child<QLineEdit>(w, "Text2_1")->setText(QStringLiteral("270"));
        child<QCheckBox>(w, "Check1_1")->click();  // round to 16
        QCOMPARE(child<QLabel>(w, "Label1_1")->text(), QStringLiteral("Final size: 640 X 272"));
        child<QLineEdit>(w, "Text5_0")->setText(QStringLiteral("x"));
        QCOMPARE(MsgBox::shown().size(), size_t(1));
        QCOMPARE(child<QLineEdit>(w, "Text5_0")->text(), QString());
        child<QPushButton>(w, "esci")->click();
        auto* calc = env.main->tool<fw::gui::frmbitratecalc>("calc");
        QCOMPARE(calc->frameWidth(), 640);
        QCOMPARE(calc->frameHeight(), 270);
    }

    void handOverWithTheCalculatorClosedGoesToItsSettings() {
        GuiEnv env;
        auto* w = env.main->openTool("resizer");
        child<QPushButton>(w, "esci")->click();
        QCOMPARE(fw::ReadIni(env.home->settings(), "BitcalcSettings", "Compression", ""), std::string("640 X 512"));
        auto* calc = qobject_cast<fw::gui::frmbitratecalc*>(env.main->openTool("calc"));
        QCOMPARE(calc->frameHeight(), 512);
    }

    void infoImportSelectsNtsc() {
        GuiEnv env;
        auto* w = qobject_cast<fw::gui::frmResize*>(env.main->openTool("resizer"));
        std::string info = env.home->path("movie_info.txt");
        fw::test::writeFile(info, "Frames: 129600\r\nDisplay mode: 720x480\r\n");
        fw::gui::FileDialogHooks::setNextFileName(QString::fromStdString(info));
        w->cmdImport0_Click();
        QCOMPARE(child<QLineEdit>(w, "Text1_1")->text(), QStringLiteral("480"));
        QVERIFY(child<QRadioButton>(w, "Option3_1")->isChecked());
        QCOMPARE(child<QLineEdit>(w, "Text4_0")->text(), QStringLiteral("3"));
        QCOMPARE(w->infoPath(), QString::fromStdString(info));
    }

    void browserSearchesAndShowsNotFound() {
        GuiEnv env;
        env.main->action("fourcc")->trigger();
        auto* b = env.main->tool<fw::gui::CodecBrowser>("fourcc");
        QVERIFY(b);
        QVERIFY(child<QLabel>(b, "lblCount")->text().startsWith(QStringLiteral("The database holds ")));
        fw::gui::InputBox::setNextText(QStringLiteral("DX50"));
        b->cerca_Click();
        QCOMPARE(b->field(1), QStringLiteral("DivX 5 MPEG-4 Advanced Simple Profile"));
        fw::gui::InputBox::setNextText(QStringLiteral("X'Y"));
        b->cerca_Click();
        QCOMPARE(MsgBox::shown().size(), size_t(1));
        QCOMPARE(MsgBox::shown()[0].text, fw::gui::lang("DatabaseUpdaterMsgBox", 2));
        QCOMPARE(b->field(0), QStringLiteral("DX50"));  // the fields keep the previous record
        fw::gui::openFourccBrowser(QStringLiteral("MP43"));
        QCOMPARE(b->field(1), QStringLiteral("Microsoft MPEG-4 v3"));
    }

    void editorAddsModifiesAndDeletes() {
        GuiEnv env;
        env.main->action("databupd")->trigger();
        auto* upd = env.main->findTool("databupd");
        QVERIFY(upd);
        upd->findChild<QToolBar*>()->actions().at(1)->trigger();  // the audio editor
        auto* ed = env.main->tool<fw::gui::CodecEditor>("Audio_codec_updater");
        QVERIFY(ed);
        auto* list = child<QListWidget>(ed, "List1");
        const int rows = list->count();
        auto* add = child<QPushButton>(ed, "aggiungi");
        auto* save = child<QPushButton>(ed, "salva");
        QVERIFY(save->isHidden());
        add->click();
        QCOMPARE(add->text(), fw::gui::lang("DatabaseUpdater", 10));
        QVERIFY(!save->isHidden());
        child<QLineEdit>(ed, "Text1_0")->setText(QStringLiteral("64998"));
        child<QLineEdit>(ed, "Text1_1")->setText(QStringLiteral("Test codec"));
        save->click();
        QCOMPARE(ed->state(), fw::gui::CodecEditor::State::Idle);
        QCOMPARE(add->text(), QStringLiteral("Add"));
        QCOMPARE(list->count(), rows + 1);

        ed->List1_Click(QStringLiteral("64998"));
        child<QPushButton>(ed, "modifica")->click();
        child<QLineEdit>(ed, "Text1_1")->setText(QStringLiteral("Renamed codec"));
        save->click();
        QCOMPARE(fw::codecdb::check_audio("64998")->codec(), std::string("Renamed codec"));

        MsgBox::setNextAnswer(fw::gui::Answer::No);
        ed->elimina_Click();
        QVERIFY(fw::codecdb::check_audio("64998"));
        MsgBox::setNextAnswer(fw::gui::Answer::Yes);
        ed->elimina_Click();
        QVERIFY(!fw::codecdb::check_audio("64998"));
        QCOMPARE(list->count(), rows);
        QCOMPARE(child<QLineEdit>(ed, "Text1_0")->text(), QString());
    }

    void fourccKeysKeepTheirBlanks() {
        // Codes that end in blanks are modified and deleted under their exact key; a short new
        // code is padded to four characters, and the user is told.
        GuiEnv env;
        env.main->openTool(QStringLiteral("Fourcc_updater"));
        auto* ed = env.main->tool<fw::gui::CodecEditor>("Fourcc_updater");
        QVERIFY(ed);
        auto* save = child<QPushButton>(ed, "salva");
        for (const char* code : {"RGB ", "DIB ", "Y8  "}) {
            ed->List1_Click(QString::fromLatin1(code));
            QCOMPARE(child<QLineEdit>(ed, "Text1_0")->text(), QString::fromLatin1(code));
            child<QPushButton>(ed, "modifica")->click();
            child<QLineEdit>(ed, "Text1_1")->setText(QStringLiteral("Renamed"));
            save->click();
            QCOMPARE(ed->state(), fw::gui::CodecEditor::State::Idle);
            auto row = fw::codecdb::check_video(code);
            QVERIFY2(row.has_value(), code);
            QCOMPARE(row->codec(), std::string("Renamed"));
        }
        MsgBox::setNextAnswer(fw::gui::Answer::Yes);
        ed->List1_Click(QStringLiteral("Y8  "));
        ed->elimina_Click();
        QVERIFY(!fw::codecdb::check_video("Y8  "));

        child<QPushButton>(ed, "aggiungi")->click();
        child<QLineEdit>(ed, "Text1_0")->setText(QStringLiteral("AB"));
        child<QLineEdit>(ed, "Text1_1")->setText(QStringLiteral("Two letters"));
        save->click();
        QCOMPARE(fw::codecdb::check_video("AB  ")->codec(), std::string("Two letters"));
        QCOMPARE(MsgBox::shown().back().text, fw::gui::lang("DatabaseUpdaterMsgBox", 7) + QStringLiteral(" 'AB  '"));
        QCOMPARE(child<QLineEdit>(ed, "Text1_0")->text(), QStringLiteral("AB  "));
        // The field takes four characters at most.
        child<QLineEdit>(ed, "Text1_0")->setText(QStringLiteral("ABCDE"));
        QCOMPARE(child<QLineEdit>(ed, "Text1_0")->text(), QStringLiteral("ABCD"));
    }
};

QTEST_MAIN(ResizeCodecDbTest)
#include "resize_codecdb_test.moc"
