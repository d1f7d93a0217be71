#include "driver/status/status_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/file_descriptor.h"

namespace driver {
namespace {

// ".status.json.<pid>.<n>": hidden, and not ending in ".prom", so no collector reads it half written.
std::string TemporaryPath(const std::string& path, int attempt) {
  size_t slash = path.rfind('/');
  std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  return folder + "." + name + "." + std::to_string(::getpid()) + "." + std::to_string(attempt);
}

bool Fail(std::string& error, const std::string& step, const std::string& path, int code) {
  error = step + " " + path + ": " + std::strerror(code);
  return false;
}

// 0, or the error that stopped the writing.
int WriteAll(int fd, const QByteArray& text) {
  const char* next = text.constData();
  qsizetype left = text.size();
  while (left > 0) {
    ssize_t written = ::write(fd, next, static_cast<size_t>(left));
    if (written < 0 && errno == EINTR) continue;
    if (written < 0) return errno;
    if (written == 0) return EIO;
    next += written;
    left -= written;
  }
  return 0;
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
    if (!file.IsOpen() && errno != EEXIST) return Fail(error, "cannot create", temporary, errno);
  }
  if (!file.IsOpen()) return Fail(error, "cannot create", temporary, EEXIST);
  int code = WriteAll(file.Get(), text);
  if (!file.Close() && code == 0) code = errno;
  if (code == 0 && ::rename(temporary.c_str(), path.c_str()) != 0) code = errno;
  if (code == 0) return true;
  ::unlink(temporary.c_str());
  return Fail(error, "cannot write", path, code);
}

}  // namespace driver
