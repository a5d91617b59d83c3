#include "platform/user_store.h"

#include <QSettings>

namespace fw::platform {

namespace {
QString keyOf(const std::string& section, const std::string& key) {
    return QString::fromStdString(section) + "/" + QString::fromStdString(key);
}
}  // namespace

void storeUserSetting(const std::string& section, const std::string& key, const std::string& value) {
    QSettings s(QStringLiteral("Framewise"), QStringLiteral("Framewise"));
    s.setValue(keyOf(section, key), QString::fromStdString(value));
    s.sync();
}

std::string readUserSetting(const std::string& section, const std::string& key, const std::string& fallback) {
    QSettings s(QStringLiteral("Framewise"), QStringLiteral("Framewise"));
    return s.value(keyOf(section, key), QString::fromStdString(fallback)).toString().toStdString();
}

}  // namespace fw::platform
