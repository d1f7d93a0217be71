#pragma once
// CQorDriverDlg: the driver object. It lives on the window thread (the Qt event loop of the main
// thread) and owns what the driver is made of: the control, the register list (CEcrList), the jobs
// (CJobRunner), the modal state (CModalState), the ticket intake and the settings. It runs the
// start-up and the shutdown and turns posted messages into calls on those parts. Everything that
// changes its state runs on that thread; other threads reach it only by posting messages (calls
// posted to the window thread) or through the read-only views below.
//
// Its operations are spread over files by job: start-up (driver_startup.cpp), shutdown
// (driver_shutdown.cpp), the posted messages and the views other parts use (qor_driver_dlg.cpp).

#include <QObject>
#include <QSocketNotifier>
#include <QTimer>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "driver/control/control_events.h"
#include "driver/control/driver_links.h"
#include "driver/control/ecr_list.h"
#include "driver/control/qor.h"
#include "driver/control/report_display.h"
#include "driver/control_choice.h"
#include "driver/driver_settings.h"
#include "driver/folder_monitor.h"
#include "driver/instance_guard.h"
#include "driver/admin/sheet_memory.h"
#include "driver/job_runner.h"
#include "driver/shop_watch.h"
#include "driver/message_box.h"
#include "driver/modal_state.h"
#include "driver/tickets/ticket_intake.h"
#include "driver/window_messages.h"
#include "platform/file_descriptor.h"
#include "platform/flush_group.h"
#include "platform/qt_window_thread.h"

namespace platform {
class Store;
}

namespace driver {

// The driver's window: hidden once start-up has finished; it stays visible only when folder
// monitoring could not be started, so the person at the machine sees that tickets are not watched.
class IMainWindow {
 public:
  virtual ~IMainWindow() = default;
  virtual void Show() = 0;
  virtual void Hide() = 0;
};

// What the driver runs on.
struct CDriverEnvironment {
  platform::Store* m_Store = nullptr;
  IMessageBox* m_MessageBox = nullptr;
  IMainWindow* m_Window = nullptr;  // none without a display
  // Start-up step 1: the control and the base directory (ChooseFiscalControl unless set).
  std::function<CControlChoice(const platform::Store&)> m_ChooseControl;
};

// The program ended at start-up when "SingleClient" is on.
inline constexpr const char* kCompetingProgram = "QorServer.exe";

class CQorDriverDlg final : public QObject, public IFollowUpPoster, public ITicketHost, public IFolderNotifyTarget {
  Q_OBJECT

 public:
  explicit CQorDriverDlg(CDriverEnvironment environment, QObject* parent = nullptr);
  ~CQorDriverDlg() override;
  CQorDriverDlg(const CQorDriverDlg&) = delete;
  CQorDriverDlg& operator=(const CQorDriverDlg&) = delete;

  // Start-up steps 1 to 12, on the window thread, before its event loop runs. A driver that finds
  // another one on its base directory or ticket folders stops after step 2, having touched nothing.
  void OnInitDialog();
  // True when the start-up was refused because another driver serves the same folders.
  bool StartRefused() const { return m_StartRefused; }

  // Posting: queues the message to the window thread and returns at once; safe from any thread.
  void PostMessage(WindowMessage message, std::int32_t wParam = 0);
  void PostTicketFile(int notificationType, std::string folderPath);  // WM_TICKETFILE
  void PostClose();                                                   // WM_CLOSE
  // A folder notification of the monitor: becomes WM_TICKETFILE with its own copy of the path, unless
  // a WM_TICKETFILE for that folder is still waiting in the queue (its scan will see this change too).
  void OnFolderNotify(const std::string& path, std::int16_t type) override;

  // The folder change of the About dialog, after the user confirmed with OK.
  void ChangeFolders(const std::string& reportFolder, const std::string& ticketFolder);

  // Views used by the other parts of the driver.
  CEcrContext* FindEcr(std::int32_t ecr) override { return m_EcrList.FindEcr(ecr); }
  std::string TicketRoot() const { return m_EcrList.TicketRoot(); }
  const std::string& BaseDirectory() const { return m_BaseDirectory; }
  const std::string& ReportFolder() const { return m_ReportFolder; }
  const CDriverSettings& Settings() const { return m_Settings; }
  const std::vector<std::shared_ptr<CEcrContext>>& Registers() const { return m_EcrList.All(); }
  // The control and the jobs' host; there from start-up step 1 on.
  IFiscalControl& Control() { return *m_Qor; }
  CJobRunner& Jobs() { return *m_Jobs; }
  std::size_t JobThreadCount() const { return m_Jobs->TicketJobCount(); }
  int SelectedRegister() const { return m_SelectedRegister; }
  void SetSelectedRegister(int index) { m_SelectedRegister = index; }
  CReportDisplay& ReportDisplay() { return m_ReportDisplay; }
  const std::string& FontFace() const { return m_FontFace; }
  int FontHeight() const { return m_FontHeight; }

  // Which modal window is up: set by the tray's commands, read by the tray icon, the intake and jobs.
  CModalState& Modal() { return m_Modal; }

  // True once the shutdown has begun (it ends with Closed); false before.
  bool IsClosed() const { return m_Closed; }
  // True when job threads were still running when the shutdown gave up waiting for them: their
  // registers and the control are then kept until the process ends.
  bool JobsAbandoned() const { return m_JobsAbandoned; }
  // How long the shutdown waits for running job threads (a few seconds; tests shorten it).
  void SetShutdownJobWait(std::chrono::milliseconds limit) { m_ShutdownJobWait = limit; }
  // How long a stop waits for the running jobs to finish the element they have under way (20 s).
  void SetStopJobWait(std::chrono::milliseconds limit) { m_StopJobWait = limit; }
  static constexpr std::chrono::milliseconds kStopJobWait{20000};
  static constexpr std::chrono::milliseconds kStopPollPeriod{20};

  // ITicketHost
  bool IsServiceSuspended() const override { return m_Modal.IsServiceSuspended(); }
  bool DescriptionCheck() const override { return m_Settings.m_DescriptionCheck; }
  const platform::CTextEncoding& TicketEncoding() const override { return m_Settings.m_TicketEncoding; }
  JobStartResult StartTicketJob(CEcrContext& ecr, const CDocumentJob& job) override {
    return m_Jobs->StartTicketJob(ecr, job);
  }
  bool IsTicketJobRunning(const std::string& documentPath) const override {
    return m_Jobs->IsTicketJobRunning(documentPath);
  }
  std::size_t TicketJobsRunning(std::int32_t ecrId) const override { return m_Jobs->TicketJobsRunning(ecrId); }
  void ScheduleTicketCheck(std::chrono::milliseconds delay) override;
  CAppearedNames TakeAppearedNames(const std::string& folder) override;
  void FlushThen(platform::CFlushStep step, FlushDone done) override;
  void TicketAnswered(const CTicketAnswer& answer) override {
    if (m_ShopWatch) m_ShopWatch->TicketAnswered(answer);
  }
  // What the administration sheet remembers of each register while the driver runs.
  CSheetMemory& SheetMemory() { return m_SheetMemory; }
  // What the shop sees of its registers; there once the start-up has finished.
  CShopWatch* ShopWatch() { return m_ShopWatch.get(); }

  // IFollowUpPoster
  void PostStatusAlert(std::int32_t ecr) override { PostMessage(WindowMessage::WM_STATUSALERT, ecr); }
  void StatusReceived(std::int32_t ecr) override {
    if (m_ShopWatch) m_ShopWatch->StatusReceived(ecr);
  }

 signals:
  // A job of the administration sheet has ended (on the window thread); the open sheet shows it.
  void SheetJobOutcome(const driver::CSheetJobOutcome& outcome);
  // WM_CLOSE is being handled: the shutdown has begun.
  void Closing();
  // Shutdown step 8: the window is closed; the program ends.
  void Closed();

 private:
  // Start-up steps (driver_startup.cpp).
  void DetermineBaseDirectory();
  bool GuardAgainstSecondDriver();
  void ApplyPriorityStep();
  void ReadSettings();
  void EndCompetingProgram();
  void OpenControl();
  void BuildRegisterList();
  void LayOutTicketFolders();
  void StartFolderMonitor();
  void StartShopWatch();

  // Folder monitor calls; nothing while no monitor is connected.
  bool ConnectFolderMonitor();
  void MonitorAddFolder(const std::string& folder);
  void MonitorRemoveFolder(const std::string& folder);
  void DisconnectFolderMonitor();

  // Shutdown steps, on WM_CLOSE (driver_shutdown.cpp).
  void OnClose();
  void ResumeLeftDocuments();
  void FinishCloseOnceJobsStopped();
  void EndJobThreads();
  void CloseControl();

  // Posted messages.
  void OnWindowMessage(WindowMessage message, std::int32_t wParam);
  void OnTicketFile(int notificationType, const std::string& folderPath);
  void OnTicketCheck();
  void ShowMessage(const char* number);

  CDriverEnvironment m_Environment;
  // Posting to the window thread; what is still queued when the driver object goes is dropped.
  platform::CQtWindowThread m_WindowThread;
  // Puts the ticket folders' files on the disk for the intake and the jobs (the "Durable" setting).
  platform::CFlushGroup m_Flushes;
  std::string m_BaseDirectory;
  CControlChoice m_ControlChoice;
  std::unique_ptr<CQor> m_Qor;
  CReportDisplay m_ReportDisplay;
  std::unique_ptr<CControlEvents> m_Events;
  std::unique_ptr<CTicketIntake> m_TicketIntake;
  CDriverSettings m_Settings;
  CModalState m_Modal;
  CEcrList m_EcrList;
  std::unique_ptr<CJobRunner> m_Jobs;
  std::unique_ptr<CShopWatch> m_ShopWatch;
  CSheetMemory m_SheetMemory;

  std::string m_ReportFolder;
  std::string m_FontFace;
  int m_FontHeight = 0;
  int m_SelectedRegister = 0;

  // Folders with a WM_TICKETFILE of the monitor queued and not yet handled.
  std::set<std::string> m_ScanQueued;
  // Runs the intake's next due writer check of a waiting ticket.
  QTimer m_TicketCheckTimer;
  // The safety rescan (driver_startup.cpp): every register's folder listed on a timer, and at once when
  // a file system is mounted or unmounted, for what no notification told.
  void StartSafetyRescan();
  bool MakeTicketFolder(const std::string& folder);
  std::optional<unsigned> m_TicketGroup;  // the tills' group ("TicketGroup"), when the system has it
  void SafetyRescan();
  QTimer m_RescanTimer;
  platform::FileDescriptor m_MountTable;
  std::unique_ptr<QSocketNotifier> m_MountWatch;

  // The folder monitor (QorSpy) with the sink subscribed to it; none when it could not be connected.
  std::unique_ptr<CFolderMonitor> m_FolderMonitor;

  // The locks on the base directory and the ticket root that keep a second driver off them.
  CInstanceGuard m_Guard;
  bool m_StartRefused = false;

  bool m_Closed = false;
  bool m_JobsAbandoned = false;
  std::chrono::milliseconds m_ShutdownJobWait{3000};
  std::chrono::milliseconds m_StopJobWait{kStopJobWait};
  std::chrono::steady_clock::time_point m_StopDeadline;
};

}  // namespace driver
