#include "platform/folder_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <utility>

#include "platform/debug_log.h"
#include "platform/mutex_lock_file.h"

namespace platform {
namespace {

// The folder's full path with every link resolved; empty when the folder is not there.
std::string FullPath(const std::string& folder) {
  char resolved[PATH_MAX];
  return ::realpath(folder.empty() ? "." : folder.c_str(), resolved) != nullptr ? resolved : std::string();
}

}  // namespace

FolderLock::~FolderLock() {
  if (m_File >= 0) ::close(m_File);
}

FolderLock::FolderLock(FolderLock&& other) noexcept
    : m_File(std::exchange(other.m_File, -1)), m_Folder(std::move(other.m_Folder)) {}

FolderLock& FolderLock::operator=(FolderLock&& other) noexcept {
  if (this != &other) {
    if (m_File >= 0) ::close(m_File);
    m_File = std::exchange(other.m_File, -1);
    m_Folder = std::move(other.m_Folder);
  }
  return *this;
}

FolderLockResult FolderLock::Lock(const std::string& folder, FolderLockPlace place) {
  const std::string fullPath = FullPath(folder);
  if (fullPath.empty()) {
    DebugLog("FolderLock: [%s] not found, errno %d", folder.c_str(), errno);
    return FolderLockResult::Failed;
  }
  int fd = place == FolderLockPlace::kOnTheFolder ? ::open(fullPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)
                                                   : OpenMutexLockFile(fullPath, "qor-folder-");
  if (fd < 0) return FolderLockResult::Failed;
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const int error = errno;
    ::close(fd);
    if (error == EWOULDBLOCK) return FolderLockResult::HeldElsewhere;
    DebugLog("FolderLock: flock [%s] failed, errno %d", fullPath.c_str(), error);
    return FolderLockResult::Failed;
  }
  if (m_File >= 0) ::close(m_File);
  m_File = fd;
  m_Folder = fullPath;
  return FolderLockResult::Locked;
}

bool FolderLock::Covers(const std::string& folder) const { return m_File >= 0 && FullPath(folder) == m_Folder; }

}  // namespace platform
