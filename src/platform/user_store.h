#pragma once
// The per-user settings store (not settings.ini): application "Framewise".
#include <string>

namespace fw::platform {

void storeUserSetting(const std::string& section, const std::string& key, const std::string& value);
std::string readUserSetting(const std::string& section, const std::string& key, const std::string& fallback);

}  // namespace fw::platform
