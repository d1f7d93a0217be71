#include "tools/status/driver_probe.h"

#include <fcntl.h>
#include <sys/file.h>

#include <cerrno>

#include "platform/file_descriptor.h"

namespace tools {

DriverPresence ProbeDriver(const std::string& baseDirectory) {
  const char* folder = baseDirectory.empty() ? "." : baseDirectory.c_str();
  platform::FileDescriptor file(::open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!file.IsOpen()) return DriverPresence::kNotRunning;
  int result;
  do result = ::flock(file.Get(), LOCK_SH | LOCK_NB);
  while (result != 0 && errno == EINTR);
  if (result != 0 && errno == EWOULDBLOCK) return DriverPresence::kRunning;
  if (result == 0) ::flock(file.Get(), LOCK_UN);
  return DriverPresence::kNotRunning;
}

}  // namespace tools
