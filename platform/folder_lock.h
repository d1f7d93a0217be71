#pragma once
// An exclusive lock on a folder, held for as long as this object lives: flock on the folder itself,
// opened read-only. Nothing is created in the folder, so a folder the process may only read can be
// locked too. The lock belongs to the open folder, so the kernel drops it when the process ends in any
// way (a crash, SIGKILL, the out-of-memory killer): no end can leave it behind. Two FolderLocks of one
// process on the same folder conflict as two processes do.

#include <string>

namespace platform {

enum class FolderLockResult { Locked, HeldElsewhere, Failed };

class FolderLock {
 public:
  FolderLock() = default;
  ~FolderLock();
  FolderLock(FolderLock&& other) noexcept;
  FolderLock& operator=(FolderLock&& other) noexcept;
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

  // One try without waiting; an empty path is the current folder. On Locked this object holds the new
  // lock and gives up the one it held before; otherwise it keeps what it held.
  FolderLockResult Lock(const std::string& folder);
  bool Held() const { return m_Folder >= 0; }
  // True while this object holds the lock of that folder, under whatever name it is given.
  bool Covers(const std::string& folder) const;

 private:
  int m_Folder = -1;
};

}  // namespace platform
