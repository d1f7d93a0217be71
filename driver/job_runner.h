#pragma once
// CJobRunner: the driver's jobs. It is the host every job thread talks to, and keeps the job threads
// of tickets started and not yet ended, with the command document of each, so that the intake never
// starts a document twice and knows how many jobs wait for each register. The list lives on the
// window thread; job threads call from anywhere, and what they report is posted there.

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "driver/control/driver_links.h"
#include "driver/control/report_display.h"
#include "driver/driver_settings.h"
#include "driver/ecr/job_host.h"
#include "driver/modal_state.h"
#include "driver/tickets/ticket_host.h"
#include "platform/window_thread.h"

namespace driver {

// What the runner works with; all of it outlives the runner.
struct CJobRunnerLinks {
  platform::IWindowThread& m_WindowThread;
  IFiscalControl& m_Control;
  const CDriverSettings& m_Settings;  // read by jobs once the start-up has read it
  const CModalState& m_Modal;
  CReportDisplay& m_Display;  // the sheet's status line
  platform::CFlushGroup& m_Flushes;
  IFollowUpPoster& m_FollowUps;
  // On the window thread: a listed ticket job has ended; a job of the sheet has ended.
  std::function<void()> m_TicketJobEnded;
  std::function<void(const CSheetJobOutcome&)> m_SheetJobEnded;
  // On the window thread, for the shop's status: a job has taken its register (with its command
  // document, for a ticket job), a job thread has ended, a ticket's reply has its name.
  std::function<void(CJobThreadIdentity, std::int32_t, const std::string&)> m_JobBegan;
  std::function<void(CJobThreadIdentity)> m_JobEnded;
  std::function<void(const CTicketAnswer&)> m_TicketAnswered;
};

class CJobRunner final : public IJobHost {
 public:
  explicit CJobRunner(CJobRunnerLinks links) : m_Links(std::move(links)) {}

  // The intake's side, on the window thread.
  JobStartResult StartTicketJob(CEcrContext& ecr, const CDocumentJob& job);
  bool IsTicketJobRunning(const std::string& documentPath) const;
  std::size_t TicketJobsRunning(std::int32_t ecrId) const;
  std::size_t TicketJobCount() const { return m_TicketJobs.size(); }

  // The shutdown's side: whether a job thread of this process still runs, and the last wait for them
  // once their registers are cancelled; false when some were given up after limit.
  static bool AnyJobThreadLive();
  bool WaitForJobThreads(std::chrono::milliseconds limit);

  // IJobHost
  IFiscalControl& Control() override { return m_Links.m_Control; }
  CJobOptions Options() const override;
  platform::CFlushGroup& Flushes() override { return m_Links.m_Flushes; }
  ControlStatus WaitIODirect(CEcrContext& ecr, const std::string& command, std::int16_t argument) override;
  bool IsSheetOpen() const override { return m_Links.m_Modal.IsSheetOpen(); }
  void ShowSheetStatus(const std::string& text) override;
  void PostStatusAlert(std::int32_t ecr) override { m_Links.m_FollowUps.PostStatusAlert(ecr); }
  std::string MessageText(int number) const override;
  void JobThreadEnded(CJobThreadIdentity thread) override;
  void SheetJobEnded(const CSheetJobOutcome& outcome) override;
  void JobBegan(CJobThreadIdentity thread, std::int32_t ecr) override;
  void TicketAnswered(const CTicketAnswer& answer) override;

 private:
  void OnJobThreadEnd(CJobThreadIdentity thread);

  CJobRunnerLinks m_Links;
  struct CListedJob {
    CJobThreadIdentity m_Thread;
    std::string m_DocumentPath;
    std::int32_t m_EcrId = 0;
  };
  std::vector<CListedJob> m_TicketJobs;
  // Per register, its jobs in m_TicketJobs: asked for every waiting ticket at every look of the intake.
  std::map<std::int32_t, std::size_t> m_TicketJobsPerRegister;
};

}  // namespace driver
