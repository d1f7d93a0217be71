#pragma once
// Starting a job: reserve its place in the line for the register, construct the CQorThread with its
// order and that place, create its thread suspended, set its priority, let the creator do its last step (list the thread,
// arm an input), resume it. From the resume on the thread owns itself: the creator keeps at most its
// identity. Jobs of one register run in the order they were started here.

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
JobStartResult StartTicketJob(IJobHost& host, CEcrContext& ecr, const CDocumentJob& job,
                              const BeforeResume& beforeResume);

// A job of the administration sheet (normal priority, no document or reply paths, not listed), with
// its own copy of the sheet's values.
JobStartResult StartAdminJob(IJobHost& host, CEcrContext& ecr, CJobKind job);

}  // namespace driver
