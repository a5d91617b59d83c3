#include "core/common/lang.h"

#include "core/common/ini.h"
#include "core/common/number.h"
#include "core/common/paths.h"
#include "core/common/text.h"

namespace fw {

AppGlobals& globals() {
    static AppGlobals g;
    return g;
}

void loadPreferences() {
    AppGlobals& g = globals();
    g.SettingsPath = paths().settingsPath;
    g.Language = ReadIni(g.SettingsPath, "Preferences", "Language", "0");
    auto v = parseNumber(ReadIni(g.SettingsPath, "Preferences", "CheckUpdates", "0"));
    auto n = v ? toInt16(*v) : std::nullopt;
    g.CheckUpdates = n.value_or(0);
}

bool savePreferences() {
    AppGlobals& g = globals();
    return WriteIniValues(g.SettingsPath, "Preferences",
                          {{"Language", g.Language}, {"CheckUpdates", std::to_string(g.CheckUpdates)}});
}

std::string languageFile(const std::string& code) {
    // A code names a file in the language folder and nothing else: a hand-edited "../x" would
    // read any INI file as the program's texts. Such a code is a language that is not there.
    if (code.find('/') != std::string::npos || code.find('\0') != std::string::npos) return {};
    return paths().langDir + "/" + code + ".ini";
}

namespace {
std::function<void(const std::string&, int)>& recorder() {
    static std::function<void(const std::string&, int)> r;
    return r;
}
}  // namespace

void setLangLookupRecorder(std::function<void(const std::string& section, int key)> r) { recorder() = std::move(r); }

std::string LangText(const std::string& section, int key) {
    if (recorder()) recorder()(section, key);
    return ReadIni(languageFile(globals().Language), section, std::to_string(key), "0");
}

Message checkNumericMessage() {
    return Message::fixed("You must insert a numeric value", Icon::Exclamation, "Error!!!");
}

std::string Message::resolve() const {
    std::string t = fixedText.empty() ? LangText(text) : fixedText;
    return t + suffix;
}

}  // namespace fw
