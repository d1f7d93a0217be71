#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstddef>
#include <cstring>
#include <optional>

#include "platform/file_descriptor.h"
#include "platform/service_notify.h"
#include "testsupport/temp_folder.h"

namespace {

using platform::CServiceNotifier;
using platform::FileDescriptor;
using testsupport::ScopedEnvironment;

// The service manager's end: a datagram socket bound to a path, or to "@name" in the abstract namespace.
FileDescriptor Listen(const std::string& name) {
  FileDescriptor socket(::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0));
  sockaddr_un address{AF_UNIX, {}};
  std::memcpy(address.sun_path, name.data(), name.size());
  if (name[0] == '@') address.sun_path[0] = '\0';
  socklen_t length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + name.size() + (name[0] == '/'));
  EXPECT_EQ(::bind(socket.Get(), reinterpret_cast<sockaddr*>(&address), length), 0) << std::strerror(errno);
  return socket;
}

// The next datagram within the time, or nothing.
std::optional<std::string> Receive(const FileDescriptor& socket, int timeoutMs = 5000) {
  pollfd ready{socket.Get(), POLLIN, 0};
  char buffer[512];
  if (::poll(&ready, 1, timeoutMs) != 1) return std::nullopt;
  ssize_t length = ::recv(socket.Get(), buffer, sizeof buffer, 0);
  return length < 0 ? std::nullopt : std::optional<std::string>(std::string(buffer, static_cast<size_t>(length)));
}

TEST(ServiceNotifier, SendsEachMessageToThePathOrAbstractSocketAndNothingWithout) {
  testsupport::TempFolder folder;
  for (const std::string& name : {folder / "notify", "@qor-notify-test-" + std::to_string(::getpid())}) {
    SCOPED_TRACE(name);
    FileDescriptor listener = Listen(name);
    ScopedEnvironment socket("NOTIFY_SOCKET", name);
    CServiceNotifier notifier;
    ASSERT_TRUE(notifier.Enabled());
    EXPECT_TRUE(notifier.Ready("4 registers: 4 ready"));
    EXPECT_EQ(Receive(listener), "READY=1\nSTATUS=4 registers: 4 ready");
    EXPECT_TRUE(notifier.Status("two\nlines"));
    EXPECT_EQ(Receive(listener), "STATUS=two lines");
    EXPECT_TRUE(notifier.KeepAlive() && notifier.Stopping());
    EXPECT_EQ(Receive(listener), "WATCHDOG=1");
    EXPECT_EQ(Receive(listener), "STOPPING=1");

    ::unsetenv("NOTIFY_SOCKET");
    CServiceNotifier outsideAService;
    EXPECT_FALSE(outsideAService.Enabled());
    EXPECT_TRUE(outsideAService.Ready("ready") && outsideAService.KeepAlive());
    EXPECT_EQ(Receive(listener, 0), std::nullopt);
  }
}

// systemd sets WATCHDOG_PID to the process it watches; a child that inherited it is not that process.
TEST(ServiceNotifier, WatchdogIntervalAppliesOnlyToTheWatchedProcess) {
  struct Case {
    const char* m_Usec;  // nullptr: unset
    std::string m_Pid;   // empty: unset
    long long m_Interval;
  };
  const std::string self = std::to_string(::getpid());
  const Case cases[] = {{"30000000", self, 30000000}, {"30000000", "", 30000000},
                        {"30000000", std::to_string(::getpid() + 1), 0}, {nullptr, self, 0}, {"30s", self, 0}};
  for (const Case& test : cases) {
    SCOPED_TRACE(std::string(test.m_Usec ? test.m_Usec : "unset") + " for " + test.m_Pid);
    ScopedEnvironment socket("NOTIFY_SOCKET", "@qor-notify-interval");
    ScopedEnvironment usec("WATCHDOG_USEC", test.m_Usec ? test.m_Usec : "");
    ScopedEnvironment pid("WATCHDOG_PID", test.m_Pid);
    if (!test.m_Usec) ::unsetenv("WATCHDOG_USEC");
    if (test.m_Pid.empty()) ::unsetenv("WATCHDOG_PID");
    EXPECT_EQ(CServiceNotifier().WatchdogInterval(), std::chrono::microseconds(test.m_Interval));
  }
}

}  // namespace
