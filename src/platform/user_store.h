#pragma once
// The per-user settings store (not settings.ini): the main window's placement, kept as
// user-settings.conf beside settings.ini (the portable program folder, or $XDG_CONFIG_HOME/framewise).
#include <string>

namespace fw::platform {

void storeUserSetting(const std::string& section, const std::string& key, const std::string& value);
std::string readUserSetting(const std::string& section, const std::string& key, const std::string& fallback);

}  // namespace fw::platform
