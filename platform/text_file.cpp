#include "platform/text_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdio>

#include "platform/folder_files.h"

namespace platform {
namespace {

// Reads from the file's start until its end or until more than limit bytes have come.
bool ReadUpTo(int fd, std::size_t limit, std::string& bytes) {
  char chunk[8192];
  off_t offset = 0;
  while (bytes.size() <= limit) {
    ssize_t got = ::pread(fd, chunk, sizeof chunk, offset);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return false;
    if (got == 0) break;
    bytes.append(chunk, static_cast<std::size_t>(got));
    offset += got;
  }
  return true;
}

// A name no other writer can have taken: the process, a counter of its own and the clock.
std::string PrivateName(const std::string& path) {
  static std::atomic<unsigned> counter{0};
  struct timespec now {};
  ::clock_gettime(CLOCK_MONOTONIC, &now);
  return path + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(counter.fetch_add(1)) + "-" +
         std::to_string(now.tv_nsec);
}

}  // namespace

std::optional<std::string> ReadWholeFile(const std::string& path) {
  FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!file.IsOpen()) return std::nullopt;
  std::string bytes;
  if (!ReadUpTo(file.Get(), SIZE_MAX - 1, bytes)) return std::nullopt;
  return bytes;
}

ReadOutcome ReadOpenFile(const FileDescriptor& file, std::size_t limit, std::string& bytes) {
  bytes.clear();
  struct stat info {};
  if (::fstat(file.Get(), &info) != 0) return ReadOutcome::Failed;
  if (static_cast<std::uintmax_t>(info.st_size) > limit) return ReadOutcome::TooLarge;
  if (!ReadUpTo(file.Get(), limit, bytes)) return ReadOutcome::Failed;
  return bytes.size() > limit ? ReadOutcome::TooLarge : ReadOutcome::Read;
}

bool ReplaceWholeFile(const std::string& path, const std::string& bytes) {
  std::string temporary = PrivateName(path);
  FileDescriptor file(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644));
  if (!file.IsOpen()) return false;
  // Keep the permissions of the file being replaced (never of a link's target).
  struct stat old {};
  bool written = WriteAll(file, bytes);
  if (written && ::lstat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode)) ::fchmod(file.Get(), old.st_mode & 07777);
  if (!file.Close() || !written || std::rename(temporary.c_str(), path.c_str()) != 0) {
    ::unlink(temporary.c_str());
    return false;
  }
  return true;
}

}  // namespace platform
