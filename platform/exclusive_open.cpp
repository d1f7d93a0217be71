#include "platform/exclusive_open.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <mutex>

#include "platform/debug_log.h"

namespace platform {
namespace {

unsigned WindowsError(int error) {
  switch (error) {
    case ENOENT: return kErrorFileNotFound;
    case ENOTDIR: return kErrorPathNotFound;
    case EACCES:
    case EPERM:
    case EISDIR: return kErrorAccessDenied;
    case EAGAIN: return kErrorSharingViolation;
    default: return 31;  // ERROR_GEN_FAILURE
  }
}

// A lease break sends SIGIO, whose default action would end the driver.
void IgnoreLeaseBreakSignal() {
  static std::once_flag once;
  std::call_once(once, [] { std::signal(SIGIO, SIG_IGN); });
}

bool IsNumeric(const char* name) {
  if (*name == '\0') return false;
  for (; *name; ++name)
    if (*name < '0' || *name > '9') return false;
  return true;
}

// True when a descriptor other than ownFd, of any process we may inspect, refers to the file.
bool OpenInAnyProcess(const struct stat& file, int ownFd) {
  DIR* processes = ::opendir("/proc");
  if (!processes) return false;
  std::string self = std::to_string(::getpid());
  bool found = false;
  while (dirent* process = ::readdir(processes)) {
    if (!IsNumeric(process->d_name)) continue;
    std::string fdFolder = std::string("/proc/") + process->d_name + "/fd";
    DIR* fds = ::opendir(fdFolder.c_str());
    if (!fds) continue;
    while (dirent* fd = ::readdir(fds)) {
      if (!IsNumeric(fd->d_name)) continue;
      if (self == process->d_name && std::atoi(fd->d_name) == ownFd) continue;
      struct stat target {};
      std::string link = fdFolder + "/" + fd->d_name;
      if (::stat(link.c_str(), &target) == 0 && target.st_dev == file.st_dev && target.st_ino == file.st_ino) {
        found = true;
        break;
      }
    }
    ::closedir(fds);
    if (found) break;
  }
  ::closedir(processes);
  return found;
}

unsigned FallbackCheck(const std::string& path, int fd) {
  static std::once_flag logged;
  std::call_once(logged, [&path] {
    DebugLog("[ZEDO] write leases unavailable for [%s]: looking for writers under /proc", path.c_str());
  });
  struct stat file {};
  if (::fstat(fd, &file) != 0) return WindowsError(errno);
  return OpenInAnyProcess(file, fd) ? kErrorSharingViolation : kErrorSuccess;
}

}  // namespace

unsigned OpenExclusive(const std::string& path, FileDescriptor& file) {
  IgnoreLeaseBreakSignal();
  file.Close();
  FileDescriptor opened(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC));
  if (!opened.IsOpen()) {
    if (errno == ELOOP) return kErrorCantAccessFile;
    return WindowsError(errno == EWOULDBLOCK ? EAGAIN : errno);
  }
  struct stat info {};
  if (::fstat(opened.Get(), &info) != 0) return WindowsError(errno);
  if (S_ISDIR(info.st_mode)) return kErrorAccessDenied;
  if (!S_ISREG(info.st_mode)) return kErrorCantAccessFile;
  unsigned result = kErrorSuccess;
  if (::fcntl(opened.Get(), F_SETLEASE, F_WRLCK) == 0) {
    ::fcntl(opened.Get(), F_SETLEASE, F_UNLCK);
  } else if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EBUSY) {
    result = kErrorSharingViolation;
  } else {
    result = FallbackCheck(path, opened.Get());
  }
  if (result == kErrorSuccess) file = std::move(opened);
  return result;
}

}  // namespace platform
