#pragma once
// CEcrContext: one register as the driver knows it: its number and type, its ticket folder, the two
// mutexes its jobs line up on, its time limits, and its event mailbox. Created at start-up from the
// control's register list and owned by the register list; job threads reach it as m_current.
//
// Who touches what: the number and type never change; the folder, limits and display digits are set
// on the window thread before jobs use them (the folder is read by any thread); the mailbox is filled
// by the control's event handlers and read by the register's job through its register session
// (driver/control/event_mailbox.h). The administration sheet's values are not here: the sheet keeps
// them (driver/admin/sheet_memory.h) and each job takes its own copy.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <utility>

#include "driver/control/event_mailbox.h"

namespace platform {
class NamedMutex;
}

namespace driver {

// Time limits of the waits on a register. The driver keeps these values; tests shorten them.
struct CWaitLimits {
  std::chrono::milliseconds m_Exchange{5000};     // WaitIODirect, keyboard lock, header, last total
  std::chrono::milliseconds m_Completion{15000};  // Write and IODirect completion, report
  std::chrono::milliseconds m_Utility{50000};     // the sheet's utilities waiting for the job mutex
};

// How many digits the customer and operator displays show of the last total.
struct CDisplayDigits {
  std::int32_t m_CustomerDigits = 20;
  std::int32_t m_OperatorDigits = 20;
};

class CEcrContext {
 public:
  CEcrContext(std::int32_t id, std::int32_t type) : m_EcrId(id), m_EcrType(type) {}
  CEcrContext(const CEcrContext&) = delete;
  CEcrContext& operator=(const CEcrContext&) = delete;

  const std::int32_t m_EcrId;
  const std::int32_t m_EcrType;

  // Types 1 and 2 speak the "0;" command family, 0 and 3 the "*" family.
  bool IsZeroFamily() const { return driver::IsZeroFamily(m_EcrType); }

  CEventMailbox& Events() { return m_Events; }
  const CEventMailbox& Events() const { return m_Events; }

  // Set when the driver stops: the running job finishes the element under way, then leaves its
  // document and its progress for the next start.
  void Stop() {
    m_Stopping = true;
    m_Events.Wake();
  }
  bool IsStopping() const { return m_Stopping.load(); }
  // Set at shutdown: every wait of a job on this register returns, and the job writes nothing more.
  void Cancel() { m_Events.Cancel(); }
  bool IsCancelled() const { return m_Events.Cancelled(); }

  // Given once, before any job starts on the register; a register without them serves events only.
  void GiveMutexes(std::shared_ptr<platform::NamedMutex> job, std::shared_ptr<platform::NamedMutex> stop) {
    m_hJobMutex = std::move(job);
    m_hStopMutex = std::move(stop);
  }
  const std::shared_ptr<platform::NamedMutex>& JobMutex() const { return m_hJobMutex; }
  const std::shared_ptr<platform::NamedMutex>& StopMutex() const { return m_hStopMutex; }

  std::string TicketFolder() const {
    std::lock_guard guard(m_FolderLock);
    return m_TicketFolder;
  }
  void SetTicketFolder(std::string folder) {
    std::lock_guard guard(m_FolderLock);
    m_TicketFolder = std::move(folder);
  }

  const CWaitLimits& Limits() const { return m_Limits; }
  void SetLimits(const CWaitLimits& limits) { m_Limits = limits; }
  const CDisplayDigits& DisplayDigits() const { return m_DisplayDigits; }
  void SetDisplayDigits(const CDisplayDigits& digits) { m_DisplayDigits = digits; }

 private:
  CEventMailbox m_Events;
  std::atomic<bool> m_Stopping{false};
  std::shared_ptr<platform::NamedMutex> m_hJobMutex;
  std::shared_ptr<platform::NamedMutex> m_hStopMutex;
  mutable std::mutex m_FolderLock;
  std::string m_TicketFolder;
  CWaitLimits m_Limits;
  CDisplayDigits m_DisplayDigits;
};

}  // namespace driver
