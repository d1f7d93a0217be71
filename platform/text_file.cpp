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

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// A renamed name is on the disk once its folder is synced.
bool SyncFolder(const std::string& folder) {
  FileDescriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  return fd.IsOpen() && ::fsync(fd.Get()) == 0;
}

// The whole file written, created exclusively and never through a link, with the permissions of the
// regular file it is to replace (never a link's target), closed and, when asked for, synced; removed
// again when any of that fails.
bool WriteNewFile(const std::string& temporary, const std::string& replaced, const std::string& bytes,
                  Durability durability) {
  FileDescriptor file(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644));
  if (!file.IsOpen()) return false;
  const bool written = WriteAll(file, bytes);
  struct stat old {};
  if (written && ::lstat(replaced.c_str(), &old) == 0 && S_ISREG(old.st_mode)) ::fchmod(file.Get(), old.st_mode & 07777);
  const bool synced = durability == Durability::kCached || ::fsync(file.Get()) == 0;
  if (!file.Close() || !written || !synced) {
    ::unlink(temporary.c_str());
    return false;
  }
  return true;
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

bool ReplaceWholeFile(const std::string& path, const std::string& bytes, Durability durability) {
  const std::string temporary = PrivateName(path);
  if (!WriteNewFile(temporary, path, bytes, durability)) return false;
  if (std::rename(temporary.c_str(), path.c_str()) != 0) {
    ::unlink(temporary.c_str());
    return false;
  }
  return durability == Durability::kCached || SyncFolder(FolderOf(path));
}

bool SyncFileData(const std::string& path) {
  FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  return fd.IsOpen() && ::fdatasync(fd.Get()) == 0;
}

}  // namespace platform
