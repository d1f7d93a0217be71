#include "tools/status/driver_probe.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <optional>
#include <sstream>

#include "platform/file_descriptor.h"

namespace tools {
namespace {

// A line of /proc/locks: "1: FLOCK  ADVISORY  WRITE 4242 08:01:1234567 0 EOF" (device in hex).
std::optional<bool> ListedAsLocked(const struct stat& folder) {
  std::ifstream locks("/proc/locks");
  if (!locks) return std::nullopt;
  char device[64];
  std::snprintf(device, sizeof device, "%02x:%02x:%llu", major(folder.st_dev), minor(folder.st_dev),
                static_cast<unsigned long long>(folder.st_ino));
  std::string line;
  while (std::getline(locks, line)) {
    std::istringstream fields(line);
    std::string id, kind, mode, access, pid, where;
    if (!(fields >> id >> kind)) continue;
    if (kind == "->") fields >> kind;  // a waiter, listed under the lock it waits for
    if (!(fields >> mode >> access >> pid >> where)) continue;
    if (kind == "FLOCK" && access == "WRITE" && where == device) return true;
  }
  return false;
}

DriverPresence TryLock(int folder) {
  int result;
  do result = ::flock(folder, LOCK_SH | LOCK_NB);
  while (result != 0 && errno == EINTR);
  if (result != 0 && errno == EWOULDBLOCK) return DriverPresence::kRunning;
  if (result == 0) ::flock(folder, LOCK_UN);
  return DriverPresence::kNotRunning;
}

}  // namespace

DriverPresence ProbeDriver(const std::string& baseDirectory) {
  const char* folder = baseDirectory.empty() ? "." : baseDirectory.c_str();
  platform::FileDescriptor file(::open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!file.IsOpen()) return DriverPresence::kNotRunning;
  struct stat info {};
  if (::fstat(file.Get(), &info) != 0) return DriverPresence::kNotRunning;
  if (const std::optional<bool> locked = ListedAsLocked(info))
    return *locked ? DriverPresence::kRunning : DriverPresence::kNotRunning;
  return TryLock(file.Get());
}

}  // namespace tools
