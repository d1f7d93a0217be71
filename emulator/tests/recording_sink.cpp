#include "emulator/tests/recording_sink.h"

#include <algorithm>

namespace emulator::testing {
namespace {
constexpr std::chrono::seconds kLimit{10};
}

void CRecordingSink::Script(const std::string& question, std::vector<std::string> replies) {
  std::lock_guard guard(m_Lock);
  m_Replies[question] = std::deque<std::string>(replies.begin(), replies.end());
}

void CRecordingSink::Record(CRecordedEvent event) {
  {
    std::lock_guard guard(m_Lock);
    m_Events.push_back(std::move(event));
  }
  m_Changed.notify_all();
}

void CRecordingSink::DirectIOEvent(std::int32_t ecr, std::int32_t result, const std::string& text) {
  Record({"DirectIO", ecr, text, 0, result});
}
void CRecordingSink::OutputCompleteEvent(std::int32_t ecr, std::int32_t job, std::int32_t result) {
  Record({"OutputComplete", ecr, {}, job, result});
}
void CRecordingSink::StatusUpdateEvent(std::int32_t ecr, const std::string& status) { Record({"Status", ecr, status}); }
void CRecordingSink::RequestEvent(std::int32_t ecr, std::int32_t, const std::string& text, std::optional<std::string>&) {
  Record({"Request", ecr, text});
}

void CRecordingSink::DataEvent(std::int32_t ecr, std::int32_t, const std::string& text,
                               std::optional<std::string>& reply) {
  {
    std::lock_guard guard(m_Lock);
    auto& replies = m_Replies[text];
    if (!replies.empty()) {
      reply = replies.front();
      replies.pop_front();
    }
  }
  Record({"Data", ecr, text});
}

void CRecordingSink::ReportSavedEvent(std::int32_t ecr, std::int32_t n, const std::string& path) {
  Record({"ReportSaved", ecr, path, n});
}
void CRecordingSink::HistorySavedEvent(std::int32_t ecr, const std::string& path) { Record({"HistorySaved", ecr, path}); }

std::optional<CRecordedEvent> CRecordingSink::WaitFor(const std::string& name, std::int32_t ecr, int count) {
  std::unique_lock lock(m_Lock);
  std::optional<CRecordedEvent> found;
  m_Changed.wait_for(lock, kLimit, [&] {
    int seen = 0;
    for (const CRecordedEvent& event : m_Events)
      if (event.m_Name == name && event.m_Ecr == ecr && ++seen == count) found = event;
    return found.has_value();
  });
  return found;
}

int CRecordingSink::Count(const std::string& name, std::int32_t ecr) const {
  std::lock_guard guard(m_Lock);
  return static_cast<int>(std::count_if(m_Events.begin(), m_Events.end(), [&](const CRecordedEvent& event) {
    return event.m_Name == name && event.m_Ecr == ecr;
  }));
}

std::string CRecordingSink::LastStatus(std::int32_t ecr) const {
  std::lock_guard guard(m_Lock);
  for (auto event = m_Events.rbegin(); event != m_Events.rend(); ++event)
    if (event->m_Name == "Status" && event->m_Ecr == ecr) return event->m_Text;
  return {};
}

bool CRecordingSink::WaitForStatus(std::int32_t ecr, const std::string& part) {
  std::unique_lock lock(m_Lock);
  return m_Changed.wait_for(lock, kLimit, [&] {
    for (auto event = m_Events.rbegin(); event != m_Events.rend(); ++event)
      if (event->m_Name == "Status" && event->m_Ecr == ecr) return event->m_Text.find(part) != std::string::npos;
    return false;
  });
}

std::vector<CRecordedEvent> CRecordingSink::Events() const {
  std::lock_guard guard(m_Lock);
  return m_Events;
}

}  // namespace emulator::testing
