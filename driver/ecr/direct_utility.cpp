#include "driver/ecr/direct_utility.h"

#include <chrono>
#include <new>
#include <vector>

#include "driver/ecr/command_strings.h"
#include "driver/tickets/result_codes.h"
#include "driver/ecr/worker_thread.h"
#include "platform/named_mutex.h"

namespace driver {
namespace {

constexpr const char* kStarClearError = "*SZ";
constexpr const char* kZeroClearError = "0;#S3:3";

class CDirectUtilityThread final : public CWorkerThread {
 public:
  CDirectUtilityThread(IJobHost& host, CEcrContext& ecr, DirectUtility utility, std::string command)
      : m_Host(host), m_Ecr(ecr), m_Utility(utility), m_Command(std::move(command)) {}

  // Taken on the starting thread, so the utility waits in line behind the jobs started before it.
  platform::MutexPlace m_Place;

 private:
  enum class Turn { Register, Busy, Stop };

  int Run() override;
  // Waits for the job mutex (Register, then held) or the stop mutex (Stop, then released again).
  Turn WaitForTurn();
  ControlStatus Send();
  void AwaitAnswer(CSheetJobOutcome& outcome);

  IJobHost& m_Host;
  CEcrContext& m_Ecr;
  const DirectUtility m_Utility;
  const std::string m_Command;
};

int CDirectUtilityThread::Run() {
  const Turn turn = WaitForTurn();
  if (turn == Turn::Stop) return 0;
  CSheetJobOutcome outcome{m_Ecr.m_EcrId, kJobDirectUtility, kCodeSuccess};
  outcome.m_RegisterBusy = turn == Turn::Busy;
  if (turn == Turn::Register) {
    if (!m_Ecr.IsCancelled()) {
      // Cleared before anything is sent, so only this command's completion counts.
      m_Ecr.m_IoDirectComplete = 0;
      outcome.m_Code = Send();
      if (outcome.m_Code == kCodeSuccess) AwaitAnswer(outcome);
    }
    m_Ecr.m_hJobMutex->Release();
  }
  if (!m_Ecr.IsCancelled()) m_Host.SheetJobEnded(outcome);
  return 0;
}

// A mutex left behind by a job thread that died is still the register's once taken.
CDirectUtilityThread::Turn CDirectUtilityThread::WaitForTurn() {
  std::vector<platform::NamedMutex*> mutexes{m_Ecr.m_hJobMutex.get()};
  if (m_Ecr.m_hStopMutex) mutexes.push_back(m_Ecr.m_hStopMutex.get());
  const std::uint32_t waited = platform::WaitForAnyMutex(mutexes, m_Ecr.m_Limits.m_Utility, &m_Place);
  if (waited == platform::kWaitObject0 || waited == platform::kWaitAbandoned0) return Turn::Register;
  if (waited != platform::kWaitObject0 + 1 && waited != platform::kWaitAbandoned0 + 1) return Turn::Busy;
  m_Ecr.m_hStopMutex->Release();
  return Turn::Stop;
}

ControlStatus CDirectUtilityThread::Send() {
  IFiscalControl& control = m_Host.Control();
  const bool star = !m_Ecr.IsZeroFamily();
  switch (m_Utility) {
    case DirectUtility::UnlockKeyboard:
      return star ? m_Host.WaitIODirect(m_Ecr, kStarUnlock, 0) : control.IODirect(m_Ecr.m_EcrId, kZeroUnlock, 0);
    case DirectUtility::ClearError: {
      if (!star) return control.IODirect(m_Ecr.m_EcrId, kZeroClearError, 0);
      const ControlStatus first = m_Host.WaitIODirect(m_Ecr, kStarClearError, 0);
      const ControlStatus second = m_Host.WaitIODirect(m_Ecr, kStarClearError, 0);
      return first != kCodeSuccess ? first : second;
    }
    case DirectUtility::Command:
      return control.IODirect(m_Ecr.m_EcrId, m_Command, 0);
  }
  return kCodeFailure;
}

// The register's own answer is what the sheet shows: the text it completed the command with.
void CDirectUtilityThread::AwaitAnswer(CSheetJobOutcome& outcome) {
  const bool completed = m_Ecr.WaitUntil([this] { return m_Ecr.m_IoDirectComplete.load() != 0; },
                                         std::chrono::steady_clock::now() + m_Ecr.m_Limits.m_Exchange);
  if (completed) {
    outcome.m_Answer = m_Ecr.m_IoDirectAnswer.Get();
  } else {
    outcome.m_Code = kCodeFailure;
  }
}

}  // namespace

JobStartResult StartDirectUtility(IJobHost& host, CEcrContext& ecr, DirectUtility utility,
                                  const std::string& command) {
  auto* thread = new (std::nothrow) CDirectUtilityThread(host, ecr, utility, command);
  if (thread == nullptr) return JobStartResult::NoWorker;
  if (!thread->CreateSuspended()) {
    delete thread;
    return JobStartResult::NoThread;
  }
  if (ecr.m_hJobMutex) thread->m_Place = ecr.m_hJobMutex->ReservePlace();
  thread->Resume();
  return JobStartResult::Started;
}

}  // namespace driver
