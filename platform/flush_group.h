#pragma once
// Group commit for the driver's files: each step asks for some files' data to be put on the disk, then
// some names to be given, then some folders' names to be put on the disk. Steps asked for while a
// round of flushes runs are served together by the next round, whatever thread asked, so a burst of
// tickets over many registers costs a few flushes per round rather than a few per ticket.
//
// Cached mode flushes nothing (for a machine whose disk cache survives a power cut): the names are
// given at once on the caller's thread and the step is done.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/system_error.h"

namespace platform {

struct CFlushStep {
  std::vector<std::string> m_Files;
  // Renamed without replacing a file already at the new name, once the files' data is on the disk.
  std::vector<std::pair<std::string, std::string>> m_Renames;
  std::vector<std::string> m_Folders;
};

struct CFlushOutcome {
  SystemError m_Error;  // the first failure; nothing failed when the whole step was done
  std::string m_Path;   // what failed
  bool Done() const { return !m_Error.Failed(); }
};

class CFlushGroup {
 public:
  enum class Mode { kDurable, kCached };
  using Done = std::function<void(const CFlushOutcome&)>;

  explicit CFlushGroup(Mode mode = Mode::kCached);
  // Changes the mode before the first step is asked for (once the settings are read).
  void UseMode(Mode mode);
  // Serves the steps still asked for, then ends the group's thread.
  ~CFlushGroup();
  CFlushGroup(const CFlushGroup&) = delete;
  CFlushGroup& operator=(const CFlushGroup&) = delete;

  bool Durable() const { return m_Mode == Mode::kDurable; }

  // Runs the step and returns once it is done. Any thread.
  CFlushOutcome Flush(CFlushStep step);
  // The same without waiting: done is called once the step is done, on the group's thread (in cached
  // mode at once, on the caller's). Steps are done, and their calls made, in the order asked for.
  void FlushThen(CFlushStep step, Done done);

  struct CCounts {
    std::uint64_t m_Steps = 0;   // steps asked for
    std::uint64_t m_Rounds = 0;  // rounds that flushed something
    std::uint64_t m_Calls = 0;   // flushes of a file or folder
  };
  CCounts Counts() const;

 private:
  struct CPending {
    CFlushStep m_Step;
    Done m_Done;
  };
  void Serve();
  void RunRound(std::deque<CPending>& round);

  Mode m_Mode;
  mutable std::mutex m_Lock;
  std::condition_variable m_Asked;
  std::deque<CPending> m_Pending;
  bool m_Ending = false;
  CCounts m_Counts;
  std::thread m_Thread;
};

}  // namespace platform
