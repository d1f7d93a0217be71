#include "platform/folder_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "platform/debug_log.h"

namespace platform {

FolderLock::~FolderLock() {
  if (m_Folder >= 0) ::close(m_Folder);
}

FolderLock::FolderLock(FolderLock&& other) noexcept : m_Folder(std::exchange(other.m_Folder, -1)) {}

FolderLock& FolderLock::operator=(FolderLock&& other) noexcept {
  if (this != &other) {
    if (m_Folder >= 0) ::close(m_Folder);
    m_Folder = std::exchange(other.m_Folder, -1);
  }
  return *this;
}

FolderLockResult FolderLock::Lock(const std::string& folder) {
  const std::string path = folder.empty() ? "." : folder;
  int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) {
    DebugLog("FolderLock: open [%s] failed, errno %d", path.c_str(), errno);
    return FolderLockResult::Failed;
  }
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const int error = errno;
    ::close(fd);
    if (error == EWOULDBLOCK) return FolderLockResult::HeldElsewhere;
    DebugLog("FolderLock: flock [%s] failed, errno %d", path.c_str(), error);
    return FolderLockResult::Failed;
  }
  if (m_Folder >= 0) ::close(m_Folder);
  m_Folder = fd;
  return FolderLockResult::Locked;
}

bool FolderLock::Covers(const std::string& folder) const {
  struct stat held {}, named {};
  if (m_Folder < 0 || ::fstat(m_Folder, &held) != 0) return false;
  if (::stat(folder.empty() ? "." : folder.c_str(), &named) != 0) return false;
  return held.st_dev == named.st_dev && held.st_ino == named.st_ino;
}

}  // namespace platform
