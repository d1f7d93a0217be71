#pragma once
// The record of every call into the control and every event it raised, in the order they happened:
// "IODirect 2 0;*2;", "Write 2 <OPEN_TICKET>...", "Request 2 5", "event DirectIOEvent 2",
// "event OutputCompleteEvent 2 1 0" (job, result), "event DataEvent 2 B80", ...

#include <mutex>
#include <string>
#include <vector>

namespace emulator {

class CCallLog {
 public:
  void Add(std::string entry) {
    std::lock_guard guard(m_Lock);
    m_Entries.push_back(std::move(entry));
  }
  std::vector<std::string> Entries() const {
    std::lock_guard guard(m_Lock);
    return m_Entries;
  }
  void Clear() {
    std::lock_guard guard(m_Lock);
    m_Entries.clear();
  }

 private:
  mutable std::mutex m_Lock;
  std::vector<std::string> m_Entries;
};

}  // namespace emulator
