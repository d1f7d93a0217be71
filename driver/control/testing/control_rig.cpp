#include "driver/control/testing/control_rig.h"

#include <chrono>
#include <filesystem>
#include <stdexcept>

#include "driver/control/follow_up.h"
#include "driver/control/qor.h"
#include "driver/control/register_list.h"

namespace driver {

CControlRig::CControlRig(const std::string& baseDirectory) : m_BaseDirectory(baseDirectory) {
  m_Registers.SetTicketRoot(baseDirectory + "/Tickets");
  m_Emulator = std::make_unique<emulator::CEmulatorControl>(baseDirectory);
  m_Emulator->RecordCalls();
  m_Qor = std::make_unique<CQor>(*m_Emulator, m_WindowThread);
  m_FollowUps = std::make_unique<CQueuedFollowUps>(*m_Qor, m_Display, m_WindowThread);
  m_FollowUps->SetStatusAlertText("ECR status alert");
  m_Events = std::make_unique<CControlEvents>(m_Registers, *m_FollowUps, m_Display);
  RunOnWindowThread([this] { StartUp(); });
  WaitForFirstStatus();
}

CControlRig::~CControlRig() {
  m_Registers.CancelAll();
  m_Qor->Close();
  m_WindowThread.Stop();
  m_Qor.reset();
  m_FollowUps.reset();
  m_Emulator.reset();
}

// What the driver's start-up does with the control, on the window thread: switch it on, open it,
// build the register list, lay out the ticket folders.
void CControlRig::StartUp() {
  m_Qor->SetEventSink(m_Events.get());
  for (int dispid : kControlStartupProperties) m_Qor->SetBooleanProperty(dispid, true);
  m_OpenStatus = m_Qor->Open("");
  std::string list;
  if (m_Qor->Request(kRequestRegisterListEcr, kRequestRegisterList, list) != 0 || list.empty()) return;
  std::error_code ignored;
  std::filesystem::create_directories(TicketRoot(), ignored);
  for (const CRegisterEntry& entry : ScanRegisterList(list)) {
    const std::string folder = TicketRoot() + "/" + std::to_string(entry.m_Number);
    std::filesystem::create_directory(folder, ignored);
    m_Registers.Add(entry.m_Number, entry.m_Type, RegisterMutexes::None).SetTicketFolder(folder);
  }
}

// Every answering register announces its status once the control is open.
void CControlRig::WaitForFirstStatus() {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  for (const auto& ecr : m_Registers.All()) {
    CEventMailbox& events = ecr->Events();
    events.WaitUntil([&events] { return !events.Status().m_StatusText.empty(); }, deadline);
  }
}

IFiscalControl& CControlRig::Control() { return *m_Qor; }
emulator::CEmulatorControl& CControlRig::Emulator() { return *m_Emulator; }

CEcrContext& CControlRig::Ecr(int number) {
  CEcrContext* ecr = m_Registers.FindEcr(number);
  if (ecr == nullptr) throw std::out_of_range("register " + std::to_string(number) + " is not on the list");
  return *ecr;
}

void CControlRig::OpenSheet() {
  RunOnWindowThread([this] {
    m_Display.SetStatusLine([this](const std::string& text) {
      std::lock_guard guard(m_SheetLock);
      m_SheetLines.push_back(text);
    });
    m_Display.SetReportNotice([this](std::int32_t ecr, const std::string& path, bool) {
      std::lock_guard guard(m_SheetLock);
      m_SheetLines.push_back("report of ECR " + std::to_string(ecr) + " saved in " + path);
    });
  });
}

void CControlRig::CloseSheet() {
  RunOnWindowThread([this] {
    m_Display.SetStatusLine({});
    m_Display.SetReportNotice({});
  });
}

std::vector<std::string> CControlRig::SheetStatusLines() const {
  std::lock_guard guard(m_SheetLock);
  return m_SheetLines;
}

void CControlRig::RunOnWindowThread(const std::function<void()>& function) { m_WindowThread.Run(function); }

}  // namespace driver
