#pragma once
// The system's table of mounted file systems, for those who must notice a share mounted over a folder
// or taken away: no change notification of the folder tells it.

#include "platform/file_descriptor.h"

namespace platform {

// The table, opened to be watched: the descriptor reports an exceptional condition (POLLPRI) once the
// table has changed. No descriptor when it cannot be opened.
FileDescriptor OpenMountTable();

// True when the table changed since the last call (or the opening); the change is then taken.
bool TakeMountTableChange(const FileDescriptor& table);

}  // namespace platform
