#pragma once
// The administration sheet's direct utilities: Unlock Keyboard, Clear Error and a raw native command.
// Each is a job of its own kind (CDirectUtilityJob, job_order.h), run by a job thread like every job,
// but sent between jobs rather than as one: it waits for the register's job mutex at most
// m_Limits.m_Utility, in the order jobs and utilities were started (or until the stop mutex is
// released at shutdown, and then leaves), has no job bracket and brings the register back to nothing,
// sends, waits at most m_Limits.m_Exchange for the register to complete the command, releases the
// register and tells the sheet how it went through SheetJobEnded (job code kJobDirectUtility). A
// register cancelled at shutdown gets nothing more and the sheet hears nothing.

#include <string>

#include "driver/ecr/job_host.h"
#include "driver/ecr/job_order.h"
#include "driver/ecr/register_session.h"
#include "driver/tickets/ticket_host.h"

namespace driver {

// Sends the utility and awaits the register's answer. The outcome's code is the control's status of
// the send (for the star family's waited commands, the register's code when it refused), or 3 when
// the register did not complete the command in time; m_Answer is the text the register completed it
// with.
void SendDirectUtility(CRegisterSession& session, const CDirectUtilityJob& utility, CSheetJobOutcome& outcome);

// Starts the utility's job thread.
JobStartResult StartDirectUtility(IJobHost& host, CEcrContext& ecr, DirectUtility utility,
                                  const std::string& command = {});

}  // namespace driver
