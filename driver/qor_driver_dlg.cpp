#include "driver/qor_driver_dlg.h"

#include <algorithm>

#include "driver/control/follow_up.h"
#include "driver/control/wait_io_direct.h"
#include "driver/ecr/job_starter.h"
#include "driver/messages.h"
#include "platform/debug_log.h"

namespace driver {

CQorDriverDlg::CQorDriverDlg(CDriverEnvironment environment, QObject* parent)
    : QObject(parent), m_Environment(std::move(environment)) {
  if (!m_Environment.m_ChooseControl) m_Environment.m_ChooseControl = ChooseFiscalControl;
  // A precise timer: the writer checks are 20 ms apart and each ticket's first one is due 20 ms after
  // it was found.
  m_TicketCheckTimer.setSingleShot(true);
  m_TicketCheckTimer.setTimerType(Qt::PreciseTimer);
  connect(&m_TicketCheckTimer, &QTimer::timeout, this, &CQorDriverDlg::OnTicketCheck);
}

CQorDriverDlg::~CQorDriverDlg() {
  // Events must not reach handlers that are going away.
  if (m_Qor) m_Qor->SetEventSink(nullptr);
}

void CQorDriverDlg::PostMessage(WindowMessage message, std::int32_t wParam) {
  m_WindowThread.Post([this, message, wParam] { OnWindowMessage(message, wParam); });
}

void CQorDriverDlg::PostTicketFile(int notificationType, std::string folderPath) {
  m_WindowThread.Post(
      [this, notificationType, path = std::move(folderPath)] { OnTicketFile(notificationType, path); });
}

void CQorDriverDlg::PostClose() { PostMessage(WindowMessage::WM_CLOSE); }

// The start notification names only the first folder, yet tickets may already wait in any of them (dropped
// while the driver was down): every register's folder is scanned once, now that all of them are watched.
// The driver's own reply and document files change the folder several times per ticket; one queued scan
// per folder covers them all, so a burst does not leave thousands of empty scans behind it.
void CQorDriverDlg::OnFolderNotify(const std::string& path, std::int16_t type) {
  auto queueScan = [this, type](const std::string& folder) {
    if (m_ScanQueued.insert(folder).second) PostTicketFile(type, folder);
  };
  queueScan(path);
  if (type != 0) return;
  platform::DebugLog("[ZEDO] Folder monitor started: scanning [%d] ticket folders", static_cast<int>(m_EcrList.size()));
  for (const auto& ecr : m_EcrList) queueScan(ecr->m_TicketFolder.Get());
}

void CQorDriverDlg::JobThreadEnded(CJobThreadIdentity thread) {
  m_WindowThread.Post([this, thread] { OnJobThreadEnd(thread); });
}

void CQorDriverDlg::SheetJobEnded(const CSheetJobOutcome& outcome) {
  m_WindowThread.Post([this, outcome] { emit SheetJobOutcome(outcome); });
}

void CQorDriverDlg::OnWindowMessage(WindowMessage message, std::int32_t wParam) {
  if (m_Closed) return;  // the window is gone: later messages find nobody
  switch (message) {
    case WindowMessage::WM_CLOSE:
      OnClose();
      break;
    case WindowMessage::WM_HIDEMAIN:
      if (m_Environment.m_Window) m_Environment.m_Window->Hide();
      break;
    case WindowMessage::WM_STATUSALERT:
      HandleStatusAlert(*m_Qor, wParam, m_ReportDisplay, LoadMessage("11"));
      break;
    case WindowMessage::WM_TRAYICON:  // the tray icon posts its own clicks
    case WindowMessage::WM_TICKETFILE:
    case WindowMessage::WM_JOBTHREADEND:
      break;
  }
}

void CQorDriverDlg::OnTicketFile(int notificationType, const std::string& folderPath) {
  m_ScanQueued.erase(folderPath);  // changes from now on need a scan of their own
  if (m_Closed || !m_TicketIntake) return;
  m_TicketIntake->ProcessTicketFile(notificationType, folderPath);
}

void CQorDriverDlg::OnTicketCheck() {
  if (m_Closed || !m_TicketIntake) return;
  m_TicketIntake->CheckWaitingTickets();
}

void CQorDriverDlg::ScheduleTicketCheck(std::chrono::milliseconds delay) { m_TicketCheckTimer.start(delay); }

// The thread has ended (or is about to): its identity is only compared, never used.
void CQorDriverDlg::OnJobThreadEnd(CJobThreadIdentity thread) {
  auto listed = std::find_if(m_JobThreads.begin(), m_JobThreads.end(),
                             [&](const CListedJob& job) { return job.m_Thread == thread; });
  if (listed == m_JobThreads.end()) return;
  m_JobThreads.erase(listed);
  if (!m_Closed && m_TicketIntake) m_TicketIntake->TicketJobEnded();
}

JobStartResult CQorDriverDlg::StartTicketJob(const CTicketJob& job) {
  return driver::StartTicketJob(*this, job, [this, &job](CQorThread& thread) {
    m_JobThreads.push_back({thread.Identity(), job.m_DocumentPath, job.m_current->m_EcrId});
  });
}

bool CQorDriverDlg::IsTicketJobRunning(const std::string& documentPath) const {
  return std::any_of(m_JobThreads.begin(), m_JobThreads.end(),
                     [&](const CListedJob& job) { return job.m_DocumentPath == documentPath; });
}

std::size_t CQorDriverDlg::TicketJobsRunning(std::int32_t ecrId) const {
  return static_cast<std::size_t>(
      std::count_if(m_JobThreads.begin(), m_JobThreads.end(), [&](const CListedJob& job) { return job.m_EcrId == ecrId; }));
}

CEcrContext* CQorDriverDlg::FindEcr(std::int32_t ecr) {
  for (const auto& context : m_EcrList)
    if (context->m_EcrId == ecr) return context.get();
  return nullptr;
}

std::string CQorDriverDlg::TicketRoot() const { return m_TicketRoot; }

void CQorDriverDlg::SetOpenSheet(QObject* sheet) {
  m_OpenSheet = sheet;
  m_SheetIsOpen = sheet != nullptr;
}

IFiscalControl& CQorDriverDlg::Control() { return *m_Qor; }

CJobOptions CQorDriverDlg::Options() const {
  CJobOptions options;
  options.m_OnErrorContinue = m_Settings.m_OnErrorContinue;
  options.m_OnErrorVoidTicket = m_Settings.m_OnErrorVoidTicket;
  options.m_DisplayLastTotal = m_Settings.m_DisplayLastTotal;
  return options;
}

ControlStatus CQorDriverDlg::WaitIODirect(CEcrContext& ecr, const std::string& command, std::int16_t argument) {
  return driver::WaitIODirect(*m_Qor, ecr.m_EcrId, command, argument, ecr);
}

void CQorDriverDlg::ShowSheetStatus(const std::string& text) {
  m_WindowThread.Post([this, text] { m_ReportDisplay.ShowStatus(text); });
}

std::string CQorDriverDlg::MessageText(int number) const { return LoadMessage(std::to_string(number)); }

void CQorDriverDlg::ShowMessage(const char* number) {
  m_Environment.m_MessageBox->Show(LoadMessage(number), MessageButtons::Ok);
}

}  // namespace driver
