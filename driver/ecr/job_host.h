#pragma once
// What a job thread needs of the driver. The driver implements it; every call may come from any job
// thread at any time, so calls that touch the window (the sheet's status line, the end of a job) are
// queued to the window thread and return at once.

#include <cstdint>
#include <string>

#include "driver/control/ecr_context.h"
#include "driver/control/fiscal_control.h"
#include "driver/tickets/document_job.h"
#include "platform/flush_group.h"

namespace driver {

class CQorThread;

// The settings a job reads, fixed at start-up.
struct CJobOptions {
  bool m_OnErrorContinue = true;
  bool m_OnErrorVoidTicket = false;
  bool m_DisplayLastTotal = false;
};

// Who ended: the object's address, which the driver only compares and never uses, and its serial
// number, so that a new job thread that happens to get the same address is not taken for the old one.
// How a job of the administration sheet ended: its register, its job code and the code it ended
// with (0 = done).
struct CSheetJobOutcome {
  std::int32_t m_EcrId = 0;
  std::int32_t m_JobCode = 0;
  std::int32_t m_Code = 0;
  // A direct utility's only (direct_utility.h): the register's answer, or that nothing was sent
  // because the register stayed busy.
  std::string m_Answer{};
  bool m_RegisterBusy = false;
};

struct CJobThreadIdentity {
  const CQorThread* m_Object = nullptr;
  std::uint64_t m_Serial = 0;
  bool operator==(const CJobThreadIdentity&) const = default;
};

class IJobHost {
 public:
  virtual ~IJobHost() = default;

  virtual IFiscalControl& Control() = 0;
  virtual CJobOptions Options() const = 0;
  // What puts a ticket job's files on the disk (shared by every job and the intake).
  virtual platform::CFlushGroup& Flushes() = 0;

  // The driver's synchronous IODirect: expects a new IODirect completion, sends, waits for the completion
  // (at most the exchange limit, less when paper runs out); the send's status, or 3.
  virtual ControlStatus WaitIODirect(CEcrContext& ecr, const std::string& command, std::int16_t argument) = 0;

  // The administration sheet: whether it is open, and a text for its status line.
  virtual bool IsSheetOpen() const = 0;
  virtual void ShowSheetStatus(const std::string& text) = 0;
  // WM_STATUSALERT for a register whose status, parsed by a job, reported trouble during a header
  // transfer.
  virtual void PostStatusAlert(std::int32_t ecr) = 0;
  // A text of the message catalogue by number ("!?!" when absent).
  virtual std::string MessageText(int number) const = 0;

  // WM_JOBTHREADEND: the job thread has run its job and released the register's job mutex.
  virtual void JobThreadEnded(CJobThreadIdentity thread) = 0;
  // A job of the administration sheet has run; its outcome goes to the sheet's status line. Hosts
  // without a sheet ignore it.
  virtual void SheetJobEnded(const CSheetJobOutcome&) {}
  // For the shop's status report, which hosts without one ignore: a job has taken its register (its
  // end is JobThreadEnded); a ticket's reply has its name.
  virtual void JobBegan(CJobThreadIdentity, std::int32_t /*ecr*/) {}
  virtual void TicketAnswered(const CTicketAnswer&) {}
};

}  // namespace driver
