#include "driver/control/status_parse.h"
#include "driver/ecr/command_strings.h"
#include "driver/ecr/qor_thread.h"
#include "driver/ecr/result_codes.h"
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

std::int32_t CQorThread::WaitWorkComplete() { return WaitComplete(CompletionKind::Write, kCodeFailure); }

std::int32_t CQorThread::WaitIoDirectComplete(std::int32_t refusedCode) {
  return WaitComplete(CompletionKind::IoDirect, refusedCode);
}

bool CQorThread::WaitWhileWorking(const std::function<bool()>& done, std::chrono::milliseconds period) {
  for (;;) {
    const std::int32_t asked = m_current->m_QuestionsAsked;
    WaitFor([&] { return done() || m_current->m_QuestionsAsked != asked; }, period);
    if (done() || Cancelled() || m_current->m_QuestionsAsked == asked) return done();
  }
}

bool CQorThread::InOrder() const {
  return !m_current->m_PaperOut && !m_current->m_GenericError && !NotOperating();
}

// True while the register is still working on the command and reports no trouble.
bool CQorThread::InProgress(const Flag& done) const { return !done && InOrder(); }

CQorThread::Pass CQorThread::RecoveryPass(const std::function<bool()>& done, std::chrono::milliseconds period) {
  m_current->WaitUntil([&] { return InOrder(); });
  if (Cancelled()) return Pass::Cancelled;
  WaitWhileWorking([&] { return done() || !InOrder(); }, period);
  if (Cancelled()) return Pass::Cancelled;
  if (!InOrder()) return Pass::Trouble;
  return done() ? Pass::Done : Pass::Lost;
}

std::int32_t CQorThread::WaitComplete(CompletionKind kind, std::int32_t refusedCode) {
  CEcrContext& ecr = *m_current;
  const bool write = kind == CompletionKind::Write;
  const Flag& done = write ? ecr.m_WorkComplete : ecr.m_IoDirectComplete;
  const Flag& result = write ? ecr.m_JobResult : ecr.m_IoDirectResult;
  WaitWhileWorking([&] { return !InProgress(done); }, ecr.m_Limits.m_Completion);
  if (Cancelled()) return kCodeShutdown;
  if (done && result != 0) {
    platform::DebugLog("[ZEDO] ecr [%d] refused the command: result [%d]", ecr.m_EcrId, result.load());
    std::int32_t code = NotOperating() ? kCodeNotOperating : refusedCode;
    WriteWarning(code);
    return code;
  }
  if (done && InOrder()) return kCodeSuccess;
  std::int32_t code = ConditionCode(ecr, kCodeFailure);
  WriteWarning(code);
  if (!m_pDriver.Options().m_OnErrorContinue || ecr.m_GenericError) {
    SendClearOutput();
    return code;
  }
  return RecoverCompletion(kind, refusedCode, code);
}

// Waits for the register to be in order again and for the command to complete. Each pass that does
// not end well writes one warning line. A register that reports trouble is waited for as long as it
// takes; one that reports none and still lets a whole period pass has lost the command.
std::int32_t CQorThread::RecoverCompletion(CompletionKind kind, std::int32_t refusedCode, std::int32_t code) {
  CEcrContext& ecr = *m_current;
  const bool write = kind == CompletionKind::Write;
  const Flag& done = write ? ecr.m_WorkComplete : ecr.m_IoDirectComplete;
  const Flag& result = write ? ecr.m_JobResult : ecr.m_IoDirectResult;
  for (;;) {
    const Pass pass = RecoveryPass([&] { return done != 0; }, ecr.m_Limits.m_Completion);
    if (pass == Pass::Cancelled) return kCodeShutdown;
    if (done && result != 0) {
      WriteWarning(refusedCode);
      return refusedCode;
    }
    if (pass == Pass::Done) {
      if (write && m_pDriver.Options().m_OnErrorVoidTicket) return VoidAfterRecovery();
      return kCodeSuccess;
    }
    if (pass == Pass::Lost) {
      WriteWarning(kCodeFailure);
      SendClearOutput();
      return kCodeFailure;
    }
    code = ConditionCode(ecr, code);
    WriteWarning(code);
  }
}

// 21 only once the register has confirmed the void. A void it refuses because the receipt is no longer
// open (the element being recovered closed it) means the receipt was printed: that is the outcome, and
// the warning line carries the register's refusal. Anything else leaves the receipt in doubt: 3.
std::int32_t CQorThread::VoidAfterRecovery() {
  CEcrContext& ecr = *m_current;
  ecr.m_WorkComplete = 0;
  std::int32_t job = 0;
  const ControlStatus status = SendWrite(kTicketVoidElement, job);
  if (status == kCodeSuccess) WaitFor([&] { return !InProgress(ecr.m_WorkComplete); }, ecr.m_Limits.m_Completion);
  if (Cancelled()) return kCodeShutdown;
  if (status == kCodeSuccess && ecr.m_WorkComplete && ecr.m_JobResult == 0) {
    WriteWarning(kCodeTicketVoided);
    return kCodeTicketVoided;
  }
  const bool refused = status == kCodeSuccess && ecr.m_WorkComplete;
  WriteWarning(status != kCodeSuccess ? status : refused ? ecr.m_JobResult.load() : kCodeFailure);
  if (!refused) {
    SendClearOutput();
    return kCodeFailure;
  }
  std::string text;
  if (SendRequest(kRequestStatus, text) != kCodeSuccess || text.empty()) return kCodeFailure;
  ecr.m_StatusText.Set(text);
  if (ParseEcrStatus(ecr) == StatusFollowUp::kStatusAlert) m_pDriver.PostStatusAlert(ecr.m_EcrId);
  return ecr.m_TicketOpen ? kCodeFailure : kCodeSuccess;
}

std::int32_t CQorThread::GetEcrError(Flag& flag, std::int32_t expected, std::chrono::milliseconds period) {
  CEcrContext& ecr = *m_current;
  if (flag == expected) return kCodeSuccess;
  std::int32_t code = ConditionCode(ecr, kCodeFailure);
  WriteWarning(code);
  if (m_pDriver.Options().m_OnErrorContinue && !ecr.m_GenericError) {
    // Waits for the event as long as the register reports trouble (the operator replacing the paper).
    for (;;) {
      const Pass pass = RecoveryPass([&] { return flag == expected; }, period);
      if (pass == Pass::Cancelled) return kCodeShutdown;
      if (pass == Pass::Done) return kCodeSuccess;
      if (pass == Pass::Lost) break;
      code = ConditionCode(ecr, code);
      WriteWarning(code);
    }
    code = kCodeFailure;
    WriteWarning(code);
  }
  SendClearOutput();
  SbloccaTastiera();
  if (code == kCodeFailure) platform::DebugLog("[QOR_E_FAILURE] in CQorThread::GetEcrError");
  return code;
}

}  // namespace driver
