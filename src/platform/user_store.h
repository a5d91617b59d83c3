#pragma once
// The per-user settings store (not settings.ini): the main window's placement, kept as
// user-settings.conf beside settings.ini (the portable program folder, or $XDG_CONFIG_HOME/framewise).
#include <string>
#include <utility>
#include <vector>

namespace fw::platform {

// Keys and values of one section, written in one go.
void storeUserSettings(const std::string& section, const std::vector<std::pair<std::string, std::string>>& values);
std::string readUserSetting(const std::string& section, const std::string& key, const std::string& fallback);

}  // namespace fw::platform
