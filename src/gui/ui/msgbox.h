#pragma once
// Message boxes go through here, so tests can answer them and read what was shown instead of a
// modal box blocking the run.
#include <QString>
#include <QWidget>
#include <deque>
#include <vector>

#include "core/common/message.h"

namespace fw::gui {

enum class Answer { Ok, Cancel, Yes, No };

struct ShownMessage {
    QString text;
    QString title;
    fw::Icon icon = fw::Icon::None;
    fw::Buttons buttons = fw::Buttons::Ok;
    bool defaultNo = false;  // Enter answers No (a question whose Yes cannot be undone)
};

class MsgBox {
public:
    static Answer show(QWidget* parent, const QString& text, const QString& title, fw::Icon icon,
                       fw::Buttons buttons = fw::Buttons::Ok, bool defaultNo = false);
    // A core message; an empty title becomes `caption` (usually the window's caption).
    static Answer show(QWidget* parent, const fw::Message& m, const QString& caption);
    static void showAll(QWidget* parent, const fw::Messages& ms, const QString& caption);
    // A settings write that just failed: the file and the system's reason (errno, read first).
    static void settingsNotSaved(QWidget* parent, const std::string& path, const QString& caption);

    // Test hooks: in test mode nothing is shown; each box takes the next queued answer, or the
    // first button's answer when the queue is empty, and is recorded.
    static void setTestMode(bool on);
    static bool testMode();
    static void setNextAnswer(Answer a);
    static const std::vector<ShownMessage>& shown();
    static void clearShown();
};

// The input box (a prompt and one line of text), with the same test hooks: in test mode the next
// queued text is the answer ("" = cancelled).
class InputBox {
public:
    static QString ask(QWidget* parent, const QString& prompt, const QString& title, const QString& initial = {});
    static void setNextText(const QString& text);
    static const std::vector<ShownMessage>& shown();
};

}  // namespace fw::gui
