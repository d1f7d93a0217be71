#pragma once
// The repeat interval typed next to "abilita timer", in whole seconds. The form computes the timer's
// interval as a 16-bit number of milliseconds, so only 1 to 32 seconds fit. A text that is not a
// number, rounds to 0, is negative or is above 32 seconds is refused; the form then shows
// "Intervallo Errato!" instead of failing.

#include <optional>
#include <string_view>

namespace demo {

inline constexpr const char* kIntervalError = "Intervallo Errato!";

// The timer interval in milliseconds, or nothing when the text is refused.
std::optional<int> TimerIntervalMilliseconds(std::string_view text);

}  // namespace demo
