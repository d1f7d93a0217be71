#pragma once
// Starting a job: construct the CQorThread, create its thread suspended, give it its job, set its
// priority, let the creator do its last step (list the thread, arm an input), resume it. From the
// resume on the thread owns itself: the creator keeps at most its identity.

#include <cstdint>
#include <functional>

#include "driver/ecr/job_host.h"
#include "driver/ecr/qor_thread.h"
#include "driver/tickets/ticket_host.h"

namespace driver {

// Runs on the created, still suspended thread object just before it is resumed.
using BeforeResume = std::function<void(CQorThread&)>;

// A ticket job (code 1234, highest priority) for the intake; beforeResume appends the thread to the
// driver's job-thread list.
JobStartResult StartTicketJob(IJobHost& host, const CTicketJob& job, const BeforeResume& beforeResume);

// A job of the administration sheet (normal priority, no document or reply paths, not listed). The
// register's inputs of the job are written before this call.
JobStartResult StartAdminJob(IJobHost& host, CEcrContext& ecr, std::int32_t jobCode,
                             const BeforeResume& beforeResume = {});

}  // namespace driver
