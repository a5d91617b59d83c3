#include "platform/user_store.h"

#include <QSettings>

#include <memory>

#include "core/common/paths.h"

namespace fw::platform {

namespace {
QString keyOf(const std::string& section, const std::string& key) {
    return QString::fromStdString(section) + "/" + QString::fromStdString(key);
}

// A portable program folder keeps everything, this store included; an installed program uses the
// desktop's per-user store ($XDG_CONFIG_HOME/Framewise).
std::unique_ptr<QSettings> store() {
    if (fw::paths().portable)
        return std::make_unique<QSettings>(QString::fromStdString(fw::paths().programFolder + "/user-settings.conf"),
                                           QSettings::IniFormat);
    return std::make_unique<QSettings>(QStringLiteral("Framewise"), QStringLiteral("Framewise"));
}
}  // namespace

void storeUserSetting(const std::string& section, const std::string& key, const std::string& value) {
    auto s = store();
    s->setValue(keyOf(section, key), QString::fromStdString(value));
    s->sync();
}

std::string readUserSetting(const std::string& section, const std::string& key, const std::string& fallback) {
    return store()->value(keyOf(section, key), QString::fromStdString(fallback)).toString().toStdString();
}

}  // namespace fw::platform
