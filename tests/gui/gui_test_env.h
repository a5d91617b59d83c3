#pragma once
// A GUI test's world: its own program folder, message boxes and file dialogs answered by the
// test, and a main window with every tool registered.
#include <QApplication>
#include <QTest>
#include <memory>

#include "gui/shell/main_window.h"
#include "gui/shell/tools.h"
#include "gui/ui/file_dialog.h"
#include "gui/ui/msgbox.h"
#include "gui/ui/widgets.h"
#include "support/temp_home.h"

namespace fw::test {

class FakeConnection : public fw::platform::ConnectionState {
public:
    explicit FakeConnection(bool up, int* asked = nullptr) : m_up(up), m_asked(asked) {}
    bool connected() override {
        if (m_asked) ++*m_asked;
        return m_up;
    }

private:
    bool m_up;
    int* m_asked;
};

struct GuiEnv {
    std::unique_ptr<TempHome> home = std::make_unique<TempHome>();
    std::unique_ptr<fw::gui::frmMain> main;

    explicit GuiEnv(bool connected = true, int* connectionAsked = nullptr) {
        fw::gui::MsgBox::setTestMode(true);
        fw::gui::MsgBox::clearShown();
        fw::gui::FileDialogHooks::setTestMode(true);
        fw::gui::FileDialogHooks::clearShown();
        fw::gui::OpenHooks::setTestMode(true);
        fw::gui::OpenHooks::clear();
        main = std::make_unique<fw::gui::frmMain>(std::make_unique<FakeConnection>(connected, connectionAsked));
        fw::gui::registerTools(*main);
        main->load();
    }
    ~GuiEnv() {
        main.reset();
        home.reset();
    }
};

template <typename T>
T* child(QWidget* w, const char* name) {
    T* c = w->findChild<T*>(QString::fromLatin1(name));
    if (!c) qFatal("no child %s", name);
    return c;
}

}  // namespace fw::test
