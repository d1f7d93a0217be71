#include "emulator/emulator_engine.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "emulator/command_runner.h"
#include "emulator/emulator_settings.h"
#include "emulator/result_codes.h"
#include "emulator/settings_watch.h"
#include "emulator/star_family.h"
#include "emulator/status_text.h"
#include "emulator/zero_family.h"

namespace emulator {
namespace {

std::string AbsoluteBase(const std::string& baseDirectory) {
  std::error_code ignored;
  const std::filesystem::path base = baseDirectory.empty() ? std::filesystem::current_path(ignored)
                                                           : std::filesystem::path(baseDirectory);
  std::string text = std::filesystem::absolute(base, ignored).lexically_normal().string();
  while (text.size() > 1 && text.back() == '/') text.pop_back();
  return text;
}

// The PRINT value of "<REPORT><PRINT>%d</PRINT></REPORT>" or the zero-set form.
bool PrintRequested(const std::string& text) { return text.find("<PRINT>1</PRINT>") != std::string::npos; }

}  // namespace

CEmulatorEngine::CEmulatorEngine(std::string baseDirectory)
    : m_BaseDirectory(AbsoluteBase(baseDirectory)), m_ReportFolder(m_BaseDirectory + "/Reports") {
  m_WakeDescriptor = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
}

CEmulatorEngine::~CEmulatorEngine() {
  Close();
  if (m_WakeDescriptor >= 0) ::close(m_WakeDescriptor);
}

void CEmulatorEngine::SetEventSink(control_api::IFiscalControlEvents* sink) {
  // Waits for an event being delivered to the old sink to end.
  std::lock_guard guard(m_SinkLock);
  m_Sink = sink;
}

std::string CEmulatorEngine::ReportFolder() const {
  std::lock_guard guard(m_StateLock);
  return m_ReportFolder;
}

void CEmulatorEngine::SetReportFolder(const std::string& folder) {
  std::lock_guard guard(m_StateLock);
  m_ReportFolder = folder;
}

std::int32_t CEmulatorEngine::Open() {
  m_CallLog.Add("Open");
  const CEmulatorSettings settings = LoadEmulatorSettings(m_BaseDirectory + "/" + kSettingsFileName);
  std::lock_guard guard(m_StateLock);
  if (m_Open) return kStatusAlreadyOpen;
  m_Order.clear();
  m_Registers.clear();
  m_Memories.clear();
  m_Announced.clear();
  m_Queue.clear();
  const MemorySync sync = settings.m_SyncMemory ? MemorySync::kSynced : MemorySync::kCached;
  for (const auto& [number, type] : settings.m_Registers) {
    m_Order.push_back(number);
    CRegister ecr = MakeRegister(number, type);
    if (const auto faults = settings.m_Faults.find(number); faults != settings.m_Faults.end()) ecr.m_Faults = faults->second;
    auto memory = m_Memories.emplace(number, CMemoryFile(m_BaseDirectory, number, sync)).first;
    memory->second.Load(ecr);
    m_Registers.emplace(number, std::move(ecr));
  }
  m_Watch = std::make_unique<CSettingsWatch>(m_BaseDirectory, kSettingsFileName);
  m_Open = true;
  m_Stopping = false;
  m_Worker = std::thread([this] { WorkerLoop(); });
  return kStatusOk;
}

std::int32_t CEmulatorEngine::Close() {
  {
    std::lock_guard guard(m_StateLock);
    if (!m_Open) return kStatusNotOpen;
    m_Stopping = true;
    m_Open = false;
  }
  m_StopSignal.notify_all();
  Wake();
  if (m_Worker.joinable()) {
    if (m_Worker.get_id() == std::this_thread::get_id()) m_Worker.detach();
    else m_Worker.join();
  }
  std::lock_guard guard(m_StateLock);
  m_Queue.clear();
  m_Outbox.clear();
  m_Watch.reset();
  return kStatusOk;
}

void CEmulatorEngine::Remember(CRegister& ecr) {
  const auto memory = m_Memories.find(ecr.m_Number);
  if (memory != m_Memories.end()) memory->second.Save(ecr);
}

std::vector<std::string> CEmulatorEngine::HistoryOf(const CRegister& ecr) const {
  const auto memory = m_Memories.find(ecr.m_Number);
  if (memory != m_Memories.end()) return memory->second.History(ecr);
  return ecr.m_NewHistory;
}

CRegister* CEmulatorEngine::Find(int ecr) {
  const auto found = m_Registers.find(ecr);
  return found == m_Registers.end() ? nullptr : &found->second;
}

std::int32_t CEmulatorEngine::CheckRegister(std::int32_t ecr) {
  std::lock_guard guard(m_StateLock);
  if (!m_Open) return kStatusNotOpen;
  return Find(ecr) == nullptr ? kStatusUnknownRegister : kStatusOk;
}

std::int32_t CEmulatorEngine::QueueCommand(CPendingCommand command) {
  {
    std::lock_guard guard(m_StateLock);
    if (!m_Open) return kStatusNotOpen;
    const CRegister* ecr = Find(command.m_Ecr);
    if (ecr == nullptr) return kStatusUnknownRegister;
    // A register that does not answer loses what it is sent.
    if (ecr->m_Faults.m_NoAnswer) return kStatusOk;
    m_Queue.push_back(std::move(command));
  }
  Wake();
  return kStatusOk;
}

std::int32_t CEmulatorEngine::Write(std::int32_t ecr, const std::string& element, std::int32_t& job) {
  m_CallLog.Add("Write " + std::to_string(ecr) + " " + element);
  {
    std::lock_guard guard(m_StateLock);
    if (!m_Open) return kStatusNotOpen;
    job = m_NextJob++;
  }
  CPendingCommand command;
  command.m_Ecr = ecr;
  command.m_Kind = CommandKind::kWrite;
  command.m_Text = element;
  command.m_Job = job;
  command.m_Prints = true;
  return QueueCommand(std::move(command));
}

std::int32_t CEmulatorEngine::IODirect(std::int32_t ecr, const std::string& text) {
  m_CallLog.Add("IODirect " + std::to_string(ecr) + " " + text);
  std::int32_t type = -1;
  {
    std::lock_guard guard(m_StateLock);
    if (!m_Open) return kStatusNotOpen;
    if (const CRegister* found = Find(ecr)) type = found->m_Type;
  }
  if (type < 0) return kStatusUnknownRegister;
  const bool zero = type == 1 || type == 2;
  CPendingCommand command;
  command.m_Ecr = ecr;
  command.m_Kind = CommandKind::kIODirect;
  command.m_Text = text;
  command.m_Unknown = zero ? !IsZeroCommand(text) : !IsStarCommand(text);
  command.m_Prints = zero ? ZeroCommandPrints(text) : StarCommandPrints(text);
  const std::int32_t status = QueueCommand(std::move(command));
  // An unknown command is refused at the call; it is journalled but has no completion to wait for.
  return status == kStatusOk && (zero ? !IsZeroCommand(text) : !IsStarCommand(text)) ? kStatusUnknownCommand : status;
}

std::int32_t CEmulatorEngine::Request(std::int32_t ecr, std::int32_t code, std::string& text) {
  m_CallLog.Add("Request " + std::to_string(ecr) + " " + std::to_string(code));
  std::unique_lock guard(m_StateLock);
  if (!m_Open) return kStatusNotOpen;
  if (ecr == control_api::kRequestRegisterListEcr && code == control_api::kRequestRegisterList) {
    std::vector<std::pair<int, int>> list;
    for (int number : m_Order) list.emplace_back(number, m_Registers.at(number).m_Type);
    text = RegisterListText(list);
    return kStatusOk;
  }
  const CRegister* found = Find(ecr);
  if (found == nullptr) return kStatusUnknownRegister;
  if (found->m_Faults.m_NoAnswer) return kStatusNoAnswer;
  if (code == control_api::kRequestCounters) {
    text = CountersText(*found);
    return kStatusOk;
  }
  if (code == control_api::kRequestStatus) {
    text = StatusText(*found);
    return kStatusOk;
  }
  const std::string requestText = text;
  guard.unlock();
  text.clear();
  return QueueRequest(ecr, code, requestText);
}

std::int32_t CEmulatorEngine::QueueRequest(std::int32_t ecr, std::int32_t code, const std::string& text) {
  CPendingCommand command;
  command.m_Ecr = ecr;
  command.m_Print = PrintRequested(text);
  if (code == control_api::kRequestHistory) {
    command.m_Kind = CommandKind::kHistory;
  } else if (code == control_api::kRequestHistoryRollback) {
    command.m_Kind = CommandKind::kRollback;
  } else if (code >= control_api::kRequestReportBase && code < control_api::kRequestReportBase + 8) {
    command.m_Kind = CommandKind::kReport;
    command.m_Code = code - control_api::kRequestReportBase;
    command.m_Prints = command.m_Print;
  } else if (code >= control_api::kRequestZeroSetBase && code < control_api::kRequestZeroSetBase + 6) {
    command.m_Kind = CommandKind::kZeroSet;
    command.m_Code = code - control_api::kRequestZeroSetBase;
    command.m_Prints = true;
  } else {
    return kStatusUnknownRequest;
  }
  return QueueCommand(std::move(command));
}

std::int32_t CEmulatorEngine::ClearOutput(std::int32_t ecr) {
  m_CallLog.Add("ClearOutput " + std::to_string(ecr));
  std::lock_guard guard(m_StateLock);
  if (!m_Open) return kStatusNotOpen;
  if (Find(ecr) == nullptr) return kStatusUnknownRegister;
  std::erase_if(m_Queue, [ecr](const CPendingCommand& command) { return command.m_Ecr == ecr; });
  return kStatusOk;
}

void CEmulatorEngine::ChangeFaults(int ecr, const std::function<void(CRegisterFaults&)>& change) {
  {
    std::lock_guard guard(m_StateLock);
    CRegister* found = Find(ecr);
    if (found == nullptr) return;
    change(found->m_Faults);
  }
  Wake();
}

std::vector<std::string> CEmulatorEngine::CallLogEntries() {
  std::lock_guard sinkGuard(m_SinkLock);
  return m_CallLog.Entries();
}

void CEmulatorEngine::Wake() {
  const std::uint64_t one = 1;
  if (m_WakeDescriptor >= 0) (void)!::write(m_WakeDescriptor, &one, sizeof one);
}

}  // namespace emulator
