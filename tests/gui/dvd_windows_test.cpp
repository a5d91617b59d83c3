// The IFO browser reading a VIDEO_TS folder into its tree and the chapter editor's list, and the
// chapter editor's INFO import, edit buttons and hand-over from the resolution calculator.
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <filesystem>

#include "fixtures/byte_writer.h"
#include "fixtures/ifo_builder.h"
#include "gui/dvd/dvd_windows.h"
#include "gui/resize/frmResize.h"
#include "gui/ui/widgets.h"
#include "gui_test_env.h"

using fw::gui::FileDialogHooks;
using fw::gui::MsgBox;
using fw::test::child;
using fw::test::GuiEnv;

class DvdWindowsTest : public QObject {
    Q_OBJECT
private slots:
    void browserFillsTheTreeAndTheEditor() {
        GuiEnv env;
        namespace fs = std::filesystem;
        fs::path dir = env.home->dir() / "disc" / "VIDEO_TS";
        fs::create_directories(dir);
        fw::fixtures::IfoSpec s;  // one chain: 00:01:30, 00:02:00, 00:00:30
        s.subpictures = {"it"};
        fw::fixtures::writeBytes((dir / "VTS_01_0.IFO").string(), fw::fixtures::buildIfo(s));

        auto* editor = qobject_cast<fw::gui::frmCapitoli*>(env.main->openTool("chapter"));
        QVERIFY(editor);
        child<QPushButton>(editor, "cmdIfo")->click();
        auto* browser = qobject_cast<fw::gui::frmIfoParser*>(env.main->findTool("ifoparser"));
        QVERIFY(browser);
        FileDialogHooks::setNextFileName(QString::fromStdString((env.home->dir() / "disc").string()));
        child<QPushButton>(browser, "cmdFolder")->click();
        auto* tree = browser->tree();
        QCOMPARE(tree->topLevelItemCount(), 1);
        auto* chain = tree->topLevelItem(0)->child(0);
        QCOMPARE(chain->text(0), QStringLiteral("Program Chain 1 [00:04:00]"));
        QCOMPARE(chain->childCount(), 3);
        QCOMPARE(chain->child(1)->text(0), QStringLiteral("Chapter 2 [00:02:00]"));
        auto rows = editor->rows();
        QCOMPARE(rows.size(), size_t(3));
        QCOMPARE(QString::fromStdString(rows[0].start), QStringLiteral("00:00:00"));
        QCOMPARE(QString::fromStdString(rows[1].start), QStringLiteral("00:01:30"));
        QCOMPARE(QString::fromStdString(rows[2].start), QStringLiteral("00:03:30"));
        QCOMPARE(QString::fromStdString(rows[2].name), QStringLiteral("Capitolo 3"));

        browser->nodeClicked(chain->child(2));
        QCOMPARE(child<QLineEdit>(browser, "txtVideo")->text(), QStringLiteral("MPEG2 720x576 PAL 16:9"));
        QCOMPARE(child<QListWidget>(browser, "lstSubPic")->item(0)->text(), QStringLiteral("0x20, Italiano"));

        // A second read replaces the first.
        FileDialogHooks::setNextFileName(QString::fromStdString((env.home->dir() / "disc").string()));
        child<QPushButton>(browser, "cmdFolder")->click();
        QCOMPARE(editor->rows().size(), size_t(3));
        QCOMPARE(tree->topLevelItemCount(), 1);

        // Nothing to read: the hard-coded message.
        FileDialogHooks::setNextFileName(QString::fromStdString(env.home->path("lang")));
        child<QPushButton>(browser, "cmdFolder")->click();
        QCOMPARE(MsgBox::shown().back().text, QStringLiteral("Insert DVD and try again."));
    }

    void editorInfoEditAndSave() {
        GuiEnv env;
        std::string info = env.home->path("movie.txt");
        fw::test::writeFile(info, "Name: MOVIE\r\nDisplay mode: 720x576\r\nChap#=Frame# Name\r\nChapter1=0 Start\r\n"
                                  "Chapter2=3150 Middle\r\n\r\nChap#=Time\r\nChapter1=00:00:00.00\r\nChapter2=00:02:06.00\r\n");
        // The resolution calculator hands its INFO file on.
        auto* resizer = qobject_cast<fw::gui::frmResize*>(env.main->openTool("resizer"));
        FileDialogHooks::setNextFileName(QString::fromStdString(info));
        resizer->cmdImport0_Click();
        auto* handOver = child<QPushButton>(resizer, "cmdImport_1");
        QVERIFY(handOver->isEnabled());
        handOver->click();
        auto* editor = qobject_cast<fw::gui::frmCapitoli*>(env.main->findTool("chapter"));
        QVERIFY(editor);
        QCOMPARE(editor->rows().size(), size_t(2));
        QCOMPARE(child<QLineEdit>(editor, "txtName")->text(), QStringLiteral("MOVIE"));
        QCOMPARE(child<QLineEdit>(editor, "txtChapterName")->text(), QStringLiteral("Start"));

        child<QLineEdit>(editor, "txtChapterName")->setText(QStringLiteral(" End "));
        child<QLineEdit>(editor, "txtStart")->setText(QStringLiteral("00:05:00.00"));
        child<QLineEdit>(editor, "txtFrame")->setText(QStringLiteral("7500"));
        editor->cmdEdit_Click(1);  // add
        QCOMPARE(editor->rows().back().name, std::string("End"));
        child<QLineEdit>(editor, "txtFrame")->setText(QStringLiteral("abc"));
        QCOMPARE(child<QLineEdit>(editor, "txtFrame")->text(), QString());

        std::string base = env.home->path("chapters");
        FileDialogHooks::setNextFileName(QString::fromStdString(base));
        editor->cmdSave_Click();
        QCOMPARE(fw::test::readFile(base + " - OGG.txt"),
                 std::string("CHAPTER01=00:00:00.000\r\nCHAPTER01NAME=Start\r\nCHAPTER02=00:02:06.000\r\nCHAPTER02NAME=Middle\r\n"
                             "CHAPTER03=00:05:00.000\r\nCHAPTER03NAME=End\r\n"));
        QCOMPARE(MsgBox::shown().back().text, fw::gui::lang("AviDetectorMsgBox", 3));
        editor->cmdEdit_Click(2);  // delete the selected (first) row
        QCOMPARE(editor->rows().size(), size_t(2));
        QCOMPARE(editor->rows().front().name, std::string("Middle"));
    }
};

QTEST_MAIN(DvdWindowsTest)
#include "dvd_windows_test.moc"
