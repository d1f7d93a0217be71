#pragma once
// CEmulatorControl: the built-in fiscal control. It emulates the registers listed in "QorEmulator.ini"
// (default: registers 1-4 of types 1, 2, 0, 3) with both native command families, status texts,
// events, data questions, report and history files, a printed journal per register, an adjustable
// printing speed and faults that a person (through the settings file) or a test (through the calls
// below) causes while the driver runs. Methods may be called from any thread; events come from the
// emulator's own worker thread.

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "control_api/fiscal_control.h"

namespace emulator {

class CEmulatorEngine;

class CEmulatorControl : public control_api::IFiscalControl {
 public:
  // baseDirectory holds "QorEmulator.ini", "Journal/" and by default "Reports/"; empty = current folder.
  explicit CEmulatorControl(const std::string& baseDirectory = {});
  ~CEmulatorControl() override;
  CEmulatorControl(const CEmulatorControl&) = delete;
  CEmulatorControl& operator=(const CEmulatorControl&) = delete;

  void SetEventSink(control_api::IFiscalControlEvents* sink) override;
  void SetBooleanProperty(int dispid, bool value) override;
  bool GetBooleanProperty(int dispid) const override;
  std::string GetReportFolder() const override;
  void SetReportFolder(const std::string& folder) override;

  control_api::ControlStatus Open(const std::string& argument) override;
  control_api::ControlStatus Close() override;
  control_api::ControlStatus Write(std::int32_t ecr, std::int32_t mode, const std::string& element,
                              std::int32_t& job) override;
  control_api::ControlStatus Request(std::int32_t ecr, std::int32_t code, std::string& text) override;
  control_api::ControlStatus IODirect(std::int32_t ecr, const std::string& command, std::int16_t argument) override;
  control_api::ControlStatus ClearOutput(std::int32_t ecr) override;
  control_api::ControlStatus BeginJob(std::int32_t ecr) override;
  control_api::ControlStatus EndJob(std::int32_t ecr) override;

  // Faults of one register, each announced by a StatusUpdateEvent. Paper out, a generic error and
  // not operating hold output until cleared; a register that does not answer loses what it is sent.
  void SetPaperOut(int ecr, bool on);
  void SetGenericError(int ecr, bool on);
  void SetNotOperating(int ecr, bool on);
  void SetNoAnswer(int ecr, bool on);
  void SetRemote(int ecr, bool on);
  // Printing time per printed line; 0 = instant.
  void SetLineDelay(int ecr, int milliseconds);

  // Once RecordCalls() was called: the latest calls and events, in order (see call_log.h). An event
  // being raised is listed once it has reached the sink; do not call this from a sink while it answers
  // a data question.
  void RecordCalls();
  std::vector<std::string> CallLog() const;
  void ClearCallLog();

  const std::string& BaseDirectory() const;
  std::string JournalPath(int ecr) const;

 private:
  std::unique_ptr<CEmulatorEngine> m_Engine;
  mutable std::mutex m_PropertyLock;
  std::map<int, bool> m_BooleanProperties;
};

}  // namespace emulator
