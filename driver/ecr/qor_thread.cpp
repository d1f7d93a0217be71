#include "driver/ecr/qor_thread.h"

#include <utility>

#include <array>
#include <optional>

#include "driver/ecr/result_codes.h"
#include "platform/debug_log.h"
#include "platform/fault_point.h"
#include "platform/named_mutex.h"

namespace driver {

CQorThread::CQorThread(IJobHost& driver, CJobOrder order)
    : m_DocumentPath(std::move(order.m_DocumentPath)),
      m_ReplyWorkPath(std::move(order.m_ReplyWorkPath)),
      m_WarningPath(std::move(order.m_WarningPath)),
      m_ReplyPath(std::move(order.m_ReplyPath)),
      m_current(order.m_Register),
      m_pDriver(driver),
      m_Inputs(std::move(order.m_Inputs)),
      m_JobCode(order.m_Code) {}

// A job mutex taken abandoned comes from a job thread of this driver that ended while it held the
// register (a process that died leaves the mutex free instead). The register is brought back to a
// known state first, then the job runs and releases the register like any other: an ended job never
// holds its register for good.
int CQorThread::Run() {
  if (m_current == nullptr || !m_current->m_hJobMutex || !m_current->m_hStopMutex) return 0;
  std::array<platform::NamedMutex*, 2> mutexes{m_current->m_hJobMutex.get(), m_current->m_hStopMutex.get()};
  std::uint32_t waited = platform::WaitForAnyMutex(mutexes, std::nullopt, &m_JobPlace);
  if (waited == platform::kWaitObject0 || waited == platform::kWaitAbandoned0) {
    // A job that gets the register only after the driver began to stop leaves it untouched.
    std::optional<std::int32_t> code;
    if (!Cancelled() && !m_current->IsStopping()) {
      IFiscalControl& control = m_pDriver.Control();
      control.BeginJob(m_current->m_EcrId);
      if (waited == platform::kWaitAbandoned0) BringRegisterToKnownState();
      code = RunJob();
      control.EndJob(m_current->m_EcrId);
    }
    m_current->m_hJobMutex->Release();
    if (code && m_JobCode != kJobTicketDocument) m_pDriver.SheetJobEnded({m_current->m_EcrId, m_JobCode, *code});
    m_pDriver.JobThreadEnded(Identity());
  } else if (waited == platform::kWaitObject0 + 1 || waited == platform::kWaitAbandoned0 + 1) {
    platform::DebugLog("CQorThread::WAIT_OBJECT_0+1");
    m_current->m_hStopMutex->Release();
  }
  return 0;
}

// A programming job ends with the first step that fails.
std::int32_t CQorThread::RunJob() {
  const auto batch = [](std::int32_t start, const auto& record, const auto& end) {
    if (start != kCodeSuccess) return start;
    const std::int32_t recorded = record();
    const std::int32_t ended = end();
    return recorded != kCodeSuccess ? recorded : ended;
  };
  switch (m_JobCode) {
    case kJobTicketDocument: DoTillJob(); return kCodeSuccess;
    case kJobReport: return Report();
    case kJobHistoryRollback: return HistoryRollback();
    case kJobHistoryRequest: return HistoryRequest();
    case kJobTicketHeader: return SetHeader();
    case kJobPlu: return batch(PluBatchStart(), [this] { return PluRecord(); }, [this] { return PluBatchEnd(); });
    case kJobDepartment:
      return batch(DepartmentBatchStart(), [this] { return DepartmentRecord(); }, [this] { return DepartmentBatchEnd(); });
    case kJobZeroSet: return ZeroSet();
    case kJobOffer: return batch(OfferBatchStart(), [this] { return OfferRecord(); }, [this] { return OfferBatchEnd(); });
    default: return kCodeSuccess;
  }
}

ControlStatus CQorThread::SendIODirect(const std::string& command) {
  if (Cancelled()) return kCodeShutdown;
  const ControlStatus status = m_pDriver.Control().IODirect(m_current->m_EcrId, command, 0);
  platform::FaultPoint("sent");
  return status;
}

ControlStatus CQorThread::SendWrite(const std::string& element, std::int32_t& job) {
  if (Cancelled()) return kCodeShutdown;
  const ControlStatus status = m_pDriver.Control().Write(m_current->m_EcrId, 2, element, job);
  platform::FaultPoint("sent");
  return status;
}

ControlStatus CQorThread::SendRequest(std::int32_t code, std::string& text) {
  if (Cancelled()) return kCodeShutdown;
  const ControlStatus status = m_pDriver.Control().Request(m_current->m_EcrId, code, text);
  platform::FaultPoint("sent");
  return status;
}

void CQorThread::SendClearOutput() {
  if (!Cancelled()) m_pDriver.Control().ClearOutput(m_current->m_EcrId);
}

std::int32_t CQorThread::SendAndAwait(const std::string& command, std::int32_t refusedCode) {
  m_current->m_IoDirectComplete = 0;
  if (ControlStatus status = SendIODirect(command); status != kCodeSuccess) return status;
  return WaitIoDirectComplete(refusedCode);
}

void CQorThread::DriverAwait(const std::string& command) {
  if (!Cancelled()) m_pDriver.WaitIODirect(*m_current, command, 0);
}

char CQorThread::HelloCharacter(std::size_t index) const {
  std::string hello = m_current->m_Hello.Get();
  return index < hello.size() ? hello[index] : '\0';
}

}  // namespace driver
