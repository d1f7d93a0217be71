#include "demo/run_counter.h"

#include <cstdio>
#include <limits>

namespace demo {

int CRunCounter::Increment() {
  if (m_Value == std::numeric_limits<std::int16_t>::max()) return kOverflow;
  ++m_Value;
  return 0;
}

std::string CRunCounter::Display() const {
  char text[16];
  std::snprintf(text, sizeof text, "%05d", static_cast<int>(m_Value));
  return text;
}

}  // namespace demo
