#include "testsupport/log_capture.h"

#include <algorithm>

namespace testsupport {

LogCapture::LogCapture() { platform::AddDebugLogObserver(this); }
LogCapture::~LogCapture() { platform::RemoveDebugLogObserver(this); }

std::vector<std::string> LogCapture::Lines() const {
  std::lock_guard guard(m_Lock);
  return m_Lines;
}

bool LogCapture::Contains(const std::string& text) const { return Count(text) > 0; }

int LogCapture::Count(const std::string& text) const {
  std::lock_guard guard(m_Lock);
  return static_cast<int>(std::count(m_Lines.begin(), m_Lines.end(), text));
}

void LogCapture::OnDebugLine(std::string_view line) {
  std::lock_guard guard(m_Lock);
  m_Lines.emplace_back(line);
}

}  // namespace testsupport
