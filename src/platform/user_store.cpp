#include "platform/user_store.h"

#include <QSettings>

#include <filesystem>
#include <memory>

#include "core/common/paths.h"

namespace fw::platform {

namespace {
QString keyOf(const std::string& section, const std::string& key) {
    return QString::fromStdString(section) + "/" + QString::fromStdString(key);
}

// Beside settings.ini: the program folder of a portable layout, else $XDG_CONFIG_HOME/framewise.
// One folder holds all the user's settings, not a second one of Qt's choosing.
std::unique_ptr<QSettings> store() {
    const auto folder = std::filesystem::path(fw::paths().settingsPath).parent_path();
    return std::make_unique<QSettings>(QString::fromStdString((folder / "user-settings.conf").string()), QSettings::IniFormat);
}
}  // namespace

void storeUserSettings(const std::string& section, const std::vector<std::pair<std::string, std::string>>& values) {
    auto s = store();
    for (const auto& [key, value] : values) s->setValue(keyOf(section, key), QString::fromStdString(value));
    s->sync();
}

std::string readUserSetting(const std::string& section, const std::string& key, const std::string& fallback) {
    return store()->value(keyOf(section, key), QString::fromStdString(fallback)).toString().toStdString();
}

}  // namespace fw::platform
