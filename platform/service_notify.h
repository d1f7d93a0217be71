#pragma once
// Telling systemd how the service is doing, by its notify protocol: one datagram per message to the
// AF_UNIX socket named by NOTIFY_SOCKET ("/path", or "@name" in the abstract namespace), holding
// newline-separated assignments such as "READY=1\nSTATUS=4 registers: 4 ready". With WatchdogSec= set,
// systemd passes WATCHDOG_USEC (and WATCHDOG_PID, the process it means) and restarts a service that
// lets that time pass without "WATCHDOG=1". Outside a service nothing is set, nothing is sent, and
// every call succeeds.

#include <sys/socket.h>
#include <sys/un.h>

#include <chrono>
#include <string_view>

namespace platform {

class CServiceNotifier {
 public:
  // Reads NOTIFY_SOCKET, WATCHDOG_USEC and WATCHDOG_PID as they are now.
  CServiceNotifier();

  bool Enabled() const { return m_AddressLength > 0; }
  // How often systemd expects WATCHDOG=1; zero when it watches nothing, or watches another process.
  std::chrono::microseconds WatchdogInterval() const { return m_WatchdogInterval; }

  // Sends one message; false when it could not be sent. True when no service manager listens.
  bool Send(std::string_view state) const;
  bool Ready(std::string_view status) const;
  bool Status(std::string_view text) const;
  bool KeepAlive() const;
  bool Stopping() const;

 private:
  sockaddr_un m_Address{};
  socklen_t m_AddressLength = 0;
  std::chrono::microseconds m_WatchdogInterval{0};
};

}  // namespace platform
