// The worker side of CEmulatorEngine: it waits for calls and for changes of the settings file, runs
// queued commands in arrival order (skipping those of a register that holds them), announces every
// change of a register's status, and delivers events without holding the state lock.

#include <poll.h>
#include <unistd.h>

#include "emulator/command_runner.h"
#include "emulator/emulator_engine.h"
#include "emulator/emulator_settings.h"
#include "emulator/settings_watch.h"
#include "emulator/status_text.h"

namespace emulator {

void CEmulatorEngine::WorkerLoop() {
  std::unique_lock lock(m_StateLock);
  while (!m_Stopping) {
    // Faults written while commands follow one another apply from the next command on, and before the
    // completion of the last one is told: what a register is sent after it meets the fault.
    if (m_Watch && m_Watch->SettingsChanged()) {
      lock.unlock();
      ReloadFaults();
      lock.lock();
    }
    AnnounceStatusChanges();
    Emit(lock);
    if (m_Stopping) break;
    if (std::optional<CPendingCommand> command = TakeRunnable()) {
      CRegister* ecr = Find(command->m_Ecr);
      if (ecr != nullptr) CCommandRunner(*this, lock, *ecr).Run(*command);
      continue;
    }
    lock.unlock();
    WaitForWork();
    lock.lock();
  }
}

// Sleeps until a call, a change in the settings folder or Close wakes it.
void CEmulatorEngine::WaitForWork() {
  const int watch = m_Watch ? m_Watch->Descriptor() : -1;
  pollfd descriptors[2] = {{m_WakeDescriptor, POLLIN, 0}, {watch, POLLIN, 0}};
  while (::poll(descriptors, watch >= 0 ? 2 : 1, -1) < 0 && errno == EINTR) {
  }
  std::uint64_t count = 0;
  (void)!::read(m_WakeDescriptor, &count, sizeof count);
}

// The file's values replace the faults of every register at each change of the file.
void CEmulatorEngine::ReloadFaults() {
  const CEmulatorSettings settings = LoadEmulatorSettings(m_BaseDirectory + "/" + kSettingsFileName);
  std::lock_guard guard(m_StateLock);
  for (auto& [number, ecr] : m_Registers) {
    const auto faults = settings.m_Faults.find(number);
    ecr.m_Faults = faults == settings.m_Faults.end() ? CRegisterFaults{} : faults->second;
  }
}

std::optional<CPendingCommand> CEmulatorEngine::TakeRunnable() {
  std::vector<int> heldRegisters;
  for (auto command = m_Queue.begin(); command != m_Queue.end(); ++command) {
    if (std::find(heldRegisters.begin(), heldRegisters.end(), command->m_Ecr) != heldRegisters.end()) continue;
    const CRegister* ecr = Find(command->m_Ecr);
    // A register works through its own commands in order: one held command holds those behind it.
    if (ecr != nullptr && IsHeld(*command, *ecr)) {
      heldRegisters.push_back(command->m_Ecr);
      continue;
    }
    CPendingCommand taken = std::move(*command);
    m_Queue.erase(command);
    return taken;
  }
  return std::nullopt;
}

void CEmulatorEngine::AnnounceStatusChanges() {
  for (int number : m_Order) Announce(m_Registers.at(number));
}

void CEmulatorEngine::Announce(CRegister& ecr) {
  // A register that does not answer sends no status either.
  if (ecr.m_Faults.m_NoAnswer) return;
  const std::uint64_t inputs = StatusInputs(ecr);
  const auto [entry, first] = m_Announced.try_emplace(ecr.m_Number);
  CAnnounced& announced = entry->second;
  if (!first && inputs == announced.m_Inputs) return;
  announced.m_Inputs = inputs;
  std::string status = StatusText(ecr);
  if (!first && status == announced.m_Text) return;
  announced.m_Text = status;
  const int number = ecr.m_Number;
  m_Outbox.push_back({"event StatusUpdateEvent " + std::to_string(number),
                      [number, status](control_api::IFiscalControlEvents& sink) { sink.StatusUpdateEvent(number, status); }});
}

void CEmulatorEngine::Emit(std::unique_lock<std::mutex>& stateLock) {
  if (m_Outbox.empty()) return;
  std::vector<CEvent> events;
  events.swap(m_Outbox);
  stateLock.unlock();
  {
    std::lock_guard sinkGuard(m_SinkLock);
    for (CEvent& event : events) {
      m_CallLog.Add(event.m_LogEntry);
      if (m_Sink != nullptr) event.m_Deliver(*m_Sink);
    }
  }
  stateLock.lock();
}

std::optional<std::string> CEmulatorEngine::AskDriver(std::unique_lock<std::mutex>& stateLock, int ecr,
                                                      const std::string& question) {
  AnnounceStatusChanges();
  Emit(stateLock);
  std::optional<std::string> reply;
  stateLock.unlock();
  {
    std::lock_guard sinkGuard(m_SinkLock);
    m_CallLog.Add("event DataEvent " + std::to_string(ecr) + " " + question);
    if (m_Sink != nullptr) m_Sink->DataEvent(ecr, 0, question, reply);
  }
  stateLock.lock();
  return reply;
}

void CEmulatorEngine::PrintingPause(std::unique_lock<std::mutex>& stateLock, int lines, int delayMs) {
  if (lines <= 0 || delayMs <= 0) return;
  m_StopSignal.wait_for(stateLock, std::chrono::milliseconds(static_cast<long long>(lines) * delayMs),
                        [this] { return m_Stopping; });
}

}  // namespace emulator
