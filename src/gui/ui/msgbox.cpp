#include "gui/ui/msgbox.h"

#include <QGridLayout>
#include <QInputDialog>
#include <QMessageBox>
#include <algorithm>
#include <cerrno>
#include <cstring>

#include "gui/ui/widgets.h"
#include "platform/termination.h"

namespace fw::gui {

namespace {
struct State {
    bool testMode = false;
    std::deque<Answer> answers;
    std::vector<ShownMessage> shown;
    std::deque<QString> texts;
    std::vector<ShownMessage> inputs;
};
State& state() {
    static State s;
    return s;
}

Answer defaultAnswer(fw::Buttons b) {
    return (b == fw::Buttons::Ok || b == fw::Buttons::OkCancel) ? Answer::Ok : Answer::Yes;
}
}  // namespace

Answer MsgBox::show(QWidget* parent, const QString& text, const QString& title, fw::Icon icon,
                    fw::Buttons buttons, bool defaultNo) {
    State& s = state();
    // The program is ending (a terminate signal): nothing more is asked, and every question gets
    // the answer that changes nothing.
    if (fw::platform::terminating()) {
        switch (buttons) {
            case fw::Buttons::YesNo: return Answer::No;
            case fw::Buttons::YesNoCancel:
            case fw::Buttons::OkCancel: return Answer::Cancel;
            case fw::Buttons::Ok: return Answer::Ok;
        }
    }
    if (s.testMode) {
        s.shown.push_back({text, title, icon, buttons, defaultNo});
        if (s.answers.empty()) return defaultAnswer(buttons);
        Answer a = s.answers.front();
        s.answers.pop_front();
        return a;
    }
    QMessageBox box(parent);
    // Messages carry file names and texts read from files: a name such as "<b>x" is shown as it is.
    box.setTextFormat(Qt::PlainText);
    box.setText(text);
    box.setWindowTitle(title);
    switch (icon) {
        case fw::Icon::Information: box.setIcon(QMessageBox::Information); break;
        case fw::Icon::Exclamation: box.setIcon(QMessageBox::Warning); break;
        case fw::Icon::Critical: box.setIcon(QMessageBox::Critical); break;
        case fw::Icon::Question: box.setIcon(QMessageBox::Question); break;
        case fw::Icon::None: box.setIcon(QMessageBox::NoIcon); break;
    }
    switch (buttons) {
        case fw::Buttons::Ok: box.setStandardButtons(QMessageBox::Ok); break;
        case fw::Buttons::OkCancel: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
        case fw::Buttons::YesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
        case fw::Buttons::YesNoCancel:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
            break;
    }
    if (defaultNo && (buttons == fw::Buttons::YesNo || buttons == fw::Buttons::YesNoCancel)) box.setDefaultButton(QMessageBox::No);
    // Wide enough for its title: a message box sizes itself by its text alone. A spacer row
    // widens it; a minimum width on the label instead would clip a wrapped text, whose height
    // the box computes for the narrower width.
    const int titleWidth = std::min(box.fontMetrics().horizontalAdvance(title) + 120, 700);
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
        grid->addItem(new QSpacerItem(titleWidth, 0, QSizePolicy::Minimum, QSizePolicy::Fixed), grid->rowCount(), 0, 1,
                      grid->columnCount());
    switch (box.exec()) {
        case QMessageBox::Yes: return Answer::Yes;
        case QMessageBox::No: return Answer::No;
        case QMessageBox::Cancel: return Answer::Cancel;
        default: return Answer::Ok;
    }
}

Answer MsgBox::show(QWidget* parent, const fw::Message& m, const QString& caption) {
    QString title = m.title.empty() ? caption : QString::fromStdString(m.title);
    return show(parent, QString::fromStdString(m.resolve()), title, m.icon, m.buttons);
}

void MsgBox::showAll(QWidget* parent, const fw::Messages& ms, const QString& caption) {
    for (const auto& m : ms) show(parent, m, caption);
}

void MsgBox::settingsNotSaved(QWidget* parent, const std::string& path, const QString& caption) {
    const QString why = qs(std::strerror(errno));  // before the texts are looked up
    show(parent, lang("General", 24) + QStringLiteral("\n") + qs(path) + QStringLiteral("\n") + why, caption, Icon::Critical);
}

void MsgBox::setTestMode(bool on) { state().testMode = on; }
bool MsgBox::testMode() { return state().testMode; }
void MsgBox::setNextAnswer(Answer a) { state().answers.push_back(a); }
const std::vector<ShownMessage>& MsgBox::shown() { return state().shown; }
void MsgBox::clearShown() {
    state().shown.clear();
    state().inputs.clear();
}

QString InputBox::ask(QWidget* parent, const QString& prompt, const QString& title, const QString& initial) {
    State& s = state();
    if (s.testMode) {
        s.inputs.push_back({prompt, title, fw::Icon::None, fw::Buttons::OkCancel});
        if (s.texts.empty()) return QString();
        QString t = s.texts.front();
        s.texts.pop_front();
        return t;
    }
    bool ok = false;
    QString t = QInputDialog::getText(parent, title, prompt, QLineEdit::Normal, initial, &ok);
    return ok ? t : QString();
}

void InputBox::setNextText(const QString& text) { state().texts.push_back(text); }
const std::vector<ShownMessage>& InputBox::shown() { return state().inputs; }

}  // namespace fw::gui
