#include "platform/service_notify.h"

#include <unistd.h>

#include <charconv>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/file_descriptor.h"

namespace platform {
namespace {

std::string_view Environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? std::string_view(value) : std::string_view();
}

// A whole decimal number, or nothing.
bool WholeNumber(std::string_view text, unsigned long long& value) {
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return !text.empty() && error == std::errc() && end == text.data() + text.size();
}

// A status text is one line of the message: its own line ends would start other assignments.
std::string OneLine(std::string_view text) {
  std::string line(text);
  for (char& c : line)
    if (c == '\n') c = ' ';
  return line;
}

}  // namespace

CServiceNotifier::CServiceNotifier() {
  std::string_view socket = Environment("NOTIFY_SOCKET");
  if ((socket.size() >= 2 && (socket[0] == '/' || socket[0] == '@')) && socket.size() < sizeof m_Address.sun_path) {
    m_Address.sun_family = AF_UNIX;
    std::memcpy(m_Address.sun_path, socket.data(), socket.size());
    if (socket[0] == '@') m_Address.sun_path[0] = '\0';  // the abstract name is not terminated
    m_AddressLength = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + socket.size() + (socket[0] == '/'));
  }
  unsigned long long usec = 0, pid = 0;
  std::string_view watchdogPid = Environment("WATCHDOG_PID");
  bool forThisProcess =
      watchdogPid.empty() || (WholeNumber(watchdogPid, pid) && pid == static_cast<unsigned long long>(::getpid()));
  if (forThisProcess && WholeNumber(Environment("WATCHDOG_USEC"), usec))
    m_WatchdogInterval = std::chrono::microseconds(static_cast<long long>(usec));
}

bool CServiceNotifier::Send(std::string_view state) const {
  if (!Enabled()) return true;
  FileDescriptor socket(::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0));
  if (!socket.IsOpen()) return false;
  ssize_t sent = ::sendto(socket.Get(), state.data(), state.size(), MSG_NOSIGNAL,
                          reinterpret_cast<const sockaddr*>(&m_Address), m_AddressLength);
  return sent == static_cast<ssize_t>(state.size());
}

bool CServiceNotifier::Ready(std::string_view status) const { return Send("READY=1\nSTATUS=" + OneLine(status)); }

bool CServiceNotifier::Status(std::string_view text) const { return Send("STATUS=" + OneLine(text)); }

bool CServiceNotifier::KeepAlive() const { return Send("WATCHDOG=1"); }

bool CServiceNotifier::Stopping() const { return Send("STOPPING=1"); }

}  // namespace platform
