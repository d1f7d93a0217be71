#include "driver/ecr/job_starter.h"

#include <new>
#include <utility>

namespace driver {
namespace {

struct CJobSetup {
  const CTicketJob* m_Ticket = nullptr;  // null for jobs of the administration sheet
  CEcrContext* m_current = nullptr;
  std::int32_t m_JobCode = 0;
  ThreadPriority m_Priority = ThreadPriority::Normal;
};

JobStartResult StartJob(IJobHost& host, const CJobSetup& setup, const BeforeResume& beforeResume) {
  CJobOrder order;
  order.m_Code = setup.m_JobCode;
  order.m_Register = setup.m_current;
  if (setup.m_Ticket != nullptr) {
    order.m_DocumentPath = setup.m_Ticket->m_DocumentPath;
    order.m_ReplyWorkPath = setup.m_Ticket->m_ReplyWorkPath;
    order.m_WarningPath = setup.m_Ticket->m_WarningPath;
    order.m_ReplyPath = setup.m_Ticket->m_ReplyPath;
  } else {
    // A sheet job takes the sheet's values now: the sheet may change them before the job runs.
    order.m_Inputs = SheetInputsOf(*setup.m_current);
  }
  CQorThread* thread = new (std::nothrow) CQorThread(host, std::move(order));
  if (thread == nullptr) return JobStartResult::NoWorker;
  if (!thread->CreateSuspended()) {
    delete thread;
    return JobStartResult::NoThread;
  }
  // The place in the register's line is taken now, on the starting thread, in the order jobs start.
  if (setup.m_current != nullptr && setup.m_current->m_hJobMutex)
    thread->m_JobPlace = setup.m_current->m_hJobMutex->ReservePlace();
  thread->SetPriority(setup.m_Priority);
  if (beforeResume) beforeResume(*thread);
  thread->Resume();
  return JobStartResult::Started;
}

}  // namespace

JobStartResult StartTicketJob(IJobHost& host, const CTicketJob& job, const BeforeResume& beforeResume) {
  return StartJob(host, {&job, job.m_current, job.m_JobCode, ThreadPriority::Highest}, beforeResume);
}

JobStartResult StartAdminJob(IJobHost& host, CEcrContext& ecr, std::int32_t jobCode,
                             const BeforeResume& beforeResume) {
  return StartJob(host, {nullptr, &ecr, jobCode, ThreadPriority::Normal}, beforeResume);
}

}  // namespace driver
