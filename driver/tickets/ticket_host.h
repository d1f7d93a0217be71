#pragma once
// What the ticket intake needs of the driver, and what it hands over for each accepted ticket.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

#include "driver/control/ecr_context.h"

namespace driver {

inline constexpr std::int32_t kTicketJobCode = 1234;

// Everything a ticket job is given before its thread is resumed.
struct CTicketJob {
  std::string m_DocumentPath;   // ".xmm"
  std::string m_ReplyWorkPath;  // ".mag"
  std::string m_WarningPath;    // ".inf"
  std::string m_ReplyPath;      // ".rep"
  CEcrContext* m_current = nullptr;
  std::int32_t m_JobCode = kTicketJobCode;
};

enum class JobStartResult {
  Started,   // created suspended, given the job, highest priority, listed, resumed
  NoWorker,  // the job object could not be made
  NoThread,  // its thread could not be created
};

class ITicketHost {
 public:
  virtual ~ITicketHost() = default;
  virtual CEcrContext* FindEcr(std::int32_t ecrId) = 0;
  virtual bool IsServiceSuspended() const = 0;
  virtual bool DescriptionCheck() const = 0;
  virtual JobStartResult StartTicketJob(const CTicketJob& job) = 0;
  // True from StartTicketJob until that job's thread has ended.
  virtual bool IsTicketJobRunning(const std::string& documentPath) const = 0;
  // The ticket jobs of the register started and not yet ended.
  virtual std::size_t TicketJobsRunning(std::int32_t ecrId) const = 0;
  // Asks for CTicketIntake::CheckWaitingTickets on the intake's thread once the delay has passed, from
  // its event loop; a later request replaces an earlier one.
  virtual void ScheduleTicketCheck(std::chrono::milliseconds delay) = 0;
};

}  // namespace driver
