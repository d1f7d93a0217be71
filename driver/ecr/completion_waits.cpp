#include "driver/ecr/command_strings.h"
#include "driver/ecr/qor_thread.h"
#include "driver/ecr/result_codes.h"

// The two completion waits of a job: for a Write (completion by OutputCompleteEvent, with a job
// result) and for an IODirect (completion by DirectIOEvent). A register that reports paper out, a
// generic error or "not operating" ends the first wait early; with OnErrorContinue on the job then
// waits for the register to recover, one warning line per recovery period.

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

std::int32_t CQorThread::WaitWorkComplete() { return WaitComplete(CompletionKind::Write); }

std::int32_t CQorThread::WaitIoDirectComplete() { return WaitComplete(CompletionKind::IoDirect); }

// True while the register is still working on the command and reports no trouble.
bool CQorThread::InProgress(const Flag& done) const {
  return !done && !m_current->m_PaperOut && !m_current->m_GenericError && !NotOperating();
}

std::int32_t CQorThread::WaitComplete(CompletionKind kind) {
  CEcrContext& ecr = *m_current;
  const Flag& done = kind == CompletionKind::Write ? ecr.m_WorkComplete : ecr.m_IoDirectComplete;
  const bool withResult = kind == CompletionKind::Write;
  WaitFor([&] { return !InProgress(done); }, ecr.m_Limits.m_Completion);
  if (Cancelled()) return kCodeShutdown;
  bool inOrder = !ecr.m_PaperOut && !ecr.m_GenericError && !NotOperating();
  if (done && inOrder && (!withResult || ecr.m_JobResult == 0)) return kCodeSuccess;
  if (withResult && done && ecr.m_JobResult != 0) {
    std::int32_t code = NotOperating() ? kCodeNotOperating : kCodeFailure;
    WriteWarning(code);
    return code;
  }
  std::int32_t code = ConditionCode(ecr, kCodeFailure);
  WriteWarning(code);
  if (!m_pDriver.Options().m_OnErrorContinue || ecr.m_GenericError) {
    SendClearOutput();
    return code;
  }
  return RecoverCompletion(kind, code);
}

// Waits for the register to be in order again and for the command to complete. Each pass that does
// not end well writes one warning line. A register that reports trouble is waited for as long as it
// takes; but once it reports none and still lets a whole period pass without completing the command,
// the command was lost on its way (the register stopped answering meanwhile): the wait ends with 3,
// as a time-out does without OnErrorContinue, instead of holding the register until a restart.
std::int32_t CQorThread::RecoverCompletion(CompletionKind kind, std::int32_t code) {
  CEcrContext& ecr = *m_current;
  const Flag& done = kind == CompletionKind::Write ? ecr.m_WorkComplete : ecr.m_IoDirectComplete;
  const bool withResult = kind == CompletionKind::Write;
  for (;;) {
    m_current->WaitUntil([&] { return !ecr.m_PaperOut && !ecr.m_GenericError && !NotOperating(); });
    if (Cancelled()) return kCodeShutdown;
    WaitFor([&] { return !InProgress(done); }, ecr.m_Limits.m_Completion);
    if (Cancelled()) return kCodeShutdown;
    bool inOrder = !ecr.m_PaperOut && !ecr.m_GenericError && !NotOperating();
    if (done && inOrder && !(withResult && ecr.m_JobResult != 0)) {
      if (!withResult || !m_pDriver.Options().m_OnErrorVoidTicket) return kCodeSuccess;
      std::int32_t job = 0;
      SendWrite(kTicketVoidElement, job);
      WriteWarning(kCodeTicketVoided);
      return kCodeTicketVoided;
    }
    bool ends = withResult && done && ecr.m_JobResult != 0;
    bool lost = !done && inOrder;
    code = ends || lost ? kCodeFailure : ConditionCode(ecr, code);
    WriteWarning(code);
    if (ends) return code;
    if (lost) {
      SendClearOutput();
      return code;
    }
  }
}

}  // namespace driver
