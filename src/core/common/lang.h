#pragma once
// The language tables and the preferences every window shares.
#include <functional>
#include <string>

#include "core/common/message.h"

namespace fw {

// The run's preferences: the settings file, the language code and the update-check flag.
struct AppGlobals {
    std::string SettingsPath;
    std::string Language = "0";
    int CheckUpdates = 0;
};

AppGlobals& globals();

// Sets SettingsPath from the paths and reads Language and CheckUpdates from it (defaults "0").
void loadPreferences();
// Stores Language and CheckUpdates in the settings file.
// False when settings.ini could not be written (the settings in memory still hold).
bool savePreferences();

// The language file of a code: <lang dir>/<code>.ini.
std::string languageFile(const std::string& code);

// Text of a language section and key; "0" when the file, section or key is missing. Every call
// reads the file anew, so a language change reaches every window opened after it.
std::string LangText(const std::string& section, int key);
inline std::string LangText(const LangKey& k) { return LangText(k.section, k.key); }

// Tests record every lookup made while windows load and tools run, so a text looked up through a
// table or a computed key is checked against the language files too. Null switches it off.
void setLangLookupRecorder(std::function<void(const std::string& section, int key)> recorder);

}  // namespace fw
