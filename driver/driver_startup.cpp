// Start-up of the driver, steps 1 to 12 in this order: base directory and control, message catalogue,
// priority, settings, competing program, About font and modal flags, tray icon, control properties
// and Open, register list, ticket folders, selected register, folder monitor. Between steps 2 and 3
// the driver makes sure that no other driver serves its base directory or its ticket folders.

#include <filesystem>

#include "driver/control/register_list.h"
#include "driver/messages.h"
#include "driver/process_housekeeping.h"
#include "driver/qor_driver_dlg.h"
#include "driver/ticket_folders.h"
#include "platform/debug_log.h"
#include "platform/folder_files.h"
#include "platform/mount_table.h"
#include "platform/process_list.h"
#include "platform/shared_folder.h"

namespace driver {

void CQorDriverDlg::OnInitDialog() {
  DetermineBaseDirectory();
  InitMessageLanguage(m_BaseDirectory, *m_Environment.m_Store);
  if (!GuardAgainstSecondDriver()) {
    m_StartRefused = true;
    ShowMessage("97");
    return;
  }
  ApplyPriorityStep();
  ReadSettings();
  EndCompetingProgram();
  m_FontFace = "Times New Roman";
  m_FontHeight = 10;  // the modal flags start cleared (CModalState)
  // Step 7, the tray icon, belongs to the tray menu and is added by it.
  OpenControl();
  BuildRegisterList();
  LayOutTicketFolders();
  ResumeLeftDocuments();
  m_SelectedRegister = 0;
  StartFolderMonitor();
  StartShopWatch();
}

// After the last start-up step: the shop's status, and systemd's READY=1.
void CQorDriverDlg::StartShopWatch() {
  std::string metrics = m_Settings.m_MetricsFile;
  if (!metrics.empty() && metrics.front() != '/') metrics = m_BaseDirectory + metrics;
  m_ShopWatch = std::make_unique<CShopWatch>(CShopWatchLinks{
      m_BaseDirectory, metrics, m_Settings.m_Durable,
      [this] { return std::filesystem::absolute(TicketRoot()).lexically_normal().string(); },
      [this]() -> const std::vector<std::shared_ptr<CEcrContext>>& { return m_EcrList.All(); },
      [this](std::int32_t ecr) -> const CEcrContext* { return m_EcrList.FindEcr(ecr); },
      [this](std::int32_t ecr) { return m_Jobs->TicketJobsRunning(ecr); },
      [this] { return m_Flushes.Counts().m_Rounds; },
      [this] { return m_TicketIntake ? m_TicketIntake->WriterWaits() : 0; }});
  m_ShopWatch->Started();
}

// Step 1. The control is hosted before anything talks to it; its events are handled on this thread.
void CQorDriverDlg::DetermineBaseDirectory() {
  m_ControlChoice = m_Environment.m_ChooseControl(*m_Environment.m_Store);
  m_BaseDirectory = m_ControlChoice.m_BaseDirectory;
  m_Qor = std::make_unique<CQor>(*m_ControlChoice.m_Control, m_WindowThread);
  m_Events = std::make_unique<CControlEvents>(m_EcrList, *this, m_ReportDisplay);
  m_Qor->SetEventSink(m_Events.get());
  m_Jobs = std::make_unique<CJobRunner>(CJobRunnerLinks{
      m_WindowThread, *m_Qor, m_Settings, m_Modal, m_ReportDisplay, m_Flushes, *this,
      [this] {
        if (!m_Closed && m_TicketIntake) m_TicketIntake->TicketJobEnded();
      },
      [this](const CSheetJobOutcome& outcome) { emit SheetJobOutcome(outcome); },
      [this](CJobThreadIdentity job, std::int32_t ecr, const std::string& document) {
        if (m_ShopWatch) m_ShopWatch->JobBegan(job, ecr, document);
      },
      [this](CJobThreadIdentity job) {
        if (m_ShopWatch) m_ShopWatch->JobEnded(job);
      },
      [this](const CTicketAnswer& answer) { TicketAnswered(answer); }});
  m_TicketIntake = std::make_unique<CTicketIntake>(*this, m_BaseDirectory);
}

// The message catalogue has been read, nothing else. A ticket root nobody has made yet is served by
// nobody, so making it cannot harm another driver.
bool CQorDriverDlg::GuardAgainstSecondDriver() {
  if (!m_Guard.TakeBaseDirectory(m_BaseDirectory)) return false;
  const std::string ticketRoot = ChooseTicketRoot(m_BaseDirectory).m_Root;
  CreateFolder(ticketRoot);
  return m_Guard.TakeTicketRoot(ticketRoot);
}

// Step 3.
void CQorDriverDlg::ApplyPriorityStep() {
  PriorityStep(ReadSetPriorityHigh(m_BaseDirectory + kDriverSettingsFile));
}

// Step 4.
void CQorDriverDlg::ReadSettings() {
  m_Settings = ReadDriverSettings(m_BaseDirectory + kDriverSettingsFile);
  m_Flushes.UseMode(m_Settings.m_Durable ? platform::CFlushGroup::Mode::kDurable : platform::CFlushGroup::Mode::kCached);
  if (platform::RunsAsRoot()) {
    platform::DebugLog("[ZEDO] QorDriver runs as root: run it as the shop's driver account, and let the tills in "
                       "through TicketGroup");
  }
  if (m_Settings.m_TicketGroup.empty()) return;
  m_TicketGroup = platform::GroupNamed(m_Settings.m_TicketGroup);
  if (!m_TicketGroup) {
    platform::DebugLog("[ZEDO] TicketGroup [%s] is no group of this system: the ticket folders keep the driver's rights",
                       m_Settings.m_TicketGroup.c_str());
    return;
  }
  // Replies, warnings and status files are then readable, and removable, by the tills of the group.
  platform::LetGroupUseNewFiles();
}

// A ticket folder, made when missing, and shared with the tills' group when one is set.
bool CQorDriverDlg::MakeTicketFolder(const std::string& folder) {
  const bool made = CreateFolder(folder);
  if (made && m_TicketGroup) {
    if (const platform::SystemError error = platform::ShareFolderWithGroup(folder, *m_TicketGroup); error.Failed())
      platform::DebugLog("[ZEDO] Ticket folder [%s] cannot be shared with group [%s]: %s", folder.c_str(),
                         m_Settings.m_TicketGroup.c_str(), error.Text().c_str());
  }
  return made;
}

// Step 5.
void CQorDriverDlg::EndCompetingProgram() {
  if (!m_Settings.m_SingleClient) return;
  int ended = platform::TerminatePendingApplication(kCompetingProgram);
  platform::DebugLog("[ZEDO] TerminatePendingApplication APP=[QorServer], KILLED=[%d]", ended);
}

// Step 8. A control that does not open still lets the start-up finish; the window then closes.
void CQorDriverDlg::OpenControl() {
  for (int dispid : kControlStartupProperties) m_Qor->SetBooleanProperty(dispid, true);
  if (m_Qor->Open("") != 0) {
    ShowMessage("4");
    PostClose();
  }
}

// Step 9. The stop mutexes are owned by the window thread until the shutdown releases them.
void CQorDriverDlg::BuildRegisterList() {
  std::string list;
  if (m_Qor->Request(kRequestRegisterListEcr, kRequestRegisterList, list) != 0 || list.empty()) return;
  for (const CRegisterEntry& entry : ScanRegisterList(list)) {
    CEcrContext& ecr = m_EcrList.Add(entry.m_Number, entry.m_Type, RegisterMutexes::Named);
    ReadDisplayDigits(m_BaseDirectory + kDriverSettingsFile, ecr);
  }
}

// Step 10. A folder that cannot be created is left for the ticket writer to find missing.
void CQorDriverDlg::LayOutTicketFolders() {
  CTicketRootChoice root = ChooseTicketRoot(m_BaseDirectory);
  m_EcrList.SetTicketRoot(root.m_Root);
  MakeTicketFolder(root.m_Root);
  platform::DebugLog("%s", root.m_Note.c_str());
  for (const auto& ecr : m_EcrList.All()) {
    std::string folder = RegisterFolder(root.m_Root, ecr->m_EcrId);
    MakeTicketFolder(folder);
    ecr->SetTicketFolder(folder);
  }
}

// Before the first look at the folders: what an earlier run left cut off is answered first.
void CQorDriverDlg::ResumeLeftDocuments() {
  if (m_Closed) return;
  for (const auto& ecr : m_EcrList.All()) m_TicketIntake->ResumeLeftDocuments(*ecr);
}

// Step 12. Without a monitor the driver runs on, visible, and tickets are not picked up by themselves.
void CQorDriverDlg::StartFolderMonitor() {
  if (!ConnectFolderMonitor()) {
    ShowMessage("15");
    if (m_Environment.m_Window) m_Environment.m_Window->Show();
    return;
  }
  for (const auto& ecr : m_EcrList.All()) MonitorAddFolder(ecr->TicketFolder());
  m_FolderMonitor->Start();
  m_FolderMonitor->SetTarget(this);
  StartSafetyRescan();
  PostMessage(WindowMessage::WM_HIDEMAIN);
}

// Notifications miss what happens under a file system mounted over a folder, and a ticket left alone
// because it could not be read or removed changes back without a change of its folder's names.
void CQorDriverDlg::StartSafetyRescan() {
  m_RescanTimer.setInterval(std::chrono::seconds(m_Settings.m_RescanSeconds));
  connect(&m_RescanTimer, &QTimer::timeout, this, &CQorDriverDlg::SafetyRescan);
  m_RescanTimer.start();
  m_MountTable = platform::OpenMountTable();
  if (!m_MountTable.IsOpen()) return;
  m_MountWatch = std::make_unique<QSocketNotifier>(m_MountTable.Get(), QSocketNotifier::Exception);
  connect(m_MountWatch.get(), &QSocketNotifier::activated, this, [this] {
    platform::TakeMountTableChange(m_MountTable);
    platform::DebugLog("[ZEDO] The mounted file systems changed: every ticket folder is looked at again");
    SafetyRescan();
  });
}

// A register folder that is gone (a new file system over the ticket root) is made again first.
void CQorDriverDlg::SafetyRescan() {
  if (m_Closed || !m_TicketIntake) return;
  bool rootMade = false;
  for (const auto& ecr : m_EcrList.All()) {
    const std::string folder = ecr->TicketFolder();
    if (!platform::Exists(folder)) {
      if (!rootMade) MakeTicketFolder(folder.substr(0, folder.rfind('/')));
      rootMade = true;
      if (MakeTicketFolder(folder)) platform::DebugLog("[ZEDO] Ticket folder [%s] was gone: made again", folder.c_str());
    }
    m_TicketIntake->SafetyRescanFolder(folder);
  }
}

bool CQorDriverDlg::ConnectFolderMonitor() {
  m_FolderMonitor = std::make_unique<CFolderMonitor>(*m_Environment.m_Store);
  if (m_FolderMonitor->Connect()) return true;
  m_FolderMonitor.reset();
  return false;
}

void CQorDriverDlg::MonitorAddFolder(const std::string& folder) {
  if (m_FolderMonitor) m_FolderMonitor->AddFolder(folder);
}

void CQorDriverDlg::MonitorRemoveFolder(const std::string& folder) {
  if (m_FolderMonitor) m_FolderMonitor->RemoveFolder(folder);
}

void CQorDriverDlg::DisconnectFolderMonitor() { m_FolderMonitor.reset(); }

// The About dialog's folder change: the report folder first, then the ticket root and every register's
// folder inside it, each moved in the folder monitor as it goes. A ticket root that another driver
// serves is refused and the folders stay as they were.
void CQorDriverDlg::ChangeFolders(const std::string& reportFolder, const std::string& ticketFolder) {
  if (reportFolder != m_ReportFolder) {
    m_ReportFolder = reportFolder;
    WriteFolderSetting(m_BaseDirectory, kReportFolderKey, reportFolder);
    m_Qor->SetReportFolder(reportFolder);
    CreateFolder(reportFolder);
    platform::DebugLog("New Report Folder: [%s]", reportFolder.c_str());
  }
  if (ticketFolder == m_EcrList.TicketRoot()) return;
  CreateFolder(ticketFolder);
  if (!m_Guard.TakeTicketRoot(ticketFolder)) {
    ShowMessage("98");
    return;
  }
  m_EcrList.SetTicketRoot(ticketFolder);
  WriteFolderSetting(m_BaseDirectory, kTicketFolderKey, ticketFolder);
  MakeTicketFolder(ticketFolder);
  platform::DebugLog("New Ticket Folder: [%s]", ticketFolder.c_str());
  for (const auto& ecr : m_EcrList.All()) {
    std::string folder = RegisterFolder(ticketFolder, ecr->m_EcrId);
    MakeTicketFolder(folder);
    MonitorRemoveFolder(ecr->TicketFolder());
    ecr->SetTicketFolder(folder);
    MonitorAddFolder(folder);
  }
}

}  // namespace driver
