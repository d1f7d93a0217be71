#include "driver/ecr/qor_thread.h"

#include <array>
#include <optional>
#include <utility>
#include <variant>

#include "driver/ecr/direct_utility.h"
#include "driver/ecr/register_commands.h"
#include "driver/ecr/register_turn.h"
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
  if (m_current == nullptr || !m_current->JobMutex() || !m_current->StopMutex()) return 0;
  if (const auto* utility = std::get_if<CDirectUtilityJob>(&m_Kind)) {
    RunUtility(*utility);
    return 0;
  }
  const RegisterTurn turn = WaitForRegisterTurn(*m_current, std::nullopt, m_JobPlace);
  if (turn == RegisterTurn::kStop) {
    platform::DebugLog("CQorThread::WAIT_OBJECT_0+1");
    return 0;
  }
  if (turn == RegisterTurn::kBusy) return 0;
  // A job that gets the register only after the driver began to stop leaves it untouched.
  std::optional<std::int32_t> code;
  if (!Cancelled() && !m_current->IsStopping()) {
    m_pDriver.JobBegan(Identity(), m_current->m_EcrId);
    IFiscalControl& control = m_pDriver.Control();
    control.BeginJob(m_current->m_EcrId);
    code = RunJob(turn == RegisterTurn::kRegisterLeft);
    control.EndJob(m_current->m_EcrId);
  }
  m_current->JobMutex()->Release();
  if (code && !std::holds_alternative<CDocumentJob>(m_Kind)) m_pDriver.SheetJobEnded({m_current->m_EcrId, JobCode(), *code});
  m_pDriver.JobThreadEnded(Identity());
  return 0;
}

// Sent between jobs (direct_utility.h): a limited wait, no job bracket, nothing brought back, and the
// sheet hears how it went, also when the register stayed busy.
void CQorThread::RunUtility(const CDirectUtilityJob& utility) {
  const RegisterTurn turn = WaitForRegisterTurn(*m_current, m_current->Limits().m_Utility, m_JobPlace);
  if (turn == RegisterTurn::kStop) return;
  CSheetJobOutcome outcome{m_current->m_EcrId, kJobDirectUtility, kCodeSuccess};
  outcome.m_RegisterBusy = turn == RegisterTurn::kBusy;
  if (!outcome.m_RegisterBusy) {
    if (!Cancelled()) {
      CRegisterSession session(m_pDriver, *m_current, nullptr);
      SendDirectUtility(session, utility, outcome);
    }
    m_current->JobMutex()->Release();
  }
  if (!Cancelled()) m_pDriver.SheetJobEnded(outcome);
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
          [&](const CDirectUtilityJob& utility) {
            CSheetJobOutcome outcome;
            SendDirectUtility(session, utility, outcome);
            return outcome.m_Code;
          },
          [&](const CNoJob&) { return kCodeSuccess; },
      },
      m_Kind);
}

}  // namespace driver
