// How single inotify events map to the watcher's kinds of change.
#include <gtest/gtest.h>
#include <sys/inotify.h>

#include "monitor/change_event.h"

namespace monitor {
namespace {

TEST(ChangeEvent, EveryKernelEventMapsToItsKind) {
  struct Row {
    const char* name;
    std::uint32_t mask;
    std::uint32_t nameLength;
    ChangeKind expected;
  };
  const Row kRows[] = {
      {"file written", IN_MODIFY, 8, ChangeKind::kLastWrite},
      {"file closed after writing", IN_CLOSE_WRITE, 8, ChangeKind::kLastWrite},
      {"file created", IN_CREATE, 8, ChangeKind::kFileName},
      {"file deleted", IN_DELETE, 8, ChangeKind::kFileName},
      {"file renamed away", IN_MOVED_FROM, 8, ChangeKind::kFileName},
      {"file renamed in", IN_MOVED_TO, 8, ChangeKind::kFileName},
      {"sub-folder created", IN_CREATE | IN_ISDIR, 8, ChangeKind::kDirName},
      {"sub-folder deleted", IN_DELETE | IN_ISDIR, 8, ChangeKind::kDirName},
      {"sub-folder renamed away", IN_MOVED_FROM | IN_ISDIR, 8, ChangeKind::kDirName},
      {"sub-folder renamed in", IN_MOVED_TO | IN_ISDIR, 8, ChangeKind::kDirName},
      {"attributes", IN_ATTRIB, 8, ChangeKind::kIgnore},
      {"opened", IN_OPEN, 8, ChangeKind::kIgnore},
      {"read", IN_ACCESS, 8, ChangeKind::kIgnore},
      {"closed unwritten", IN_CLOSE_NOWRITE, 8, ChangeKind::kIgnore},
      {"folder itself modified", IN_MODIFY, 0, ChangeKind::kIgnore},
      {"folder's own attributes", IN_ATTRIB | IN_ISDIR, 0, ChangeKind::kIgnore},
      {"folder deleted", IN_DELETE_SELF, 0, ChangeKind::kFolderGone},
      {"folder moved away", IN_MOVE_SELF, 0, ChangeKind::kFolderGone},
      {"file system unmounted", IN_UNMOUNT, 0, ChangeKind::kFolderGone},
      {"watch dropped", IN_IGNORED, 0, ChangeKind::kWatchEnded},
      {"queue overflow", IN_Q_OVERFLOW, 0, ChangeKind::kOverflow},
  };
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(row.expected, ClassifyChange(row.mask, row.nameLength));
  }
}

}  // namespace
}  // namespace monitor
