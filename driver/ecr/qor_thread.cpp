#include "driver/ecr/qor_thread.h"

#include <array>
#include <optional>
#include <utility>
#include <variant>

#include "driver/ecr/register_commands.h"
#include "driver/ecr/register_session.h"
#include "driver/tickets/result_codes.h"
#include "driver/ecr/till_job.h"
#include "platform/debug_log.h"
#include "platform/named_mutex.h"

namespace driver {
namespace {

// One call per job kind.
template <class... Calls>
struct CKindVisitor : Calls... {
  using Calls::operator()...;
};
template <class... Calls>
CKindVisitor(Calls...) -> CKindVisitor<Calls...>;

}  // namespace

CQorThread::CQorThread(IJobHost& driver, CJobOrder order, platform::MutexPlace place)
    : m_current(order.m_Register), m_pDriver(driver), m_Kind(std::move(order.m_Kind)), m_JobPlace(std::move(place)) {}

std::string CQorThread::ReplyPath() const {
  const CDocumentJob* ticket = std::get_if<CDocumentJob>(&m_Kind);
  return ticket != nullptr ? ticket->m_ReplyPath : std::string();
}

// A job mutex taken abandoned comes from a job thread of this driver that ended while it held the
// register (a process that died leaves the mutex free instead). The register is brought back to a
// known state first, then the job runs and releases the register like any other: an ended job never
// holds its register for good.
int CQorThread::Run() {
  if (m_current == nullptr || !m_current->m_hJobMutex || !m_current->m_hStopMutex) return 0;
  std::array<platform::NamedMutex*, 2> mutexes{m_current->m_hJobMutex.get(), m_current->m_hStopMutex.get()};
  std::uint32_t waited = platform::WaitForAnyMutex(mutexes, std::nullopt, &m_JobPlace);
  if (waited == platform::kWaitObject0 || waited == platform::kWaitAbandoned0) {
    // A job that gets the register only after the driver began to stop leaves it untouched.
    std::optional<std::int32_t> code;
    if (!Cancelled() && !m_current->IsStopping()) {
      m_pDriver.JobBegan(Identity(), m_current->m_EcrId, JobCode());
      IFiscalControl& control = m_pDriver.Control();
      control.BeginJob(m_current->m_EcrId);
      code = RunJob(waited == platform::kWaitAbandoned0);
      control.EndJob(m_current->m_EcrId);
    }
    m_current->m_hJobMutex->Release();
    if (code && !std::holds_alternative<CDocumentJob>(m_Kind)) m_pDriver.SheetJobEnded({m_current->m_EcrId, JobCode(), *code});
    m_pDriver.JobThreadEnded(Identity());
  } else if (waited == platform::kWaitObject0 + 1 || waited == platform::kWaitAbandoned0 + 1) {
    platform::DebugLog("CQorThread::WAIT_OBJECT_0+1");
    m_current->m_hStopMutex->Release();
  }
  return 0;
}

std::int32_t CQorThread::RunJob(bool registerLeft) {
  CRegisterSession session(m_pDriver, *m_current, std::get_if<CDocumentJob>(&m_Kind));
  CRegisterCommands commands(session);
  if (registerLeft) commands.BringRegisterToKnownState();
  // A programming job ends its batch whatever its record gave; the first failure is its code.
  const auto programmed = [&](std::int32_t recorded, std::int32_t (CRegisterCommands::*end)()) {
    const std::int32_t ended = (commands.*end)();
    return recorded != kCodeSuccess ? recorded : ended;
  };
  return std::visit(
      CKindVisitor{
          [&](const CDocumentJob& ticket) {
            CTillJob(session, commands, ticket).DoTillJob();
            return kCodeSuccess;
          },
          [&](const CDepartmentJob& job) {
            return programmed(commands.AddDepartment(job.m_Record), &CRegisterCommands::EndDepartmentBatch);
          },
          [&](const CPluJob& job) { return programmed(commands.AddPlu(job.m_Record), &CRegisterCommands::EndPluBatch); },
          [&](const COfferJob& job) {
            return programmed(commands.AddOffer(job.m_Record), &CRegisterCommands::EndOfferBatch);
          },
          [&](const CHeaderJob& job) { return commands.SetHeader(job); },
          [&](const CReportJob& job) { return commands.Report(job); },
          [&](const CZeroSetJob& job) { return commands.ZeroSet(job); },
          [&](const CHistoryRequestJob&) { return commands.HistoryRequest(); },
          [&](const CHistoryRollbackJob&) { return commands.HistoryRollback(); },
          [&](const CNoJob&) { return kCodeSuccess; },
      },
      m_Kind);
}

}  // namespace driver
