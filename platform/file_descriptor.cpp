#include "platform/file_descriptor.h"

#include <unistd.h>

namespace platform {

bool FileDescriptor::Close() {
  if (m_Fd < 0) return false;
  return ::close(std::exchange(m_Fd, -1)) == 0;
}

}  // namespace platform
