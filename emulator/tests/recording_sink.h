#pragma once
// A driver stand-in for the emulator tests: records every event, answers data questions from scripted
// replies, and lets a test wait (bounded) for an event.

#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "control_api/fiscal_control.h"

namespace emulator::testing {

struct CRecordedEvent {
  std::string m_Name;  // "DirectIO", "OutputComplete", "Status", "Data", "ReportSaved", "HistorySaved"
  std::int32_t m_Ecr = 0;
  std::string m_Text;
  std::int32_t m_Job = 0;
  std::int32_t m_Result = 0;
};

class CRecordingSink final : public control_api::IFiscalControlEvents {
 public:
  // Replies for a data question, handed out in order; when they run out the question gets no reply.
  void Script(const std::string& question, std::vector<std::string> replies);

  void DirectIOEvent(std::int32_t ecr, std::int32_t result, const std::string& text) override;
  void OutputCompleteEvent(std::int32_t ecr, std::int32_t job, std::int32_t result) override;
  void StatusUpdateEvent(std::int32_t ecr, const std::string& status) override;
  void RequestEvent(std::int32_t ecr, std::int32_t n, const std::string& text,
                    std::optional<std::string>& reply) override;
  void DataEvent(std::int32_t ecr, std::int32_t n, const std::string& text,
                 std::optional<std::string>& reply) override;
  void ReportSavedEvent(std::int32_t ecr, std::int32_t n, const std::string& path) override;
  void HistorySavedEvent(std::int32_t ecr, const std::string& path) override;

  // Waits up to ten seconds for the count-th event (1-based) of that name and register.
  std::optional<CRecordedEvent> WaitFor(const std::string& name, std::int32_t ecr, int count = 1);
  int Count(const std::string& name, std::int32_t ecr) const;
  // The last status text announced for the register.
  std::string LastStatus(std::int32_t ecr) const;
  // Waits until the register's announced status contains the text.
  bool WaitForStatus(std::int32_t ecr, const std::string& part);
  std::vector<CRecordedEvent> Events() const;

 private:
  void Record(CRecordedEvent event);

  mutable std::mutex m_Lock;
  std::condition_variable m_Changed;
  std::vector<CRecordedEvent> m_Events;
  std::map<std::string, std::deque<std::string>> m_Replies;
};

}  // namespace emulator::testing
