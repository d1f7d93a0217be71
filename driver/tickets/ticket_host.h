#pragma once
// What the ticket intake needs of the driver, and what it hands over for each accepted ticket.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "driver/control/ecr_context.h"
#include "driver/tickets/document_job.h"
#include "platform/flush_group.h"
#include "platform/text_encoding.h"

namespace driver {

enum class JobStartResult {
  Started,   // created suspended, given the job, highest priority, listed, resumed
  NoWorker,  // the job object could not be made
  NoThread,  // its thread could not be created
};

// The names of the files that appeared in a ticket folder since the last ask, in the order they
// appeared. Not complete when some may be missing: the folder is then listed.
struct CAppearedNames {
  std::vector<std::string> m_Names;
  bool m_Complete = false;
};

class ITicketHost {
 public:
  virtual ~ITicketHost() = default;
  virtual CEcrContext* FindEcr(std::int32_t ecrId) = 0;
  virtual bool IsServiceSuspended() const = 0;
  virtual bool DescriptionCheck() const = 0;
  // What the tills write tickets in ("TicketEncoding").
  virtual const platform::CTextEncoding& TicketEncoding() const = 0;
  virtual JobStartResult StartTicketJob(CEcrContext& ecr, const CDocumentJob& job) = 0;
  // True from StartTicketJob until that job's thread has ended.
  virtual bool IsTicketJobRunning(const std::string& documentPath) const = 0;
  // The ticket jobs of the register started and not yet ended.
  virtual std::size_t TicketJobsRunning(std::int32_t ecrId) const = 0;
  // Asks for CTicketIntake::CheckWaitingTickets on the intake's thread once the delay has passed, from
  // its event loop; a later request replaces an earlier one.
  virtual void ScheduleTicketCheck(std::chrono::milliseconds delay) = 0;
  // Runs the flushing step (platform/flush_group.h) and then done on the intake's thread, from its
  // event loop, in the order asked for; at once, before returning, when nothing is flushed. Nothing
  // is called once the driver has begun to stop.
  using FlushDone = std::function<void(const platform::CFlushOutcome&)>;
  virtual void FlushThen(platform::CFlushStep step, FlushDone done) = 0;
  // A ticket the intake answered itself (rejected, or given up) has its reply, for the shop's status
  // report; hosts without one ignore it.
  virtual void TicketAnswered(const CTicketAnswer&) {}
  // The names that appeared in the folder since the last ask (the folder monitor keeps them); a host
  // that has none has the folder listed at each look.
  virtual CAppearedNames TakeAppearedNames(const std::string& /*folder*/) { return {}; }
};

}  // namespace driver
