#include "monitor/change_event.h"

#include <sys/inotify.h>

namespace monitor {

std::uint32_t WatchMask() {
  // IN_CLOSE_WRITE counts as a write: a writer's close always wakes the client, so a ticket whose
  // writer was still busy at the last scan is seen once it is complete. IN_ATTRIB is left out, as
  // attribute changes are not writes. IN_EXCL_UNLINK keeps files already deleted from reporting.
  return IN_MODIFY | IN_CLOSE_WRITE | IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_DELETE_SELF |
         IN_MOVE_SELF | IN_ONLYDIR | IN_EXCL_UNLINK;
}

std::uint32_t AncestorMask() {
  // IN_MASK_ADD: the ancestor may be a listed folder too (one inode, one watch), whose own events
  // must keep coming.
  return IN_CREATE | IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR | IN_MASK_ADD;
}

bool CallsForRecovery(std::uint32_t mask) {
  if (mask & (IN_DELETE_SELF | IN_MOVE_SELF | IN_UNMOUNT | IN_IGNORED)) return true;
  return (mask & IN_ISDIR) && (mask & (IN_CREATE | IN_MOVED_TO));
}

bool FileAppears(std::uint32_t mask) {
  return (mask & IN_ISDIR) == 0 && (mask & (IN_CREATE | IN_MOVED_TO | IN_CLOSE_WRITE)) != 0;
}

ChangeKind ClassifyChange(std::uint32_t mask, std::uint32_t nameLength) {
  if (mask & IN_Q_OVERFLOW) return ChangeKind::kOverflow;
  if (mask & IN_IGNORED) return ChangeKind::kWatchEnded;
  if (mask & (IN_DELETE_SELF | IN_MOVE_SELF | IN_UNMOUNT)) return ChangeKind::kFolderGone;
  // Events without a name concern the folder itself, not its contents.
  if (nameLength == 0) return ChangeKind::kIgnore;
  const bool isFolder = (mask & IN_ISDIR) != 0;
  if (mask & (IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO))
    return isFolder ? ChangeKind::kDirName : ChangeKind::kFileName;
  if ((mask & (IN_MODIFY | IN_CLOSE_WRITE)) && !isFolder) return ChangeKind::kLastWrite;
  return ChangeKind::kIgnore;
}

}  // namespace monitor
