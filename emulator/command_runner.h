#pragma once
// Runs one queued command against its register on the emulator's worker thread (state lock held, released
// while the driver is asked a data question or the printer is busy), prints to the journal, and
// queues the completion event.

#include <mutex>
#include <string>
#include <vector>

#include "emulator/command_host.h"
#include "emulator/emulator_engine.h"

namespace emulator {

class CCommandRunner final : public ICommandHost {
 public:
  CCommandRunner(CEmulatorEngine& engine, std::unique_lock<std::mutex>& stateLock, CRegister& ecr)
      : m_Engine(engine), m_StateLock(stateLock), m_Ecr(ecr) {}

  void Run(const CPendingCommand& command);

  std::optional<std::string> Ask(const std::string& question) override;
  void Checkpoint() override;
  void Print(const std::string& line) override;

 private:
  void RunWrite(const CPendingCommand& command);
  void RunIODirect(const CPendingCommand& command);
  void RunReport(const CPendingCommand& command);
  void RunZeroSet(const CPendingCommand& command);
  void RunHistory();
  void RunRollback();
  void FinishPrinting();
  std::string SaveReportFile(const std::string& name, const std::vector<std::string>& lines);
  void QueueEvent(std::string logEntry, std::function<void(control_api::IFiscalControlEvents&)> deliver);
  void QueueDirectIOEvent(std::int32_t result, const std::string& text);
  void QueueNotSaved();

  CEmulatorEngine& m_Engine;
  std::unique_lock<std::mutex>& m_StateLock;
  CRegister& m_Ecr;
  std::vector<std::string> m_Printed;
};

}  // namespace emulator
