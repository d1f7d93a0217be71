#pragma once
// An exclusive lock on a folder, held for as long as this object lives. The lock belongs to an open
// file, so the kernel drops it when the process ends in any way (a crash, SIGKILL, the out-of-memory
// killer): no end can leave it behind. Two FolderLocks of one process on the same folder conflict as
// two processes do.
//
// Where the lock is taken:
// - on the folder itself (flock on the folder, opened read-only): nothing is created, and a folder the
//   process may only read can be locked; but the folder stays open, and a folder that is open is not
//   reported deleted to an inotify watch on it until it is closed;
// - in the lock folder of the named mutexes, on a file named after the folder's full path (symbolic
//   links resolved): nothing of the folder is kept open, so a folder that others watch and may delete
//   is locked this way. Only processes of the same user see each other's locks.

#include <string>

namespace platform {

enum class FolderLockResult { Locked, HeldElsewhere, Failed };

enum class FolderLockPlace { kOnTheFolder, kInTheLockFolder };

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
  FolderLockResult Lock(const std::string& folder, FolderLockPlace place = FolderLockPlace::kOnTheFolder);
  bool Held() const { return m_File >= 0; }
  // True while this object holds the lock of that folder, under whatever name it is given.
  bool Covers(const std::string& folder) const;

 private:
  int m_File = -1;
  std::string m_Folder;  // full path, links resolved
};

}  // namespace platform
