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

// Events asked of the kernel for the nearest existing ancestor of a listed folder that is missing:
// enough to see a folder on the way appear, or the ancestor itself go away.
std::uint32_t AncestorMask();

// True when an event of an ancestor watch may mean that a missing folder can be found again: a
// sub-folder created or moved in, or the ancestor itself deleted, moved away, unmounted or unwatched.
bool CallsForRecovery(std::uint32_t mask);

// True when the event makes a file appear under its name: created, moved in, or written and closed.
bool FileAppears(std::uint32_t mask);

// Classifies one event by its mask and the length of the name it carries (0 = the folder itself).
ChangeKind ClassifyChange(std::uint32_t mask, std::uint32_t nameLength);

}  // namespace monitor
