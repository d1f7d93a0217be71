#include "platform/text_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>

namespace platform {
namespace {

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// A renamed name is on the disk once its folder is synced.
bool SyncFolder(const std::string& folder) {
  int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  bool synced = ::fsync(fd) == 0;
  ::close(fd);
  return synced;
}

// The whole file written (with the permissions of the file it is to replace), closed and, when asked
// for, synced; removed again when any of that fails.
bool WriteNewFile(const std::string& temporary, const std::string& replaced, const std::string& bytes,
                  Durability durability) {
  int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  std::size_t done = 0;
  while (done < bytes.size()) {
    ssize_t put = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (put < 0 && errno == EINTR) continue;
    if (put < 0) break;
    done += static_cast<std::size_t>(put);
  }
  struct stat old {};
  if (::stat(replaced.c_str(), &old) == 0) ::fchmod(fd, old.st_mode & 07777);
  const bool synced = durability == Durability::kCached || ::fsync(fd) == 0;
  if (::close(fd) != 0 || !synced || done < bytes.size()) {
    ::unlink(temporary.c_str());
    return false;
  }
  return true;
}

}  // namespace

std::optional<std::string> ReadWholeFile(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  std::string bytes;
  char chunk[8192];
  for (;;) {
    ssize_t got = ::read(fd, chunk, sizeof chunk);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      ::close(fd);
      return std::nullopt;
    }
    if (got == 0) break;
    bytes.append(chunk, static_cast<std::size_t>(got));
  }
  ::close(fd);
  return bytes;
}

bool ReplaceWholeFile(const std::string& path, const std::string& bytes, Durability durability) {
  std::string temporary = path + ".tmp-" + std::to_string(::getpid()) + "-" +
                          std::to_string(reinterpret_cast<std::uintptr_t>(&bytes));
  if (!WriteNewFile(temporary, path, bytes, durability)) return false;
  if (std::rename(temporary.c_str(), path.c_str()) != 0) {
    ::unlink(temporary.c_str());
    return false;
  }
  return durability == Durability::kCached || SyncFolder(FolderOf(path));
}

bool ReplaceOwnFile(const std::string& path, const std::string& bytes, Durability durability) {
  const std::string next = path + ".new";
  // A new file left by a writer that ended before renaming it is the only whole one: it goes first.
  if (::access(path.c_str(), F_OK) != 0 && ::access(next.c_str(), F_OK) == 0) std::rename(next.c_str(), path.c_str());
  if (!WriteNewFile(next, path, bytes, durability)) return false;
  if ((::unlink(path.c_str()) != 0 && errno != ENOENT) || std::rename(next.c_str(), path.c_str()) != 0) return false;
  return durability == Durability::kCached || SyncFolder(FolderOf(path));
}

std::optional<std::string> ReadOwnFile(const std::string& path) {
  if (std::optional<std::string> bytes = ReadWholeFile(path)) return bytes;
  return ReadWholeFile(path + ".new");
}

bool SyncFileData(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  bool synced = ::fdatasync(fd) == 0;
  ::close(fd);
  return synced;
}

}  // namespace platform
