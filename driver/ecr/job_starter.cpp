#include "driver/ecr/job_starter.h"

#include <new>
#include <utility>

#include "driver/ecr/direct_utility.h"

namespace driver {
namespace {

JobStartResult StartJob(IJobHost& host, CJobOrder order, ThreadPriority priority, const BeforeResume& beforeResume) {
  // The place in the register's line is taken now, on the starting thread, in the order jobs start.
  CEcrContext* ecr = order.m_Register;
  platform::MutexPlace place;
  if (ecr != nullptr && ecr->JobMutex()) place = ecr->JobMutex()->ReservePlace();
  CQorThread* thread = new (std::nothrow) CQorThread(host, std::move(order), std::move(place));
  if (thread == nullptr) return JobStartResult::NoWorker;
  if (!thread->CreateSuspended()) {
    delete thread;
    return JobStartResult::NoThread;
  }
  thread->SetPriority(priority);
  if (beforeResume) beforeResume(*thread);
  thread->Resume();
  return JobStartResult::Started;
}

}  // namespace

JobStartResult StartTicketJob(IJobHost& host, CEcrContext& ecr, const CDocumentJob& job,
                              const BeforeResume& beforeResume) {
  return StartJob(host, {&ecr, job}, ThreadPriority::Highest, beforeResume);
}

JobStartResult StartDirectUtility(IJobHost& host, CEcrContext& ecr, DirectUtility utility, const std::string& command) {
  return StartJob(host, {&ecr, CDirectUtilityJob{utility, command}}, ThreadPriority::Normal, {});
}

JobStartResult StartAdminJob(IJobHost& host, CEcrContext& ecr, CJobKind job) {
  return StartJob(host, {&ecr, std::move(job)}, ThreadPriority::Normal, {});
}

}  // namespace driver
