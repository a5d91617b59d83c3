#pragma once
// Whether the computer has a connection to the internet, asked before anything is downloaded.
#include <memory>

namespace fw::platform {

class ConnectionState {
public:
    virtual ~ConnectionState() = default;
    virtual bool connected() = 0;
};

// Asks Qt's network information backend; where none is available, counts a non-loopback
// interface that is up and running as a connection.
std::unique_ptr<ConnectionState> makeSystemConnectionState();

}  // namespace fw::platform
