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
std::int32_t ConditionCode(const CEcrStatus& status, std::int32_t fallback) {
  if (status.m_PaperOut) return kCodePaperOut;
  if (status.NotOperating()) return kCodeNotOperating;
  if (status.m_GenericError) return kCodeGenericError;
  return fallback;
}

}  // namespace

std::int32_t CRegisterSession::WaitWorkComplete() { return WaitComplete(CompletionKind::Write, kCodeFailure); }

std::int32_t CRegisterSession::WaitIoDirectComplete(std::int32_t refusedCode) {
  return WaitComplete(CompletionKind::IoDirect, refusedCode);
}

bool CRegisterSession::WaitWhileWorking(const std::function<bool()>& done, std::chrono::milliseconds period) {
  for (;;) {
    const std::int32_t asked = Events().QuestionsAsked();
    WaitFor([&] { return done() || Events().QuestionsAsked() != asked; }, period);
    if (done() || Cancelled() || Events().QuestionsAsked() == asked) return done();
  }
}

CRegisterSession::Pass CRegisterSession::RecoveryPass(const std::function<bool()>& done, std::chrono::milliseconds period) {
  Events().WaitUntil([&] { return InOrder(); });
  if (Cancelled()) return Pass::Cancelled;
  WaitWhileWorking([&] { return done() || !InOrder(); }, period);
  if (Cancelled()) return Pass::Cancelled;
  if (!InOrder()) return Pass::Trouble;
  return done() ? Pass::Done : Pass::Lost;
}

std::int32_t CRegisterSession::WaitComplete(CompletionKind kind, std::int32_t refusedCode) {
  const bool write = kind == CompletionKind::Write;
  const auto done = [&] { return write ? Events().WriteDone() : Events().IoDirectDone(); };
  const auto result = [&] { return write ? Events().WriteResult() : Events().IoDirectResult(); };
  WaitWhileWorking([&] { return !InProgress(done()); }, Limits().m_Completion);
  if (Cancelled()) return kCodeShutdown;
  if (done() && result() != 0) {
    platform::DebugLog("[ZEDO] ecr [%d] refused the command: result [%d]", m_Ecr.m_EcrId, result());
    std::int32_t code = NotOperating() ? kCodeNotOperating : refusedCode;
    WriteWarning(code);
    return code;
  }
  if (done() && InOrder()) return kCodeSuccess;
  std::int32_t code = ConditionCode(Status(), kCodeFailure);
  WriteWarning(code);
  if (!m_Host.Options().m_OnErrorContinue || Status().m_GenericError) {
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
  const auto done = [&] { return write ? Events().WriteDone() : Events().IoDirectDone(); };
  const auto result = [&] { return write ? Events().WriteResult() : Events().IoDirectResult(); };
  for (;;) {
    const Pass pass = RecoveryPass(done, Limits().m_Completion);
    if (pass == Pass::Cancelled) return kCodeShutdown;
    if (done() && result() != 0) {
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
    code = ConditionCode(Status(), code);
    WriteWarning(code);
  }
}

// 21 only once the register has confirmed the void. A void it refuses because the receipt is no longer
// open (the element being recovered closed it) means the receipt was printed: that is the outcome, and
// the warning line carries the register's refusal. Anything else leaves the receipt in doubt: 3.
std::int32_t CRegisterSession::VoidAfterRecovery() {
  Events().ExpectWrite();
  std::int32_t job = 0;
  const ControlStatus status = SendWrite(kTicketVoidElement, job);
  if (status == kCodeSuccess) WaitFor([&] { return !InProgress(Events().WriteDone()); }, Limits().m_Completion);
  if (Cancelled()) return kCodeShutdown;
  if (status == kCodeSuccess && Events().WriteDone() && Events().WriteResult() == 0) {
    WriteWarning(kCodeTicketVoided);
    return kCodeTicketVoided;
  }
  const bool refused = status == kCodeSuccess && Events().WriteDone();
  WriteWarning(status != kCodeSuccess ? status : refused ? Events().WriteResult() : kCodeFailure);
  if (!refused) {
    SendClearOutput();
    return kCodeFailure;
  }
  if (!RefreshStatus()) return kCodeFailure;
  return Status().m_TicketOpen ? kCodeFailure : kCodeSuccess;
}

std::int32_t CRegisterSession::GetEcrError(const std::function<bool()>& arrived, std::chrono::milliseconds period) {
  if (arrived()) return kCodeSuccess;
  std::int32_t code = ConditionCode(Status(), kCodeFailure);
  WriteWarning(code);
  if (m_Host.Options().m_OnErrorContinue && !Status().m_GenericError) {
    // Waits for the event as long as the register reports trouble (the operator replacing the paper).
    for (;;) {
      const Pass pass = RecoveryPass(arrived, period);
      if (pass == Pass::Cancelled) return kCodeShutdown;
      if (pass == Pass::Done) return kCodeSuccess;
      if (pass == Pass::Lost) break;
      code = ConditionCode(Status(), code);
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
