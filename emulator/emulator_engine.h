#pragma once
// The engine behind the emulated control. Calls take effect in arrival order on one worker thread per
// control: Write, IODirect and the report, zero-set and history requests are queued and answered by
// events; Request 5 and the register list are answered at once from the state, under the state lock.
// Events are raised on the worker thread and never while the state lock is held, so a sink may call
// back into the control. With nothing to do the worker sleeps in poll() on a wake-up descriptor and the
// settings file watch.

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "control_api/fiscal_control.h"
#include "emulator/call_log.h"
#include "emulator/memory_file.h"
#include "emulator/pending_command.h"
#include "emulator/register_state.h"

namespace emulator {

class CSettingsWatch;

class CEmulatorEngine {
 public:
  explicit CEmulatorEngine(std::string baseDirectory);
  ~CEmulatorEngine();

  const std::string& BaseDirectory() const { return m_BaseDirectory; }
  void SetEventSink(control_api::IFiscalControlEvents* sink);
  std::string ReportFolder() const;
  void SetReportFolder(const std::string& folder);

  std::int32_t Open();
  std::int32_t Close();
  std::int32_t Write(std::int32_t ecr, const std::string& element, std::int32_t& job);
  std::int32_t Request(std::int32_t ecr, std::int32_t code, std::string& text);
  std::int32_t IODirect(std::int32_t ecr, const std::string& command);
  std::int32_t ClearOutput(std::int32_t ecr);
  std::int32_t CheckRegister(std::int32_t ecr);

  // Faults caused from outside; each change is announced with a StatusUpdateEvent.
  void ChangeFaults(int ecr, const std::function<void(CRegisterFaults&)>& change);
  CCallLog& CallLog() { return m_CallLog; }
  // The entries so far; waits for an event being raised to reach the sink, so every event listed has.
  std::vector<std::string> CallLogEntries();

  // Used by the worker's command runner.
  struct CEvent {
    std::string m_LogEntry;
    std::function<void(control_api::IFiscalControlEvents&)> m_Deliver;
  };

 private:
  friend class CCommandRunner;

  void Wake();
  void WorkerLoop();
  void WaitForWork();
  void ReloadFaults();
  std::optional<CPendingCommand> TakeRunnable();
  void AnnounceStatusChanges();
  void Announce(CRegister& ecr);
  void Emit(std::unique_lock<std::mutex>& stateLock);
  std::optional<std::string> AskDriver(std::unique_lock<std::mutex>& stateLock, int ecr, const std::string& question);
  void PrintingPause(std::unique_lock<std::mutex>& stateLock, int lines, int delayMs);
  // Keeps what the register now remembers; before a command's completion is told.
  void Remember(CRegister& ecr);
  // The register's whole electronic journal, for a history request.
  std::vector<std::string> HistoryOf(const CRegister& ecr) const;
  std::int32_t QueueCommand(CPendingCommand command);
  std::int32_t QueueRequest(std::int32_t ecr, std::int32_t code, const std::string& text);
  CRegister* Find(int ecr);

  const std::string m_BaseDirectory;
  CCallLog m_CallLog;

  mutable std::mutex m_StateLock;  // everything below up to the sink
  bool m_Open = false;
  bool m_Stopping = false;
  std::string m_ReportFolder;
  std::vector<int> m_Order;  // register numbers in list order
  std::map<int, CRegister> m_Registers;
  std::map<int, CMemoryFile> m_Memories;  // by register number
  struct CAnnounced {
    std::uint64_t m_Inputs = 0;
    std::string m_Text;
  };
  std::map<int, CAnnounced> m_Announced;  // last status sent per register
  std::vector<CPendingCommand> m_Queue;
  std::vector<CEvent> m_Outbox;
  std::int32_t m_NextJob = 1;

  std::recursive_mutex m_SinkLock;  // held while an event is delivered
  control_api::IFiscalControlEvents* m_Sink = nullptr;

  int m_WakeDescriptor = -1;
  std::unique_ptr<CSettingsWatch> m_Watch;
  std::condition_variable m_StopSignal;
  std::thread m_Worker;
};

}  // namespace emulator
