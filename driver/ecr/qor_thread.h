#pragma once
// CQorThread: one job on one register. Made with its order (CJobOrder: job code, register, what it
// works on), created suspended, given its place in the line for the register's job mutex, resumed; it
// waits for its turn at the job mutex (or for the stop mutex at shutdown), runs its job between
// BeginJob and EndJob, tells the driver it ended, and deletes itself. Jobs of one register thus run in
// the order they were started.
//
// The operations are spread over files by job: the thread entry and job table (qor_thread.cpp), the
// document executor (till_job.cpp and the till_*elements.cpp files), the completion waits
// (completion_waits.cpp), keyboard lock and error query (keyboard_lock.cpp), native command
// operations (native_commands.cpp, header_commands.cpp) and the reply writers (qor_thread_replies.cpp).
//
// Every wait wakes on the register's change signal and ends when the register's context is
// cancelled at shutdown; from then on the job sends nothing and writes nothing more. No wait holds the
// register for good: once the register reports no trouble and still lets a whole further period pass
// without the awaited event, the command is taken as lost and the wait gives up with 3.

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "driver/control/ecr_context.h"
#include "driver/ecr/job_host.h"
#include "driver/ecr/job_inputs.h"
#include "driver/ecr/job_progress.h"
#include "driver/ecr/result_codes.h"
#include "driver/ecr/worker_thread.h"
#include "platform/named_mutex.h"

namespace driver {

// Job codes; callers set these values directly.
inline constexpr std::int32_t kJobTicketDocument = 1234;
inline constexpr std::int32_t kJobReport = 1243;
inline constexpr std::int32_t kJobHistoryRollback = 1342;
inline constexpr std::int32_t kJobHistoryRequest = 2143;
inline constexpr std::int32_t kJobTicketHeader = 2341;
inline constexpr std::int32_t kJobPlu = 2413;
inline constexpr std::int32_t kJobDepartment = 3412;
inline constexpr std::int32_t kJobZeroSet = 4123;
inline constexpr std::int32_t kJobOffer = 4321;

// A job as one value, handed to its thread when the thread is made: its code (the label in the log
// and in the sheet's calls), its register, and what it works on. A ticket job has its command document
// and reply files; a job of the administration sheet has its own copy of the sheet's values. Nothing
// the sheet or another job does after the start reaches a job.
struct CJobOrder {
  std::int32_t m_Code = 0;
  CEcrContext* m_Register = nullptr;
  std::string m_DocumentPath;   // ".xmm", ticket jobs only
  std::string m_ReplyWorkPath;  // ".mag"
  std::string m_WarningPath;    // ".inf"
  std::string m_ReplyPath;      // ".rep"
  CJobInputs m_Inputs;          // jobs of the sheet only
};

class CQorThread : public CWorkerThread {
 public:
  CQorThread(IJobHost& driver, CJobOrder order);

  static constexpr const char* kRuntimeClassName = "CQorThread";

  CJobThreadIdentity Identity() const { return {this, Serial()}; }

  // The thread's entry: wait for the register, run the job, notify the driver. Public so that a job
  // can also be run on the calling thread.
  int Run() override;
  // The job of m_JobCode, without the mutexes and the BeginJob/EndJob bracket; the code it ended with
  // (a ticket job's own outcome is in its reply file).
  std::int32_t RunJob();
  // A register that a job left in the middle of its work: the status asked afresh, a receipt left open
  // voided, the keyboard unlocked, the display cleared.
  void BringRegisterToKnownState();

  // Command executor. A document left by an earlier run (a record of its progress beside it) is
  // resolved first, from that record and the register's own state (job_recovery.cpp).
  void DoTillJob();
  std::int32_t WaitWorkComplete();
  // refusedCode is the element's code when the register refuses the command.
  std::int32_t WaitIoDirectComplete(std::int32_t refusedCode = kCodeFailure);

  // Asks the register for its status text and parses it; 0, the Request's status, or 13 when empty.
  std::int32_t ReadEcrStatus(std::int32_t& requestStatus);
  // The register's counters; unknown when the control does not tell them.
  CRegisterCounters ReadCounters();

  // Keyboard lock and error query.
  std::int32_t BloccaTastiera();
  std::int32_t SbloccaTastiera();
  // After a wait of one period for an event flag: 0 when it came; otherwise the register's trouble (or
  // 3), waited out with OnErrorContinue under the lost-command rule, with period as its period.
  std::int32_t GetEcrError(Flag& flag, std::int32_t expected, std::chrono::milliseconds period);

  // Reply and warning files.
  void WriteWarning(std::int32_t code);
  void WriteReplyString(const std::string& text);
  void WriteReply(std::int32_t code);

  // Native command operations; each picks the command family of the register's type.
  std::int32_t KeySwitch(char letter);
  void ClearDisplay();
  std::int32_t DepartmentBatchStart();
  std::int32_t DepartmentRecord();
  std::int32_t DepartmentBatchEnd();
  std::int32_t PluBatchStart();
  std::int32_t PluRecord();
  std::int32_t PluBatchEnd();
  std::int32_t OfferBatchStart();
  std::int32_t OfferRecord();
  std::int32_t OfferBatchEnd();
  std::int32_t SetHeader();
  std::int32_t ZeroSet();  // the fiscal closure when the zero-set type is -1, awaited (19 when refused)
  std::int32_t Report();
  std::int32_t HistoryRequest();
  std::int32_t HistoryRollback();
  // Ends the open offer, PLU and department batches, in this order; the first nonzero code of their
  // ends (a zero-family upload the register refused or never fetched, a star-family end refused).
  std::int32_t EndBatches();
  std::int32_t EndOfferBatch();
  std::int32_t EndPluBatch();
  std::int32_t EndDepartmentBatch();

  std::int32_t JobCode() const { return m_JobCode; }
  CEcrContext& Register() const { return *m_current; }
  const std::string& ReplyPath() const { return m_ReplyPath; }
  // Reserved in the job mutex's line when the job is started; used up by the wait for the register.
  platform::MutexPlace m_JobPlace;

 private:
  // The job's order, fixed when the thread is made.
  const std::string m_DocumentPath;
  const std::string m_ReplyWorkPath;
  const std::string m_WarningPath;
  const std::string m_ReplyPath;
  CEcrContext* const m_current;
  IJobHost& m_pDriver;
  CJobInputs m_Inputs;  // the job's own programming, header, report and zero-set inputs
  const std::int32_t m_JobCode;
  // The run's own state.
  std::int32_t m_ElementCount = 0;
  std::int32_t m_OfferBatch = 0;
  std::int32_t m_PluBatch = 0;
  std::int32_t m_DepartmentBatch = 0;
  char m_SavedKey = 0;

  // Control calls; once the register's context is cancelled they send nothing and give kCodeShutdown.
  ControlStatus SendIODirect(const std::string& command);
  ControlStatus SendWrite(const std::string& element, std::int32_t& job);
  ControlStatus SendRequest(std::int32_t code, std::string& text);
  void SendClearOutput();
  // Send and await: clear m_IoDirectComplete, send, take WaitIoDirectComplete (a send the control
  // refuses at once has no completion to wait for: its status is the code).
  std::int32_t SendAndAwait(const std::string& command, std::int32_t refusedCode = kCodeFailure);
  // A zero-family exchange: the command during which the register fetches what the job handed over
  // (armed until the register has it all), then the command that makes the register take it.
  std::int32_t Exchange(const char* command, Flag& armed, const char* followUp);
  // The driver's WaitIODirect, result ignored by its callers.
  void DriverAwait(const std::string& command);

  bool Cancelled() const { return m_current->IsCancelled(); }
  bool IsZeroFamily() const { return m_current->IsZeroFamily(); }
  bool NotOperating() const { return m_current->m_Operating.Equals("0"); }
  // No paper out, no generic error, operating.
  bool InOrder() const;
  char HelloCharacter(std::size_t index) const;

  // Waits until done() holds, at most limit; returns done().
  template <class Predicate>
  bool WaitFor(Predicate done, std::chrono::milliseconds limit) {
    return m_current->WaitUntil(done, std::chrono::steady_clock::now() + limit);
  }
  // The same, but each data question the register asks meanwhile shows that it is still at work on the
  // command (fetching an upload) and starts the period again.
  bool WaitWhileWorking(const std::function<bool()>& done, std::chrono::milliseconds period);

  void ShowLastTotal();

  // Where a document's run goes on after an earlier run was interrupted: the element to start from,
  // or nothing when the job has been answered (or left) already.
  std::optional<int> ResolveInterruptedJob(const CJobRecord& record, const CJobProgress& progress);
  std::optional<int> ResolveReceipt(const CJobRecord& record, const std::vector<std::string>& tags,
                                    const CJobProgress& progress);
  std::optional<int> ResolveZeroSet(const CJobRecord& record, const CJobProgress& progress);
  void CompleteReply(std::int32_t code);
  // Runs the document's elements from the given one on, then answers.
  void RunDocument(const CJobProgress& progress, int from);
  // The reply, made so that a driver killed at any instant leaves it whole or resolvable, then the
  // document and its record removed.
  void FinishTicket(const CJobProgress& progress, std::int32_t code);
  // Warning lines of code 0 for the elements first..last, as their run would have written them.
  void WarnDone(int first, int last);
  // Asks the register for its status text and parses it into the context; false without an answer.
  bool RefreshStatus();

  // Shared body of the two completion waits.
  enum class CompletionKind { Write, IoDirect };
  std::int32_t WaitComplete(CompletionKind kind, std::int32_t refusedCode);
  std::int32_t RecoverCompletion(CompletionKind kind, std::int32_t refusedCode, std::int32_t code);
  bool InProgress(const Flag& done) const;
  // One pass of a recovery: waits while the register reports trouble, then at most one period for
  // done() or new trouble.
  enum class Pass { Done, Trouble, Lost, Cancelled };
  Pass RecoveryPass(const std::function<bool()>& done, std::chrono::milliseconds period);
  // After a recovery with OnErrorVoidTicket: voids the receipt and waits for the register to confirm.
  std::int32_t VoidAfterRecovery();

  // Steps of the star-family header.
  std::int32_t StarHeader();
  std::int32_t StarHeaderTransfer();
  std::int32_t StarFiscalClosure();

  // The elements of a command document use the control calls and waits above.
  friend class CTillJobElements;
};

}  // namespace driver
