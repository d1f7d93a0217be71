#pragma once
// CQorThread: one job on one register. Made with its order (CJobOrder: the register and the job's
// kind with what it works on) and its place in the line for the register's job mutex, created
// suspended, resumed; it waits for its turn at the job mutex (or for the stop mutex at shutdown), runs its
// job between BeginJob and EndJob, tells the driver it ended, and deletes itself. Jobs of one register
// thus run in the order they were started.
//
// A job runs against one register session (register_session.h: send, await, keyboard lock, the job's
// files) and the register's own commands given through it (register_commands.h); a ticket job runs
// its command document (till_job.h).

#include <cstdint>
#include <string>

#include "driver/control/ecr_context.h"
#include "driver/ecr/job_host.h"
#include "driver/ecr/job_order.h"
#include "driver/ecr/worker_thread.h"
#include "platform/named_mutex.h"

namespace driver {

class CQorThread : public CWorkerThread {
 public:
  // place: the job's place in the line for the register's job mutex, reserved when it was started;
  // none for a job run on the calling thread.
  CQorThread(IJobHost& driver, CJobOrder order, platform::MutexPlace place = {});

  CJobThreadIdentity Identity() const { return {this, Serial()}; }

  // The thread's entry: wait for the register, run the job, notify the driver. Public so that a job
  // can also be run on the calling thread.
  int Run() override;
  // The job, without the mutexes and the BeginJob/EndJob bracket; the code it ended with (a ticket
  // job's own outcome is in its reply file; a programming job ends with the first step that failed).
  std::int32_t RunJob() { return RunJob(false); }

  std::int32_t JobCode() const { return JobCodeOf(m_Kind); }
  CEcrContext& Register() const { return *m_current; }
  // The ticket's reply file; empty for a job of the administration sheet.
  std::string ReplyPath() const;

 private:
  // registerLeft: the job before this one ended while it held the register; the register is brought
  // back to a known state first.
  std::int32_t RunJob(bool registerLeft);
  bool Cancelled() const { return m_current->IsCancelled(); }
  void RunUtility(const CDirectUtilityJob& utility);

  CEcrContext* const m_current;
  IJobHost& m_pDriver;
  const CJobKind m_Kind;
  platform::MutexPlace m_JobPlace;  // used up by the wait for the register
};

}  // namespace driver
