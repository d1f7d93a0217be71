#include "emulator/emulator_control.h"

#include "emulator/emulator_engine.h"
#include "emulator/journal.h"

namespace emulator {

CEmulatorControl::CEmulatorControl(const std::string& baseDirectory)
    : m_Engine(std::make_unique<CEmulatorEngine>(baseDirectory)) {}

CEmulatorControl::~CEmulatorControl() {
  m_Engine->Close();
  m_Engine->SetEventSink(nullptr);
}

void CEmulatorControl::SetEventSink(control_api::IFiscalControlEvents* sink) { m_Engine->SetEventSink(sink); }

void CEmulatorControl::SetBooleanProperty(int dispid, bool value) {
  std::lock_guard guard(m_PropertyLock);
  m_BooleanProperties[dispid] = value;
}

bool CEmulatorControl::GetBooleanProperty(int dispid) const {
  std::lock_guard guard(m_PropertyLock);
  const auto found = m_BooleanProperties.find(dispid);
  return found != m_BooleanProperties.end() && found->second;
}

std::string CEmulatorControl::GetReportFolder() const { return m_Engine->ReportFolder(); }
void CEmulatorControl::SetReportFolder(const std::string& folder) { m_Engine->SetReportFolder(folder); }

control_api::ControlStatus CEmulatorControl::Open(const std::string&) { return m_Engine->Open(); }
control_api::ControlStatus CEmulatorControl::Close() {
  m_Engine->CallLog().Add("Close");
  return m_Engine->Close();
}

control_api::ControlStatus CEmulatorControl::Write(std::int32_t ecr, std::int32_t, const std::string& element,
                                              std::int32_t& job) {
  return m_Engine->Write(ecr, element, job);
}

control_api::ControlStatus CEmulatorControl::Request(std::int32_t ecr, std::int32_t code, std::string& text) {
  return m_Engine->Request(ecr, code, text);
}

control_api::ControlStatus CEmulatorControl::IODirect(std::int32_t ecr, const std::string& command, std::int16_t) {
  return m_Engine->IODirect(ecr, command);
}

control_api::ControlStatus CEmulatorControl::ClearOutput(std::int32_t ecr) { return m_Engine->ClearOutput(ecr); }

control_api::ControlStatus CEmulatorControl::BeginJob(std::int32_t ecr) {
  m_Engine->CallLog().Add("BeginJob " + std::to_string(ecr));
  return m_Engine->CheckRegister(ecr);
}

control_api::ControlStatus CEmulatorControl::EndJob(std::int32_t ecr) {
  m_Engine->CallLog().Add("EndJob " + std::to_string(ecr));
  return m_Engine->CheckRegister(ecr);
}

void CEmulatorControl::SetPaperOut(int ecr, bool on) {
  m_Engine->ChangeFaults(ecr, [on](CRegisterFaults& faults) { faults.m_PaperOut = on; });
}
void CEmulatorControl::SetGenericError(int ecr, bool on) {
  m_Engine->ChangeFaults(ecr, [on](CRegisterFaults& faults) { faults.m_GenericError = on; });
}
void CEmulatorControl::SetNotOperating(int ecr, bool on) {
  m_Engine->ChangeFaults(ecr, [on](CRegisterFaults& faults) { faults.m_NotOperating = on; });
}
void CEmulatorControl::SetNoAnswer(int ecr, bool on) {
  m_Engine->ChangeFaults(ecr, [on](CRegisterFaults& faults) { faults.m_NoAnswer = on; });
}
void CEmulatorControl::SetRemote(int ecr, bool on) {
  m_Engine->ChangeFaults(ecr, [on](CRegisterFaults& faults) { faults.m_Remote = on; });
}
void CEmulatorControl::SetLineDelay(int ecr, int milliseconds) {
  m_Engine->ChangeFaults(ecr, [milliseconds](CRegisterFaults& faults) { faults.m_LineDelayMs = milliseconds; });
}

void CEmulatorControl::RecordCalls() { m_Engine->CallLog().Record(true); }
std::vector<std::string> CEmulatorControl::CallLog() const { return m_Engine->CallLogEntries(); }
void CEmulatorControl::ClearCallLog() { m_Engine->CallLog().Clear(); }

const std::string& CEmulatorControl::BaseDirectory() const { return m_Engine->BaseDirectory(); }
std::string CEmulatorControl::JournalPath(int ecr) const { return emulator::JournalPath(BaseDirectory(), ecr); }

}  // namespace emulator
