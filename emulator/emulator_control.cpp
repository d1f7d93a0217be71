#include "emulator/emulator_control.h"

#include "emulator/emulator_engine.h"
#include "emulator/journal.h"

namespace emulator {

CEmulatorControl::CEmulatorControl(const std::string& baseDirectory, QObject* parent)
    : QObject(parent), m_Engine(std::make_unique<CEmulatorEngine>(baseDirectory)) {}

CEmulatorControl::~CEmulatorControl() {
  m_Engine->Close();
  m_Engine->SetEventSink(nullptr);
}

void CEmulatorControl::SetEventSink(driver::IFiscalControlEvents* sink) { m_Engine->SetEventSink(sink); }

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

driver::ControlStatus CEmulatorControl::Open(const std::string&) { return m_Engine->Open(); }
driver::ControlStatus CEmulatorControl::Close() {
  m_Engine->CallLog().Add("Close");
  return m_Engine->Close();
}

driver::ControlStatus CEmulatorControl::Write(std::int32_t ecr, std::int32_t, const std::string& element,
                                              std::int32_t& job) {
  return m_Engine->Write(ecr, element, job);
}

driver::ControlStatus CEmulatorControl::Request(std::int32_t ecr, std::int32_t code, std::string& text) {
  return m_Engine->Request(ecr, code, text);
}

driver::ControlStatus CEmulatorControl::IODirect(std::int32_t ecr, const std::string& command, std::int16_t) {
  return m_Engine->IODirect(ecr, command);
}

driver::ControlStatus CEmulatorControl::ClearOutput(std::int32_t ecr) { return m_Engine->ClearOutput(ecr); }

driver::ControlStatus CEmulatorControl::BeginJob(std::int32_t ecr) {
  m_Engine->CallLog().Add("BeginJob " + std::to_string(ecr));
  return m_Engine->CheckRegister(ecr);
}

driver::ControlStatus CEmulatorControl::EndJob(std::int32_t ecr) {
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
