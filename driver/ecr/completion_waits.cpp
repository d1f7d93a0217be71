#include "driver/ecr/command_strings.h"
#include "driver/ecr/register_session.h"
#include "driver/tickets/result_codes.h"
#include "platform/debug_log.h"

// The waits of a job for its register: for a Write (completion by OutputCompleteEvent with the job's
// result), for an IODirect (completion by DirectIOEvent with the command's result), and for the other
// events a job waits for (a saved report, the end of a header exchange). A completion that carries a
// refusal fails the element. A register that reports paper out, a generic error or "not operating"
// ends the first wait early; with OnErrorContinue on the job then waits for the register to recover,
// one warning line per recovery period. A register that reports no trouble and still lets a whole
// period pass has lost the command: the wait gives up with 3 instead of holding the register.

namespace driver {
namespace {

// The register's condition as a code, by the first that holds; fallback when none does.
std::int32_t ConditionCode(const CEcrContext& ecr, std::int32_t fallback) {
  if (ecr.m_PaperOut) return kCodePaperOut;
  if (ecr.m_Operating.Equals("0")) return kCodeNotOperating;
  if (ecr.m_GenericError) return kCodeGenericError;
  return fallback;
}

}  // namespace

std::int32_t CRegisterSession::WaitWorkComplete() { return WaitComplete(CompletionKind::Write, kCodeFailure); }

std::int32_t CRegisterSession::WaitIoDirectComplete(std::int32_t refusedCode) {
  return WaitComplete(CompletionKind::IoDirect, refusedCode);
}

bool CRegisterSession::WaitWhileWorking(const std::function<bool()>& done, std::chrono::milliseconds period) {
  for (;;) {
    const std::int32_t asked = m_Ecr.m_QuestionsAsked;
    WaitFor([&] { return done() || m_Ecr.m_QuestionsAsked != asked; }, period);
    if (done() || Cancelled() || m_Ecr.m_QuestionsAsked == asked) return done();
  }
}

bool CRegisterSession::InOrder() const {
  return !m_Ecr.m_PaperOut && !m_Ecr.m_GenericError && !NotOperating();
}

// True while the register is still working on the command and reports no trouble.
bool CRegisterSession::InProgress(const Flag& done) const { return !done && InOrder(); }

CRegisterSession::Pass CRegisterSession::RecoveryPass(const std::function<bool()>& done, std::chrono::milliseconds period) {
  m_Ecr.WaitUntil([&] { return InOrder(); });
  if (Cancelled()) return Pass::Cancelled;
  WaitWhileWorking([&] { return done() || !InOrder(); }, period);
  if (Cancelled()) return Pass::Cancelled;
  if (!InOrder()) return Pass::Trouble;
  return done() ? Pass::Done : Pass::Lost;
}

std::int32_t CRegisterSession::WaitComplete(CompletionKind kind, std::int32_t refusedCode) {
  const bool write = kind == CompletionKind::Write;
  const Flag& done = write ? m_Ecr.m_WorkComplete : m_Ecr.m_IoDirectComplete;
  const Flag& result = write ? m_Ecr.m_JobResult : m_Ecr.m_IoDirectResult;
  WaitWhileWorking([&] { return !InProgress(done); }, m_Ecr.m_Limits.m_Completion);
  if (Cancelled()) return kCodeShutdown;
  if (done && result != 0) {
    platform::DebugLog("[ZEDO] ecr [%d] refused the command: result [%d]", m_Ecr.m_EcrId, result.load());
    std::int32_t code = NotOperating() ? kCodeNotOperating : refusedCode;
    WriteWarning(code);
    return code;
  }
  if (done && InOrder()) return kCodeSuccess;
  std::int32_t code = ConditionCode(m_Ecr, kCodeFailure);
  WriteWarning(code);
  if (!m_Host.Options().m_OnErrorContinue || m_Ecr.m_GenericError) {
    SendClearOutput();
    return code;
  }
  return RecoverCompletion(kind, refusedCode, code);
}

// Waits for the register to be in order again and for the command to complete. Each pass that does
// not end well writes one warning line. A register that reports trouble is waited for as long as it
// takes; one that reports none and still lets a whole period pass has lost the command.
std::int32_t CRegisterSession::RecoverCompletion(CompletionKind kind, std::int32_t refusedCode, std::int32_t code) {
  const bool write = kind == CompletionKind::Write;
  const Flag& done = write ? m_Ecr.m_WorkComplete : m_Ecr.m_IoDirectComplete;
  const Flag& result = write ? m_Ecr.m_JobResult : m_Ecr.m_IoDirectResult;
  for (;;) {
    const Pass pass = RecoveryPass([&] { return done != 0; }, m_Ecr.m_Limits.m_Completion);
    if (pass == Pass::Cancelled) return kCodeShutdown;
    if (done && result != 0) {
      WriteWarning(refusedCode);
      return refusedCode;
    }
    if (pass == Pass::Done) {
      if (write && m_Host.Options().m_OnErrorVoidTicket) return VoidAfterRecovery();
      return kCodeSuccess;
    }
    if (pass == Pass::Lost) {
      WriteWarning(kCodeFailure);
      SendClearOutput();
      return kCodeFailure;
    }
    code = ConditionCode(m_Ecr, code);
    WriteWarning(code);
  }
}

// 21 only once the register has confirmed the void. A void it refuses because the receipt is no longer
// open (the element being recovered closed it) means the receipt was printed: that is the outcome, and
// the warning line carries the register's refusal. Anything else leaves the receipt in doubt: 3.
std::int32_t CRegisterSession::VoidAfterRecovery() {
  m_Ecr.m_WorkComplete = 0;
  std::int32_t job = 0;
  const ControlStatus status = SendWrite(kTicketVoidElement, job);
  if (status == kCodeSuccess) WaitFor([&] { return !InProgress(m_Ecr.m_WorkComplete); }, m_Ecr.m_Limits.m_Completion);
  if (Cancelled()) return kCodeShutdown;
  if (status == kCodeSuccess && m_Ecr.m_WorkComplete && m_Ecr.m_JobResult == 0) {
    WriteWarning(kCodeTicketVoided);
    return kCodeTicketVoided;
  }
  const bool refused = status == kCodeSuccess && m_Ecr.m_WorkComplete;
  WriteWarning(status != kCodeSuccess ? status : refused ? m_Ecr.m_JobResult.load() : kCodeFailure);
  if (!refused) {
    SendClearOutput();
    return kCodeFailure;
  }
  if (!RefreshStatus()) return kCodeFailure;
  return m_Ecr.m_TicketOpen ? kCodeFailure : kCodeSuccess;
}

std::int32_t CRegisterSession::GetEcrError(Flag& flag, std::int32_t expected, std::chrono::milliseconds period) {
  if (flag == expected) return kCodeSuccess;
  std::int32_t code = ConditionCode(m_Ecr, kCodeFailure);
  WriteWarning(code);
  if (m_Host.Options().m_OnErrorContinue && !m_Ecr.m_GenericError) {
    // Waits for the event as long as the register reports trouble (the operator replacing the paper).
    for (;;) {
      const Pass pass = RecoveryPass([&] { return flag == expected; }, period);
      if (pass == Pass::Cancelled) return kCodeShutdown;
      if (pass == Pass::Done) return kCodeSuccess;
      if (pass == Pass::Lost) break;
      code = ConditionCode(m_Ecr, code);
      WriteWarning(code);
    }
    code = kCodeFailure;
    WriteWarning(code);
  }
  SendClearOutput();
  SbloccaTastiera();
  if (code == kCodeFailure) platform::DebugLog("[QOR_E_FAILURE] in CRegisterSession::GetEcrError");
  return code;
}

}  // namespace driver
