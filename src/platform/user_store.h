#pragma once
// The per-user settings store (not settings.ini): the main window's placement. A portable program
// folder holds it as user-settings.conf; an installed program uses Qt's store for "Framewise".
#include <string>

namespace fw::platform {

void storeUserSetting(const std::string& section, const std::string& key, const std::string& value);
std::string readUserSetting(const std::string& section, const std::string& key, const std::string& fallback);

}  // namespace fw::platform
