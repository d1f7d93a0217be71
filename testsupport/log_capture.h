#pragma once
// Collects the debug log lines written while it lives, so a test can check what was logged.

#include <mutex>
#include <string>
#include <vector>

#include "platform/debug_log.h"

namespace testsupport {

class LogCapture final : public platform::IDebugLogObserver {
 public:
  LogCapture();
  ~LogCapture() override;

  std::vector<std::string> Lines() const;
  // True when some line equals text exactly.
  bool Contains(const std::string& text) const;
  // Number of lines that equal text exactly.
  int Count(const std::string& text) const;

  void OnDebugLine(std::string_view line) override;

 private:
  mutable std::mutex m_Lock;
  std::vector<std::string> m_Lines;
};

}  // namespace testsupport
