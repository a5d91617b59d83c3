#include "platform/logind.h"

#include <unistd.h>

#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QVariant>

namespace fw::platform {

namespace {

const QString kService = QStringLiteral("org.freedesktop.login1");
const QString kManagerPath = QStringLiteral("/org/freedesktop/login1");
const QString kManager = QStringLiteral("org.freedesktop.login1.Manager");
// Root, too, waits for other programs' inhibitors unless the call is a forcing one.
constexpr quint64 kRootCheckInhibitors = 1;

class LogindBackend final : public fw::system::ExitBackend {
public:
    bool exitWindows(int action, const fw::system::ExitCall& c) override {
        const auto call = fw::system::logindCall(action, c);
        QDBusInterface manager(kService, kManagerPath, kManager, QDBusConnection::systemBus());
        if (!manager.isValid()) return false;
        if (call.method == "TerminateSession") return terminateOwnSession(manager);
        const QString method = QString::fromStdString(call.method);
        if (!call.ignoreInhibitors) {
            QDBusMessage r = manager.call(method + QStringLiteral("WithFlags"), QVariant::fromValue(kRootCheckInhibitors));
            if (r.type() != QDBusMessage::ErrorMessage) return true;
            // An older logind without the flags: its plain call honours inhibitors for users.
            if (r.errorName() != QLatin1String("org.freedesktop.DBus.Error.UnknownMethod")) return false;
        }
        QDBusMessage r = manager.call(method, true);  // interactive: the desktop may ask for a password
        return r.type() != QDBusMessage::ErrorMessage;
    }

private:
    static bool terminateOwnSession(QDBusInterface& manager) {
        QString id = qEnvironmentVariable("XDG_SESSION_ID");
        if (id.isEmpty()) {
            QDBusReply<QDBusObjectPath> path = manager.call(QStringLiteral("GetSessionByPID"), static_cast<quint32>(::getpid()));
            if (!path.isValid()) return false;
            QDBusInterface session(kService, path.value().path(), QStringLiteral("org.freedesktop.login1.Session"),
                                   QDBusConnection::systemBus());
            id = session.property("Id").toString();
        }
        if (id.isEmpty()) return false;
        QDBusMessage r = manager.call(QStringLiteral("TerminateSession"), id);
        return r.type() != QDBusMessage::ErrorMessage;
    }
};

}  // namespace

std::unique_ptr<fw::system::ExitBackend> makeLogindBackend() { return std::make_unique<LogindBackend>(); }

}  // namespace fw::platform
