#pragma once
// What one inotify event means to the watcher. The kernel reports per file; the watcher reports per
// folder and per kind of change, so each event is reduced to one of these kinds.

#include <cstdint>

namespace monitor {

enum class ChangeKind {
  kIgnore,       // not a change the watcher reports (the folder's own attributes, a watch it removed)
  kLastWrite,    // a file directly inside was written (type 1)
  kFileName,     // a file was created, deleted or renamed (type 2)
  kDirName,      // a sub-folder was created, deleted or renamed (type 3)
  kFolderGone,   // the watched folder itself was deleted, moved away or unmounted
  kWatchEnded,   // the kernel dropped the watch (IN_IGNORED)
  kOverflow,     // the kernel's queue overflowed: changes were lost in every folder
};

// Events asked of the kernel for each folder: its direct entries only, never its sub-folders.
std::uint32_t WatchMask();

// Classifies one event by its mask and the length of the name it carries (0 = the folder itself).
ChangeKind ClassifyChange(std::uint32_t mask, std::uint32_t nameLength);

}  // namespace monitor
