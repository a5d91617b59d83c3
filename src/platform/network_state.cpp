#include "platform/network_state.h"

#include <QNetworkInformation>
#include <QNetworkInterface>

namespace fw::platform {

namespace {

bool anyInterfaceUp() {
    const auto ifaces = QNetworkInterface::allInterfaces();
    for (const auto& i : ifaces) {
        auto f = i.flags();
        if (f.testFlag(QNetworkInterface::IsUp) && f.testFlag(QNetworkInterface::IsRunning) &&
            !f.testFlag(QNetworkInterface::IsLoopBack))
            return true;
    }
    return false;
}

class SystemConnectionState final : public ConnectionState {
public:
    bool connected() override {
        if (QNetworkInformation::loadDefaultBackend() ||
            QNetworkInformation::loadBackendByFeatures(QNetworkInformation::Feature::Reachability)) {
            if (auto* info = QNetworkInformation::instance()) {
                auto r = info->reachability();
                if (r != QNetworkInformation::Reachability::Unknown)
                    return r == QNetworkInformation::Reachability::Online;
            }
        }
        return anyInterfaceUp();
    }
};

}  // namespace

std::unique_ptr<ConnectionState> makeSystemConnectionState() { return std::make_unique<SystemConnectionState>(); }

}  // namespace fw::platform
