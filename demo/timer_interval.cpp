#include "demo/timer_interval.h"

#include <cstdint>
#include <limits>

#include "demo/numeric_text.h"

namespace demo {

std::optional<int> TimerIntervalMilliseconds(std::string_view text) {
  std::optional<std::int16_t> seconds = ToInteger16(text);
  if (!seconds || *seconds <= 0) return std::nullopt;
  int milliseconds = *seconds * 1000;
  // The product must still fit the 16-bit interval of the timer it was written for.
  if (milliseconds > std::numeric_limits<std::int16_t>::max()) return std::nullopt;
  return milliseconds;
}

}  // namespace demo
