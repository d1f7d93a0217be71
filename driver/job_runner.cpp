#include "driver/job_runner.h"

#include <algorithm>

#include "driver/control/wait_io_direct.h"
#include "driver/ecr/job_starter.h"
#include "driver/ecr/worker_thread.h"
#include "driver/messages.h"
#include "platform/debug_log.h"

namespace driver {

JobStartResult CJobRunner::StartTicketJob(CEcrContext& ecr, const CDocumentJob& job) {
  return driver::StartTicketJob(*this, ecr, job, [this, &ecr, &job](CQorThread& thread) {
    m_TicketJobs.push_back({thread.Identity(), job.m_DocumentPath, ecr.m_EcrId});
    ++m_TicketJobsPerRegister[ecr.m_EcrId];
  });
}

bool CJobRunner::IsTicketJobRunning(const std::string& documentPath) const {
  return std::any_of(m_TicketJobs.begin(), m_TicketJobs.end(),
                     [&](const CListedJob& job) { return job.m_DocumentPath == documentPath; });
}

std::size_t CJobRunner::TicketJobsRunning(std::int32_t ecrId) const {
  auto counted = m_TicketJobsPerRegister.find(ecrId);
  return counted == m_TicketJobsPerRegister.end() ? 0 : counted->second;
}

bool CJobRunner::AnyJobThreadLive() { return CWorkerThread::LiveCount() > 0; }

bool CJobRunner::WaitForJobThreads(std::chrono::milliseconds limit) {
  const bool allEnded = CWorkerThread::WaitAllEnded(limit);
  if (!allEnded) {
    platform::DebugLog("[ZEDO] Shutdown: [%d] job threads did not end in [%d] ms, given up",
                       CWorkerThread::LiveCount(), static_cast<int>(limit.count()));
  }
  m_TicketJobs.clear();
  m_TicketJobsPerRegister.clear();
  return allEnded;
}

CJobOptions CJobRunner::Options() const {
  CJobOptions options;
  options.m_OnErrorContinue = m_Links.m_Settings.m_OnErrorContinue;
  options.m_OnErrorVoidTicket = m_Links.m_Settings.m_OnErrorVoidTicket;
  options.m_DisplayLastTotal = m_Links.m_Settings.m_DisplayLastTotal;
  return options;
}

ControlStatus CJobRunner::WaitIODirect(CEcrContext& ecr, const std::string& command, std::int16_t argument) {
  return driver::WaitIODirect(m_Links.m_Control, ecr.m_EcrId, command, argument, ecr);
}

void CJobRunner::ShowSheetStatus(const std::string& text) {
  m_Links.m_WindowThread.Post([this, text] { m_Links.m_Display.ShowStatus(text); });
}

std::string CJobRunner::MessageText(int number) const { return LoadMessage(std::to_string(number)); }

void CJobRunner::JobThreadEnded(CJobThreadIdentity thread) {
  m_Links.m_WindowThread.Post([this, thread] { OnJobThreadEnd(thread); });
}

void CJobRunner::SheetJobEnded(const CSheetJobOutcome& outcome) {
  m_Links.m_WindowThread.Post([this, outcome] { m_Links.m_SheetJobEnded(outcome); });
}

void CJobRunner::JobBegan(CJobThreadIdentity thread, std::int32_t ecr) {
  m_Links.m_WindowThread.Post([this, thread, ecr] {
    const auto listed = std::find_if(m_TicketJobs.begin(), m_TicketJobs.end(),
                                     [&](const CListedJob& job) { return job.m_Thread == thread; });
    if (m_Links.m_JobBegan) m_Links.m_JobBegan(thread, ecr, listed == m_TicketJobs.end() ? std::string() : listed->m_DocumentPath);
  });
}

void CJobRunner::TicketAnswered(const CTicketAnswer& answer) {
  m_Links.m_WindowThread.Post([this, answer] {
    if (m_Links.m_TicketAnswered) m_Links.m_TicketAnswered(answer);
  });
}

// The thread has ended (or is about to): its identity is only compared, never used.
void CJobRunner::OnJobThreadEnd(CJobThreadIdentity thread) {
  if (m_Links.m_JobEnded) m_Links.m_JobEnded(thread);
  auto listed = std::find_if(m_TicketJobs.begin(), m_TicketJobs.end(),
                             [&](const CListedJob& job) { return job.m_Thread == thread; });
  if (listed == m_TicketJobs.end()) return;
  if (auto counted = m_TicketJobsPerRegister.find(listed->m_EcrId); counted != m_TicketJobsPerRegister.end() && --counted->second == 0)
    m_TicketJobsPerRegister.erase(counted);
  m_TicketJobs.erase(listed);
  m_Links.m_TicketJobEnded();
}

}  // namespace driver
