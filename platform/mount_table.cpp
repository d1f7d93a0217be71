#include "platform/mount_table.h"

#include <fcntl.h>
#include <poll.h>

namespace platform {

FileDescriptor OpenMountTable() {
  FileDescriptor table(::open("/proc/self/mountinfo", O_RDONLY | O_CLOEXEC));
  // The first look reports the table as changed: that one is not a change.
  if (table.IsOpen()) TakeMountTableChange(table);
  return table;
}

bool TakeMountTableChange(const FileDescriptor& table) {
  if (!table.IsOpen()) return false;
  // The system marks the change seen at each look, so this look takes it.
  pollfd look{table.Get(), POLLPRI, 0};
  return ::poll(&look, 1, 0) > 0 && (look.revents & POLLPRI) != 0;
}

}  // namespace platform
