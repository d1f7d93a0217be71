#pragma once
// The record of the latest calls into the control and events it raised, in the order they happened:
// "IODirect 2 0;*2;", "Write 2 <OPEN_TICKET>...", "Request 2 5", "event DirectIOEvent 2 0" (result),
// "event OutputCompleteEvent 2 1 0" (job, result), "event DataEvent 2 B80", ...
// It records only when asked to (tests do; the driver never reads it), and then keeps only the latest
// entries, so a control that runs for months does not grow with its work.

#include <deque>
#include <mutex>
#include <string>
#include <vector>

namespace emulator {

class CCallLog {
 public:
  static constexpr std::size_t kKeptEntries = 20000;

  void Record(bool on) {
    std::lock_guard guard(m_Lock);
    m_Recording = on;
  }
  void Add(std::string entry) {
    std::lock_guard guard(m_Lock);
    if (!m_Recording) return;
    if (m_Entries.size() == kKeptEntries) m_Entries.pop_front();
    m_Entries.push_back(std::move(entry));
  }
  std::vector<std::string> Entries() const {
    std::lock_guard guard(m_Lock);
    return {m_Entries.begin(), m_Entries.end()};
  }
  void Clear() {
    std::lock_guard guard(m_Lock);
    m_Entries.clear();
  }

 private:
  mutable std::mutex m_Lock;
  bool m_Recording = false;
  std::deque<std::string> m_Entries;
};

}  // namespace emulator
