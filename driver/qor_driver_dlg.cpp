#include "driver/qor_driver_dlg.h"

#include "driver/control/follow_up.h"
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
  platform::DebugLog("[ZEDO] Folder monitor started: scanning [%d] ticket folders", static_cast<int>(m_EcrList.All().size()));
  for (const auto& ecr : m_EcrList.All()) queueScan(ecr->TicketFolder());
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

CAppearedNames CQorDriverDlg::TakeAppearedNames(const std::string& folder) {
  if (!m_FolderMonitor) return {};
  monitor::FolderNames taken = m_FolderMonitor->TakeAppearedNames(folder);
  return {std::move(taken.names), taken.complete};
}

void CQorDriverDlg::FlushThen(platform::CFlushStep step, FlushDone done) {
  if (!m_Flushes.Durable()) {
    m_Flushes.FlushThen(std::move(step), std::move(done));
    return;
  }
  m_Flushes.FlushThen(std::move(step), [this, done = std::move(done)](const platform::CFlushOutcome& outcome) {
    m_WindowThread.Post([this, done, outcome] {
      if (!m_Closed) done(outcome);
    });
  });
}

void CQorDriverDlg::ShowMessage(const char* number) {
  m_Environment.m_MessageBox->Show(LoadMessage(number), MessageButtons::Ok);
}

}  // namespace driver
