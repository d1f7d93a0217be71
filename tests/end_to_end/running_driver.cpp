#include "tests/end_to_end/running_driver.h"

#include <QCoreApplication>
#include <QProcessEnvironment>
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <thread>

#include "platform/component_loader.h"
#include "platform/component_module.h"
#include "platform/store.h"
#include "tests/end_to_end/ticket_folder_scan.h"

namespace endtoend {
namespace {

using Clock = std::chrono::steady_clock;

// Written when the folder monitor's start notification reaches the driver: every folder is watched.
constexpr char kMonitorRunning[] = "[ZEDO] Folder monitor started";

// A sanitizer's report in a driver's log fails the test that ran the driver, whatever else the test
// looked at: a race or a memory fault in the driver is seen even when every reply came out right.
void ExpectNoSanitizerReport(const std::string& log) {
  const std::size_t report = log.find("Sanitizer:");
  if (report == std::string::npos) return;
  const std::size_t lineStart = log.rfind('\n', report);
  ADD_FAILURE() << "the driver reported:\n" << log.substr(lineStart == std::string::npos ? 0 : lineStart + 1, 6000);
}

void WriteAll(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    ssize_t put = ::write(fd, bytes.data() + done, bytes.size() - done);
    ASSERT_GT(put, 0);
    done += static_cast<std::size_t>(put);
  }
}

}  // namespace

std::string Record(const std::string& code, std::initializer_list<std::pair<int, std::string>> parts,
                   std::size_t length) {
  std::string data(length, ' ');
  for (const auto& [offset, text] : parts) data.replace(offset, text.size(), text);
  return (code.size() == 1 ? code + " " : code) + data;
}

std::string Receipt(const std::string& firstItem, const std::string& secondItem) {
  return "0 1\n" + Record("1", {{0, "1001"}, {25, "1,00"}, {35, "1"}, {38, firstItem}, {80, "1"}}, 81) + "\n" +
         Record("1", {{0, "1002"}, {25, "2,50"}, {35, "1"}, {38, secondItem}, {80, "2"}}, 81) + "\n" +
         Record("6", {{0, "6,00"}, {10, "CASH"}, {46, "1"}}, 47) + "\n";
}

CRunningDriver::CRunningDriver(CDriverSetup setup) : m_Setup(std::move(setup)) {}

CRunningDriver::~CRunningDriver() {
  if (m_Process.state() != QProcess::NotRunning) Stop();
  ReadLog();
  ExpectNoSanitizerReport(m_Log);
}

std::string CRunningDriver::Folder(int ecr) const { return m_Base / ("Tickets/" + std::to_string(ecr)); }

bool CRunningDriver::Start() {
  testsupport::WriteFile(m_Base / "QorEmulator.ini", m_Setup.m_EmulatorIni);
  testsupport::WriteFile(m_Base / "QorDriver.ini", m_Setup.m_DriverIni);
  if (m_Setup.m_RegisterMonitor) {
    platform::Store store(RegistryPath());
    std::string error;
    platform::IComponentModule* module = platform::LoadComponentModule(QOR_MONITOR_MODULE, error);
    if (!module || module->DllRegisterServer(store, QOR_MONITOR_MODULE) != platform::kSelfRegOk) {
      ADD_FAILURE() << "cannot register the folder monitor: " << error;
      return false;
    }
  }
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert("QOR_REGISTRY", QString::fromStdString(RegistryPath()));
  environment.insert("QOR_DEBUG_LOG", "1");
  environment.remove("QOR_FAULT_POINT");
  environment.remove("QOR_FAULT_SIGNAL");
  environment.remove("QOR_FILE_TRACE");
  if (!m_FileTrace.empty()) environment.insert("QOR_FILE_TRACE", QString::fromStdString(m_FileTrace));
  m_FileTrace.clear();
  if (!m_FaultPoint.empty()) {
    environment.insert("QOR_FAULT_POINT", QString::fromStdString(m_FaultPoint));
    if (!m_FaultSignal.empty()) environment.insert("QOR_FAULT_SIGNAL", QString::fromStdString(m_FaultSignal));
  }
  m_FaultPoint.clear();
  m_Process.setProcessEnvironment(environment);
  if (const unsigned account = m_Setup.m_DriverAccount; account != 0) {
    for (const auto& entry : std::filesystem::recursive_directory_iterator(Base()))
      (void)::lchown(entry.path().c_str(), account, account);
    (void)::chown(Base().c_str(), account, account);
    m_Process.setChildProcessModifier([account] {
      if (::setgroups(0, nullptr) != 0 || ::setgid(account) != 0 || ::setuid(account) != 0) ::_exit(126);
    });
  }
  m_Process.setWorkingDirectory(QString::fromStdString(Base()));
  // A file, not a pipe: a pipe nobody drains while the test waits elsewhere would stall the driver.
  m_Process.setStandardErrorFile(QString::fromStdString(LogPath()));
  m_Process.start(QOR_DRIVER_PROGRAM, {"--headless"});
  if (!m_Process.waitForStarted(10000)) return false;
  return WaitForLog(m_Setup.m_RegisterMonitor ? kMonitorRunning : "[ZEDO] MessageBox: [");
}

int CRunningDriver::Stop() {
  if (m_Process.state() == QProcess::NotRunning) return -1;
  ::kill(static_cast<pid_t>(m_Process.processId()), SIGTERM);
  bool ended = m_Process.waitForFinished(30000);
  ReadLog();
  if (!ended || m_Process.exitStatus() != QProcess::NormalExit) return -1;
  return m_Process.exitCode();
}

bool CRunningDriver::Kill() {
  if (m_Process.state() == QProcess::NotRunning) return true;
  ::kill(static_cast<pid_t>(m_Process.processId()), SIGKILL);
  bool ended = m_Process.waitForFinished(30000);
  ReadLog();
  return ended;
}

void CRunningDriver::SetFaultPoint(const std::string& point, bool terminate) {
  m_FaultPoint = point;
  m_FaultSignal = terminate ? "TERM" : "";
}

void CRunningDriver::SetHangPoint(const std::string& point) {
  m_FaultPoint = point;
  m_FaultSignal = "HANG";
}

bool CRunningDriver::WaitForEnd(std::chrono::milliseconds limit) {
  if (m_Process.state() == QProcess::NotRunning) return true;
  const bool ended = m_Process.waitForFinished(static_cast<int>(limit.count()));
  ReadLog();
  return ended;
}

int CRunningDriver::RunSecondDriver(const std::string& folder, std::string& log, std::chrono::seconds limit) {
  QProcess second;
  second.setProcessEnvironment(m_Process.processEnvironment());
  second.setWorkingDirectory(QString::fromStdString(folder));
  const std::string logPath = m_Base / "second-driver.log";
  second.setStandardErrorFile(QString::fromStdString(logPath));
  second.start(QOR_DRIVER_PROGRAM, {"--headless"});
  const bool ended = second.waitForStarted(10000) && second.waitForFinished(static_cast<int>(limit.count() * 1000));
  if (!ended) {
    second.kill();
    second.waitForFinished(10000);
  }
  log = testsupport::ReadFile(logPath);
  ExpectNoSanitizerReport(log);
  return ended && second.exitStatus() == QProcess::NormalExit ? second.exitCode() : -1;
}

void CRunningDriver::SetEmulatorSettings(const std::string& text) {
  std::string settings = m_Base / "QorEmulator.ini";
  testsupport::WriteFile(settings + ".new", text);
  ASSERT_EQ(::rename((settings + ".new").c_str(), settings.c_str()), 0);
}

void CRunningDriver::DropTicket(int ecr, const std::string& fileName, const std::string& text, DropStyle style,
                                std::chrono::milliseconds pause) {
  std::string target = Folder(ecr) + "/" + fileName;
  if (style == DropStyle::kRenamed) {
    std::string temporary = target + ".part";
    testsupport::WriteFile(temporary, text);
    ASSERT_EQ(::rename(temporary.c_str(), target.c_str()), 0);
    return;
  }
  // A slow writer: the ticket appears under its final name and grows while the driver looks at it.
  int fd = ::open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  ASSERT_GE(fd, 0);
  std::size_t third = text.size() / 3;
  WriteAll(fd, text.substr(0, third));
  std::this_thread::sleep_for(pause);
  WriteAll(fd, text.substr(third, third));
  std::this_thread::sleep_for(pause);
  WriteAll(fd, text.substr(2 * third));
  ::close(fd);
}

std::optional<std::string> CRunningDriver::WaitForReply(int ecr, const std::string& fileName,
                                                        std::chrono::seconds limit) {
  std::string reply = ReplyPath(Folder(ecr), fileName);
  Clock::time_point deadline = Clock::now() + limit;
  while (Clock::now() < deadline) {
    if (testsupport::FileExists(reply)) return testsupport::ReadFile(reply);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return std::nullopt;
}

std::string CRunningDriver::Journal(int ecr) const {
  return testsupport::ReadFile(Base() + "/Journal/ECR" + std::to_string(ecr) + ".txt");
}

std::string CRunningDriver::ReadTicketFile(int ecr, const std::string& fileName, const std::string& extension) const {
  std::string reply = ReplyPath(Folder(ecr), fileName);
  return testsupport::ReadFile(reply.substr(0, reply.size() - 4) + extension);
}

bool CRunningDriver::WaitForLog(const std::string& text, std::chrono::seconds limit) {
  Clock::time_point deadline = Clock::now() + limit;
  ReadLog();
  while (m_Log.find(text) == std::string::npos && Clock::now() < deadline && m_Process.state() == QProcess::Running) {
    m_Process.waitForFinished(20);
    ReadLog();
  }
  return m_Log.find(text) != std::string::npos;
}

std::string CRunningDriver::Log() {
  ReadLog();
  return m_Log;
}

void CRunningDriver::ReadLog() {
  std::string whole = testsupport::ReadFile(LogPath());
  if (testsupport::FileExists(LogPath())) m_Log = whole;
}

}  // namespace endtoend
