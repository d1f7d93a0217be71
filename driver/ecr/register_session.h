#pragma once
// CRegisterSession: what a job says to its register and notes in its files, for one job run. It sends
// (every call goes through the control, none once the register's context is cancelled at shutdown),
// awaits the register's events, locks and unlocks the keyboard, reads the register's status and
// counters, and writes the job's warning lines and reply texts (a job of the administration sheet has
// no files: it writes nothing).
//
// Every wait wakes on the register's change signal and ends when the register's context is cancelled;
// from then on the session sends nothing and writes nothing more. No wait holds the register for
// good: once the register reports no trouble and still lets a whole further period pass without the
// awaited event, the command is taken as lost and the wait gives up with 3.
//
// The waits are in completion_waits.cpp, the keyboard lock in keyboard_lock.cpp.

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

#include "driver/control/ecr_context.h"
#include "driver/ecr/job_host.h"
#include "driver/ecr/job_order.h"
#include "driver/ecr/job_progress.h"
#include "driver/tickets/result_codes.h"

namespace driver {

class CRegisterSession {
 public:
  // ticket: the files of a ticket job; null for a job of the administration sheet.
  CRegisterSession(IJobHost& host, CEcrContext& ecr, const CDocumentJob* ticket);

  CEcrContext& Register() const { return m_Ecr; }
  IJobHost& Host() const { return m_Host; }
  CJobOptions Options() const { return m_Host.Options(); }
  bool AnswersTicket() const { return m_Ticket != nullptr; }
  bool Cancelled() const { return m_Ecr.IsCancelled(); }
  bool IsZeroFamily() const { return m_Ecr.IsZeroFamily(); }
  // The register's event mailbox and status: a job reads them only here.
  CEventMailbox& Events() const { return m_Ecr.Events(); }
  CEcrStatus Status() const { return m_Ecr.Events().Status(); }
  const CWaitLimits& Limits() const { return m_Ecr.Limits(); }
  bool NotOperating() const { return Status().NotOperating(); }
  char HelloCharacter(std::size_t index) const { return Status().HelloCharacter(index); }

  // Control calls; once the register's context is cancelled they send nothing and give kCodeShutdown.
  ControlStatus SendIODirect(const std::string& command);
  ControlStatus SendWrite(const std::string& element, std::int32_t& job);
  ControlStatus SendRequest(std::int32_t code, std::string& text);
  void SendClearOutput();
  // Send and await: expect a new IODirect completion, send, take WaitIoDirectComplete (a send the control
  // refuses at once has no completion to wait for: its status is the code).
  std::int32_t SendAndAwait(const std::string& command, std::int32_t refusedCode = kCodeFailure);
  // The driver's WaitIODirect, result ignored by its callers.
  void DriverAwait(const std::string& command);

  // Waits until done() holds, at most limit; returns done().
  template <class Predicate>
  bool WaitFor(Predicate done, std::chrono::milliseconds limit) {
    return m_Ecr.Events().WaitUntil(done, std::chrono::steady_clock::now() + limit);
  }
  // The same, but each data question the register asks meanwhile shows that it is still at work on the
  // command (fetching an upload) and starts the period again.
  bool WaitWhileWorking(const std::function<bool()>& done, std::chrono::milliseconds period);
  std::int32_t WaitWorkComplete();
  // refusedCode is the element's code when the register refuses the command.
  std::int32_t WaitIoDirectComplete(std::int32_t refusedCode = kCodeFailure);
  // After a wait of one period for an event: 0 when it came; otherwise the register's trouble (or 3),
  // waited out with OnErrorContinue under the lost-command rule, with period as its period.
  std::int32_t GetEcrError(const std::function<bool()>& arrived, std::chrono::milliseconds period);
  // After a recovery with OnErrorVoidTicket: voids the receipt and waits for the register to confirm.
  std::int32_t VoidAfterRecovery();

  // Asks the register for its status text and parses it; 0, the Request's status, or 13 when empty.
  std::int32_t ReadEcrStatus(std::int32_t& requestStatus);
  // The same, for callers that only need to know whether a status came.
  bool RefreshStatus();
  // The register's counters; unknown when the control does not tell them.
  CRegisterCounters ReadCounters();

  std::int32_t BloccaTastiera();
  std::int32_t SbloccaTastiera();

  // The job's files: warning lines carry the index of the element under way.
  void SetElement(int index) { m_Element = index; }
  void WriteWarning(std::int32_t code);
  void WriteReplyString(const std::string& text);
  // The ticket's reply has its name.
  void TicketAnswered(std::int32_t code);

 private:
  enum class CompletionKind { Write, IoDirect };
  std::int32_t WaitComplete(CompletionKind kind, std::int32_t refusedCode);
  std::int32_t RecoverCompletion(CompletionKind kind, std::int32_t refusedCode, std::int32_t code);
  bool InOrder() const { return Status().InOrder(); }
  // True while the register is still working on the command and reports no trouble.
  bool InProgress(bool done) const { return !done && InOrder(); }
  // One pass of a recovery: waits while the register reports trouble, then at most one period for
  // done() or new trouble.
  enum class Pass { Done, Trouble, Lost, Cancelled };
  Pass RecoveryPass(const std::function<bool()>& done, std::chrono::milliseconds period);

  IJobHost& m_Host;
  CEcrContext& m_Ecr;
  const CDocumentJob* const m_Ticket;
  int m_Element = -1;
};

}  // namespace driver
