// What a shop sees of its registers without a desktop: status.json and qor-status through a ticket's
// life, a register out of paper and a driver that has ended; systemd's notify protocol on a socket the
// test owns, and keep-alives that stop when the window thread hangs.

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QByteArray>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>

#include "driver/status/status_json.h"
#include "tests/end_to_end/running_driver.h"
#include "testsupport/temp_folder.h"

namespace {

using endtoend::CRunningDriver;
using Clock = std::chrono::steady_clock;

const std::string kRegisters = "[Registers]\r\n1=1\r\n2=2\r\n3=0\r\n4=3\r\n";

// The driver's status once it satisfies wanted; nothing when it does not within the limit.
std::optional<driver::CDriverStatus> StatusWhen(CRunningDriver& driver,
                                                const std::function<bool(const driver::CDriverStatus&)>& wanted) {
  const auto deadline = Clock::now() + std::chrono::seconds(20);
  std::optional<driver::CDriverStatus> status;
  while (Clock::now() < deadline) {
    std::string error;
    status = driver::ReadStatusJson(QByteArray::fromStdString(testsupport::ReadFile(driver.Base() + "/status.json")), error);
    if (status && wanted(*status)) return status;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return std::nullopt;
}

const driver::CRegisterStatus* Register(const driver::CDriverStatus& status, int number) {
  for (const auto& entry : status.m_Registers)
    if (entry.m_Number == number) return &entry;
  return nullptr;
}

struct CToolRun {
  int m_Exit = -1;
  std::string m_Out;
};

CToolRun RunStatus(const std::string& base) {
  testsupport::TempFolder folder;
  const std::string out = folder / "out";
  const std::string command = std::string(QOR_STATUS_PROGRAM) + " --base '" + base + "' >'" + out + "' 2>&1";
  const int status = std::system(command.c_str());
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, testsupport::ReadFile(out)};
}

TEST(ShopStatus, TheStatusFileAndQorStatusFollowATicketAPaperOutAndTheDriversEnd) {
  endtoend::CDriverSetup setup;
  setup.m_DriverIni += "[TillJob]\r\nMetricsFile=qor.prom\r\n";
  CRunningDriver driver(setup);
  ASSERT_TRUE(driver.Start()) << driver.Log();
  auto ready = StatusWhen(driver, [](const driver::CDriverStatus& s) { return s.m_Registers.size() == 4; });
  ASSERT_TRUE(ready) << driver.Log();
  for (const auto& entry : ready->m_Registers) EXPECT_EQ(entry.m_State, driver::RegisterState::kReady) << entry.m_Number;
  EXPECT_EQ(RunStatus(driver.Base()).m_Exit, 0);

  driver.DropTicket(2, "sale.txt", endtoend::Receipt());
  ASSERT_EQ(driver.WaitForReply(2, "sale.txt"), "0\n") << driver.Log();
  auto answered = StatusWhen(driver, [](const driver::CDriverStatus& s) {
    const auto* two = Register(s, 2);
    return two != nullptr && two->m_LastReply && two->m_State == driver::RegisterState::kReady;
  });
  ASSERT_TRUE(answered) << driver.Log();
  const auto* two = Register(*answered, 2);
  EXPECT_EQ(two->m_LastReply->m_Ticket, "sale.txt");
  EXPECT_EQ(two->m_LastReply->m_Code, 0);
  EXPECT_EQ(two->m_RepliesToday, (std::map<int, int>{{0, 1}}));
  // The metrics follow within their ten seconds.
  std::string metrics;
  for (auto deadline = Clock::now() + std::chrono::seconds(20); Clock::now() < deadline;
       std::this_thread::sleep_for(std::chrono::milliseconds(100))) {
    metrics = testsupport::ReadFile(driver.Base() + "/qor.prom");
    if (metrics.find("qor_tickets_total{register=\"2\",code=\"0\"} 1") != std::string::npos) break;
  }
  EXPECT_NE(metrics.find("qor_tickets_total{register=\"2\",code=\"0\"} 1"), std::string::npos) << metrics;
  EXPECT_NE(metrics.find("qor_ticket_duration_seconds_count{register=\"2\"} 1"), std::string::npos) << metrics;

  driver.SetEmulatorSettings(kRegisters + "[ECR3]\r\nPaperOut=1\r\n");
  auto paperOut = StatusWhen(driver, [](const driver::CDriverStatus& s) {
    const auto* three = Register(s, 3);
    return three != nullptr && three->m_State == driver::RegisterState::kPaperOut;
  });
  ASSERT_TRUE(paperOut) << driver.Log();
  ASSERT_TRUE(Register(*paperOut, 3)->m_Trouble);
  EXPECT_EQ(Register(*paperOut, 3)->m_Trouble->m_Text, "paper out");
  const CToolRun needsPerson = RunStatus(driver.Base());
  EXPECT_EQ(needsPerson.m_Exit, 1) << needsPerson.m_Out;
  EXPECT_NE(needsPerson.m_Out.find("paper out"), std::string::npos) << needsPerson.m_Out;

  EXPECT_EQ(driver.Stop(), 0) << driver.Log();
  const CToolRun ended = RunStatus(driver.Base());
  EXPECT_EQ(ended.m_Exit, 2) << ended.m_Out;
  EXPECT_NE(ended.m_Out.find("not running"), std::string::npos) << ended.m_Out;
}

// A datagram socket the test owns, standing for systemd's notify socket.
class CNotifySocket {
 public:
  explicit CNotifySocket(const std::string& path) : m_Path(path) {
    m_Socket = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    path.copy(address.sun_path, sizeof address.sun_path - 1);
    m_Bound = ::bind(m_Socket, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    timeval wait{0, 200000};
    ::setsockopt(m_Socket, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
  }
  ~CNotifySocket() { ::close(m_Socket); }
  bool Bound() const { return m_Bound; }
  // The next message, or "" when none came within 200 ms.
  std::string Next() {
    char buffer[4096];
    const ssize_t got = ::recv(m_Socket, buffer, sizeof buffer, 0);
    return got > 0 ? std::string(buffer, static_cast<std::size_t>(got)) : std::string();
  }
  // Messages until one holds text, at most limit long; true when it came.
  bool WaitFor(const std::string& text, std::chrono::milliseconds limit, std::string* seen = nullptr) {
    const auto deadline = Clock::now() + limit;
    while (Clock::now() < deadline) {
      const std::string message = Next();
      if (seen != nullptr && !message.empty()) *seen = message;
      if (message.find(text) != std::string::npos) return true;
    }
    return false;
  }

 private:
  std::string m_Path;
  int m_Socket = -1;
  bool m_Bound = false;
};

TEST(ShopStatus, SystemdHearsReadyAStatusAndKeepAlivesUntilTheWindowThreadHangs) {
  testsupport::TempFolder folder;
  CNotifySocket notify(folder / "notify");
  ASSERT_TRUE(notify.Bound());
  ::setenv("NOTIFY_SOCKET", (folder / "notify").c_str(), 1);
  ::setenv("WATCHDOG_USEC", "400000", 1);
  ::unsetenv("WATCHDOG_PID");
  CRunningDriver driver;
  // The window thread hangs at its tenth keep-alive, with every other thread still running.
  driver.SetHangPoint("keep-alive:10");
  const bool started = driver.Start();
  ::unsetenv("NOTIFY_SOCKET");
  ::unsetenv("WATCHDOG_USEC");
  ASSERT_TRUE(started) << driver.Log();

  std::string ready;
  ASSERT_TRUE(notify.WaitFor("READY=1", std::chrono::seconds(10), &ready)) << driver.Log();
  EXPECT_NE(ready.find("STATUS=4 registers: 4 ready"), std::string::npos) << ready;
  EXPECT_TRUE(notify.WaitFor("WATCHDOG=1", std::chrono::seconds(2)));
  ASSERT_TRUE(driver.WaitForLog("Fault point [keep-alive:10] reached")) << driver.Log();
  // Keep-alives come every 200 ms: none for a whole second means they stopped.
  while (!notify.Next().empty()) {
  }
  EXPECT_FALSE(notify.WaitFor("WATCHDOG=1", std::chrono::seconds(1)));
  EXPECT_TRUE(driver.Kill());
}

}  // namespace
