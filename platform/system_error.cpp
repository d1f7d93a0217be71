#include "platform/system_error.h"

#include <cerrno>
#include <cstring>

namespace platform {

SystemError SystemError::Last(const char* call) { return {call, errno != 0 ? errno : EIO}; }

std::string SystemError::Text() const {
  if (!Failed()) return {};
  char buffer[256];
  return std::string(::strerror_r(m_Number, buffer, sizeof buffer)) + " (" + m_Call + ")";  // the GNU form
}

}  // namespace platform
