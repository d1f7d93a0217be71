#pragma once
// The driver's debug log: one line per message, written to standard error.
// Lines are never translated; QOR_DEBUG_LOG=0 silences standard error (observers still see the lines).

#include <string_view>

namespace platform {

// Formats printf-style into 512 bytes (longer text is cut) and writes the line with a single write(2),
// so lines of different threads never interleave.
void DebugLog(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Receives every log line without its line end; tests read what was logged through it.
class IDebugLogObserver {
 public:
  virtual ~IDebugLogObserver() = default;
  virtual void OnDebugLine(std::string_view line) = 0;
};

void AddDebugLogObserver(IDebugLogObserver* observer);
void RemoveDebugLogObserver(IDebugLogObserver* observer);

}  // namespace platform
