// Ending a competing program. Processes are found by scanning /proc; each match is signalled through a
// pidfd, which cannot hit a recycled pid and can be polled for the end of a process that is not our
// child. Zombies are skipped (a killed process that is not our child stays one until its parent reaps
// it, and would otherwise be counted for ever), and the pids already ended are remembered so that a
// rescan does not catch one that is still dying.

#include "platform/process_list.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>
#include <set>
#include <string_view>
#include <thread>

#include "platform/debug_log.h"

namespace platform {
namespace {

constexpr std::chrono::milliseconds kKillSettlePeriod{2000};
constexpr std::chrono::milliseconds kFallbackPollInterval{50};
constexpr std::size_t kCommLength = 15;  // the kernel cuts /proc/<pid>/comm to 15 bytes

std::optional<std::string> ReadProcFile(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  std::string bytes;
  char buffer[4096];
  ssize_t got = 0;
  while ((got = ::read(fd, buffer, sizeof buffer)) > 0) bytes.append(buffer, static_cast<std::size_t>(got));
  ::close(fd);
  if (got < 0) return std::nullopt;
  return bytes;
}

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameNameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (Lower(a[i]) != Lower(b[i])) return false;
  return true;
}

// The last component of a path; a program started through a compatibility layer shows a path with
// backslashes in its argv[0].
std::string_view LastComponent(std::string_view path) {
  std::size_t cut = path.find_last_of("/\\");
  return cut == std::string_view::npos ? path : path.substr(cut + 1);
}

// False for zombies, dead processes and processes that are already gone.
bool IsRunning(pid_t pid) {
  std::optional<std::string> stat = ReadProcFile("/proc/" + std::to_string(pid) + "/stat");
  if (!stat) return false;
  std::size_t close = stat->rfind(')');
  if (close == std::string::npos || close + 2 >= stat->size()) return false;
  char state = (*stat)[close + 2];
  return state != 'Z' && state != 'X';
}

std::optional<std::string> ExecutableName(pid_t pid) {
  char target[4096];
  std::string link = "/proc/" + std::to_string(pid) + "/exe";
  ssize_t length = ::readlink(link.c_str(), target, sizeof target - 1);
  if (length <= 0) return std::nullopt;
  std::string_view path(target, static_cast<std::size_t>(length));
  constexpr std::string_view kDeleted = " (deleted)";
  if (path.ends_with(kDeleted)) path.remove_suffix(kDeleted.size());
  return std::string(LastComponent(path));
}

std::optional<std::string> FirstArgumentName(pid_t pid) {
  std::optional<std::string> cmdline = ReadProcFile("/proc/" + std::to_string(pid) + "/cmdline");
  if (!cmdline || cmdline->empty()) return std::nullopt;
  std::string_view argv0(cmdline->c_str());
  if (argv0.empty()) return std::nullopt;
  return std::string(LastComponent(argv0));
}

bool HasName(pid_t pid, const std::string& name) {
  std::optional<std::string> executable = ExecutableName(pid);
  if (executable && SameNameIgnoringCase(*executable, name)) return true;
  std::optional<std::string> argv0 = FirstArgumentName(pid);
  if (argv0 && SameNameIgnoringCase(*argv0, name)) return true;
  if (executable || argv0) return false;
  // Neither source readable: the kernel's short name is all there is.
  std::optional<std::string> comm = ReadProcFile("/proc/" + std::to_string(pid) + "/comm");
  if (!comm) return false;
  while (!comm->empty() && comm->back() == '\n') comm->pop_back();
  return SameNameIgnoringCase(*comm, std::string_view(name).substr(0, kCommLength));
}

std::optional<pid_t> FindProcess(const std::string& name, const std::set<pid_t>& handled) {
  DIR* proc = ::opendir("/proc");
  if (proc == nullptr) return std::nullopt;
  std::optional<pid_t> found;
  const pid_t self = ::getpid();
  while (const dirent* entry = ::readdir(proc)) {
    char* end = nullptr;
    long value = std::strtol(entry->d_name, &end, 10);
    if (end == entry->d_name || *end != '\0' || value <= 0) continue;
    pid_t pid = static_cast<pid_t>(value);
    if (pid == self || handled.contains(pid) || !IsRunning(pid)) continue;
    if (HasName(pid, name)) {
      found = pid;
      break;
    }
  }
  ::closedir(proc);
  return found;
}

// Waits until the pidfd reports the end of its process or the limit passes.
bool WaitForEnd(int pidfd, std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  for (;;) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    pollfd watch{pidfd, POLLIN, 0};
    int ready = ::poll(&watch, 1, static_cast<int>(std::max<std::int64_t>(left.count(), 0)));
    if (ready > 0) return true;
    if (ready == 0) return false;
    if (errno != EINTR) return false;
  }
}

// Without pidfds: poll the process's state.
bool WaitForEndByPolling(pid_t pid, std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < deadline) {
    if (::kill(pid, 0) != 0 || !IsRunning(pid)) return true;
    std::this_thread::sleep_for(kFallbackPollInterval);
  }
  return ::kill(pid, 0) != 0 || !IsRunning(pid);
}

enum class EndResult { Ended, CannotOpen, TerminateFailed };

EndResult EndProcessByPolling(pid_t pid) {
  if (::kill(pid, SIGTERM) != 0) return EndResult::CannotOpen;
  if (WaitForEndByPolling(pid, kTerminateGracePeriod)) return EndResult::Ended;
  if (::kill(pid, SIGKILL) != 0 && errno != ESRCH) return EndResult::TerminateFailed;
  WaitForEndByPolling(pid, kKillSettlePeriod);
  return EndResult::Ended;
}

int SendSignal(int pidfd, int signal) {
  return static_cast<int>(::syscall(SYS_pidfd_send_signal, pidfd, signal, nullptr, 0));
}

EndResult EndProcess(pid_t pid) {
  int pidfd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
  if (pidfd < 0) return errno == ENOSYS ? EndProcessByPolling(pid) : EndResult::CannotOpen;
  EndResult result = EndResult::Ended;
  if (SendSignal(pidfd, SIGTERM) != 0) {
    result = errno == ESRCH ? EndResult::Ended : EndResult::CannotOpen;
  } else if (!WaitForEnd(pidfd, kTerminateGracePeriod)) {
    if (SendSignal(pidfd, SIGKILL) != 0 && errno != ESRCH) result = EndResult::TerminateFailed;
    else WaitForEnd(pidfd, kKillSettlePeriod);  // a kill is not instantaneous
  }
  ::close(pidfd);
  return result;
}

}  // namespace

int TerminatePendingApplication(const std::string& name) {
  DebugLog("[ZEDO] TerminatePendingApplication ENTRY!");
  int count = 0;
  std::set<pid_t> handled;
  while (std::optional<pid_t> pid = FindProcess(name, handled)) {
    if (EndProcess(*pid) != EndResult::Ended) break;
    handled.insert(*pid);
    ++count;
    DebugLog("[ZEDO] TerminatePendingApplication KILLED PROCESS [%s] NUM. [%d]", name.c_str(), count);
  }
  DebugLog("[ZEDO] TerminatePendingApplication EXIT!");
  return count;
}

int ReadPriorityClass(int& priorityClass) {
  constexpr int kBelowNormalPriorityClass = 16384;
  errno = 0;
  int nice = ::getpriority(PRIO_PROCESS, 0);
  if (nice == -1 && errno != 0) return errno;
  priorityClass = nice < 0 ? kHighPriorityClass : nice == 0 ? kNormalPriorityClass : kBelowNormalPriorityClass;
  return 0;
}

bool RaisePriorityHigh() {
  constexpr int kHighNice = -10;
  return ::setpriority(PRIO_PROCESS, 0, kHighNice) == 0;
}

}  // namespace platform
