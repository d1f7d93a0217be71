#include "driver/status/status_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/file_descriptor.h"
#include "platform/system_error.h"

namespace driver {
namespace {

// ".status.json.<pid>.<n>": hidden, and not ending in ".prom", so no collector reads it half written.
std::string TemporaryPath(const std::string& path, int attempt) {
  size_t slash = path.rfind('/');
  std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  return folder + "." + name + "." + std::to_string(::getpid()) + "." + std::to_string(attempt);
}

bool Fail(std::string& error, const std::string& step, const std::string& path, const platform::SystemError& failed) {
  error = step + " " + path + ": " + failed.Text();
  return false;
}

platform::SystemError WriteAll(int fd, const QByteArray& text) {
  const char* next = text.constData();
  qsizetype left = text.size();
  while (left > 0) {
    ssize_t written = ::write(fd, next, static_cast<size_t>(left));
    if (written < 0 && errno == EINTR) continue;
    if (written < 0) return platform::SystemError::Last("write");
    if (written == 0) return {"write", EIO};
    next += written;
    left -= written;
  }
  return {};
}

}  // namespace

bool WriteStatusFile(const std::string& path, const QByteArray& text, std::string& error) {
  // A name left by an earlier process of the same id, or taken by another thread, is passed over.
  std::string temporary;
  platform::FileDescriptor file;
  for (int attempt = 0; attempt < 100 && !file.IsOpen(); ++attempt) {
    temporary = TemporaryPath(path, attempt);
    file = platform::FileDescriptor(
        ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644));
    if (!file.IsOpen() && errno != EEXIST)
      return Fail(error, "cannot create", temporary, platform::SystemError::Last("open"));
  }
  if (!file.IsOpen()) return Fail(error, "cannot create", temporary, {"open", EEXIST});
  platform::SystemError failed = WriteAll(file.Get(), text);
  if (!file.Close() && !failed.Failed()) failed = platform::SystemError::Last("close");
  if (!failed.Failed() && ::rename(temporary.c_str(), path.c_str()) != 0) failed = platform::SystemError::Last("rename");
  if (!failed.Failed()) return true;
  ::unlink(temporary.c_str());
  return Fail(error, "cannot write", path, failed);
}

}  // namespace driver
