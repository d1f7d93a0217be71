#include "platform/mutex_lock_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/debug_log.h"

namespace platform {
namespace {

// Mutex names may hold any character; the file name keeps letters, digits, '-' and '.' and writes
// every other byte as %XX, so two names never share a file.
std::string EscapedFileName(const char* prefix, const std::string& name) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out = prefix;
  for (unsigned char c : name) {
    bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
                 c == '.';
    if (plain) {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out + ".lock";
}

// The fallback folder in /tmp is shared by every user: it must be ours, a real folder, and private.
bool PrivateFolderReady(const std::string& folder) {
  if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return false;
  struct stat info {};
  if (::lstat(folder.c_str(), &info) != 0) return false;
  return S_ISDIR(info.st_mode) && info.st_uid == ::getuid() && (info.st_mode & 077) == 0;
}

struct flock WholeFile(short type) {
  struct flock lock {};
  lock.l_type = type;
  lock.l_whence = SEEK_SET;
  lock.l_start = 0;
  lock.l_len = 0;
  return lock;
}

void WriteHeldMark(int fd, char mark) {
  ssize_t ignored = ::pwrite(fd, &mark, 1, 0);
  (void)ignored;
}

bool HasRuntimeFolder() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  return runtime != nullptr && runtime[0] != '\0';
}

}  // namespace

std::string MutexLockFolder() {
  if (HasRuntimeFolder()) return std::getenv("XDG_RUNTIME_DIR");
  return "/tmp/qor-" + std::to_string(::getuid());
}

int OpenMutexLockFile(const std::string& name, const char* prefix) {
  std::string folder = MutexLockFolder();
  if (!HasRuntimeFolder() && !PrivateFolderReady(folder)) {
    DebugLog("NamedMutex: lock folder [%s] is not usable", folder.c_str());
    return -1;
  }
  std::string path = folder + "/" + EscapedFileName(prefix, name);
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) DebugLog("NamedMutex: open [%s] failed, errno %d", path.c_str(), errno);
  return fd;
}

LockFileTry TryLockMutexFile(int fd) {
  struct flock lock = WholeFile(F_WRLCK);
  if (::fcntl(fd, F_OFD_SETLK, &lock) != 0) {
    if (errno == EAGAIN || errno == EACCES) return LockFileTry::HeldElsewhere;
    DebugLog("NamedMutex: F_OFD_SETLK failed, errno %d", errno);
    return LockFileTry::Failed;
  }
  char mark = '0';
  bool deadOwner = ::pread(fd, &mark, 1, 0) == 1 && mark == '1';
  WriteHeldMark(fd, '1');
  return deadOwner ? LockFileTry::TakenAfterDeadOwner : LockFileTry::Taken;
}

void UnlockMutexFile(int fd) {
  WriteHeldMark(fd, '0');
  struct flock lock = WholeFile(F_UNLCK);
  ::fcntl(fd, F_OFD_SETLK, &lock);
}

}  // namespace platform
