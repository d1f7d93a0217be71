#pragma once
// The cross-process half of a named mutex: one lock file per name, locked through its open file
// description (fcntl F_OFD_SETLK), so threads and processes conflict alike and the kernel drops the
// lock when its process dies. Byte 0 of the file is the "held" mark: '1' while an owner has the
// mutex, '0' once this process lets go of it. Finding '1' when taking the lock means that the last
// owner's process died holding it; the mark is then stale and the mutex free.

#include <string>

namespace platform {

// Folder of the lock files: $XDG_RUNTIME_DIR, else /tmp/qor-<uid> (made private to the user).
std::string MutexLockFolder();

// Opens (creating it) the lock file of a mutex name, "<lock folder>/<prefix><name, escaped>.lock";
// -1 on failure, with the reason logged.
int OpenMutexLockFile(const std::string& name, const char* prefix = "qor-mutex-");

enum class LockFileTry { Taken, TakenAfterDeadOwner, HeldElsewhere, Failed };

// One non-blocking try; on success the held mark is set.
LockFileTry TryLockMutexFile(int fd);

// Clears the held mark and drops the lock.
void UnlockMutexFile(int fd);

}  // namespace platform
