// Shutdown of the driver on WM_CLOSE, steps 1 to 8 in this order: folders out of the monitor, stop
// mutexes released, job threads ended, control closed, registers freed, tray icon removed, monitor
// disconnected, window closed.
//
// No ticket is lost or cut in half by a stop: new tickets are no longer taken, jobs still waiting for
// their register leave without running (their documents stay for the next start), and the element
// each running job has under way is let finish, for at most m_StopJobWait, while the window thread goes
// on handling the registers' events. The job then leaves its document and the record of its progress,
// from which the next start answers it; a job that ends its document meanwhile answers it now.
//
// Threads cannot be killed safely, so step 3 then cancels every register's context (each wait of a
// job returns and the job sends and writes nothing more) and waits a few seconds for the job threads
// to end. A job that still runs after that is given up: its register and the control stay alive until
// the process ends, so it never touches freed memory.

#include <QTimer>

#include "driver/qor_driver_dlg.h"
#include "platform/debug_log.h"

namespace driver {

void CQorDriverDlg::OnClose() {
  m_Closed = true;  // a message box below may run a nested event loop: nothing else is handled now
  emit Closing();
  if (m_ShopWatch) m_ShopWatch->Stopping();
  // Tickets still waiting for their writers stay in their folders for the next start.
  m_TicketCheckTimer.stop();
  m_RescanTimer.stop();
  m_MountWatch.reset();
  if (m_TicketIntake) m_TicketIntake->ForgetWaitingTickets();
  for (const auto& ecr : m_EcrList.All())
    if (!ecr->TicketFolder().empty()) MonitorRemoveFolder(ecr->TicketFolder());
  m_EcrList.StopAll();
  // Step 2: job threads still waiting for a register take the stop mutex one after another and leave.
  m_EcrList.ReleaseStopMutexes();
  m_StopDeadline = std::chrono::steady_clock::now() + m_StopJobWait;
  FinishCloseOnceJobsStopped();
}

// Runs from the event loop until the running jobs have finished their elements (or the time is up):
// their completions arrive as events of this thread.
void CQorDriverDlg::FinishCloseOnceJobsStopped() {
  if (CJobRunner::AnyJobThreadLive() && std::chrono::steady_clock::now() < m_StopDeadline) {
    QTimer::singleShot(kStopPollPeriod, this, [this] { FinishCloseOnceJobsStopped(); });
    return;
  }
  EndJobThreads();
  const platform::CFlushGroup::CCounts flushes = m_Flushes.Counts();
  platform::DebugLog("[ZEDO] Disk flushes: [%llu] rounds, [%llu] calls, for [%llu] steps",
                     static_cast<unsigned long long>(flushes.m_Rounds), static_cast<unsigned long long>(flushes.m_Calls),
                     static_cast<unsigned long long>(flushes.m_Steps));
  CloseControl();
  // Step 5: the last reference of each mutex closes it.
  m_EcrList.Free(m_JobsAbandoned ? FreedRecords::KeptForProcessEnd : FreedRecords::Released);
  // Step 6, removing the tray icon, belongs to the tray menu, which removes it when the window closes.
  DisconnectFolderMonitor();
  emit Closed();
}

// Step 3.
void CQorDriverDlg::EndJobThreads() {
  m_EcrList.CancelAll();
  if (!m_Jobs->WaitForJobThreads(m_ShutdownJobWait)) m_JobsAbandoned = true;
}

// Step 4.
void CQorDriverDlg::CloseControl() {
  if (m_Qor->Close() != 0) ShowMessage("5");
}

}  // namespace driver
