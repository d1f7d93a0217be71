#include "platform/tests/competing_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

namespace platformtest {
namespace {

constexpr auto kStartLimit = std::chrono::seconds(10);
constexpr auto kReapLimit = std::chrono::seconds(10);
constexpr auto kCheckInterval = std::chrono::milliseconds(5);

std::string ExeTarget(pid_t pid) {
  std::error_code error;
  auto target = std::filesystem::read_symlink("/proc/" + std::to_string(pid) + "/exe", error);
  return error ? std::string() : target.string();
}

std::string CmdlineFirst(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/cmdline", std::ios::binary);
  std::string first;
  std::getline(in, first, '\0');
  return first;
}

}  // namespace

CompetingProgramsLock::CompetingProgramsLock() {
  const std::string path = (std::filesystem::temp_directory_path() / "qor-tests-competing-programs.lock").string();
  m_File = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (m_File >= 0) ::flock(m_File, LOCK_EX);  // the kernel drops it when a test program dies
}

CompetingProgramsLock::~CompetingProgramsLock() {
  if (m_File >= 0) ::close(m_File);
}

CompetingProcess::CompetingProcess(const std::string& folder, const std::string& executableName,
                                   TermHandling handling, const std::string& argumentZero, int uid) {
  const std::string program = folder + "/" + executableName;
  std::filesystem::copy_file("/bin/sleep", program, std::filesystem::copy_options::overwrite_existing);
  ::chmod(program.c_str(), 0755);
  ::chmod(folder.c_str(), 0755);
  const std::string argv0 = argumentZero.empty() ? executableName : argumentZero;

  m_Pid = ::fork();
  if (m_Pid == 0) {
    // An ignored signal stays ignored across exec, so the copy of sleep ignores SIGTERM.
    if (handling == TermHandling::IgnoresTerm) ::signal(SIGTERM, SIG_IGN);
    if (uid >= 0 && ::setuid(static_cast<uid_t>(uid)) != 0) ::_exit(126);
    ::execl(program.c_str(), argv0.c_str(), "120", static_cast<char*>(nullptr));
    ::_exit(127);
  }
  if (m_Pid < 0) return;
  // The child runs the copy once exec has replaced both its image and its argument list.
  const auto deadline = std::chrono::steady_clock::now() + kStartLimit;
  while (std::chrono::steady_clock::now() < deadline) {
    if (ExeTarget(m_Pid) == program && CmdlineFirst(m_Pid) == argv0) {
      m_Started = true;
      return;
    }
    std::this_thread::sleep_for(kCheckInterval);
  }
}

CompetingProcess::~CompetingProcess() {
  if (m_Pid > 0 && !m_Reaped) {
    ::kill(m_Pid, SIGKILL);
    ::waitpid(m_Pid, nullptr, 0);
  }
}

int CompetingProcess::WaitForEndSignal() {
  if (m_Pid <= 0 || m_Reaped) return -1;
  const auto deadline = std::chrono::steady_clock::now() + kReapLimit;
  while (std::chrono::steady_clock::now() < deadline) {
    int status = 0;
    pid_t done = ::waitpid(m_Pid, &status, WNOHANG);
    if (done == m_Pid) {
      m_Reaped = true;
      return WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    }
    std::this_thread::sleep_for(kCheckInterval);
  }
  return -1;
}

bool CompetingProcess::IsRunning() const {
  if (m_Pid <= 0 || m_Reaped) return false;
  std::ifstream in("/proc/" + std::to_string(m_Pid) + "/stat");
  std::string stat;
  std::getline(in, stat);
  std::size_t close = stat.rfind(')');
  if (close == std::string::npos || close + 2 >= stat.size()) return false;
  return stat[close + 2] != 'Z' && stat[close + 2] != 'X';
}

}  // namespace platformtest
