#pragma once
// What a tool wants to tell the user, as data: the core never shows a window, so it returns these
// and the window (or the command line) shows them. Tests assert them directly.
#include <string>
#include <utility>
#include <vector>

namespace fw {

enum class Icon { None, Information, Exclamation, Critical, Question };
enum class Buttons { Ok, YesNo, YesNoCancel, OkCancel };

// A text of the language tables: section and numeric key.
struct LangKey {
    std::string section;
    int key = 0;
    bool operator==(const LangKey&) const = default;
};

struct Message {
    LangKey text;           // the language text, when fixedText is empty
    std::string fixedText;  // a text of the program's own that no language file holds
    Icon icon = Icon::None;
    Buttons buttons = Buttons::Ok;
    std::string title;      // empty: the window's caption
    std::string suffix;     // appended to the text (a file name, a number)

    static Message lang(std::string section, int key, Icon icon = Icon::None, std::string title = {}) {
        Message m;
        m.text = {std::move(section), key};
        m.icon = icon;
        m.title = std::move(title);
        return m;
    }
    static Message fixed(std::string text, Icon icon = Icon::None, std::string title = {}) {
        Message m;
        m.fixedText = std::move(text);
        m.icon = icon;
        m.title = std::move(title);
        return m;
    }
    // The text to show, looked up in the current language.
    std::string resolve() const;
};

using Messages = std::vector<Message>;

// The message every numeric field guard shows.
Message checkNumericMessage();

}  // namespace fw
