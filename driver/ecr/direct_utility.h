#pragma once
// The administration sheet's direct utilities: Unlock Keyboard, Clear Error and a raw native command,
// each sent to one register while its job mutex is held, so it never comes between the commands of a
// job. Each runs on a thread of its own, so the window thread never waits for a register: the thread
// waits for the job mutex (at most m_Limits.m_Utility, in the order jobs and utilities were started;
// or until the stop mutex is released at shutdown, and then leaves), sends, waits at most
// m_Limits.m_Exchange for the register to complete the command, releases the register and tells the
// sheet how it went through SheetJobEnded (job code kJobDirectUtility). A register cancelled at
// shutdown gets nothing more and the sheet hears nothing.

#include <cstdint>
#include <string>

#include "driver/control/ecr_context.h"
#include "driver/ecr/job_host.h"
#include "driver/tickets/ticket_host.h"

namespace driver {

// Not a job code of CQorThread: the code under which a direct utility reports its outcome.
inline constexpr std::int32_t kJobDirectUtility = -1;

enum class DirectUtility {
  UnlockKeyboard,  // "*U" with WaitIODirect on the star family, "0;*3;" on the zero family
  ClearError,      // "*SZ" twice with WaitIODirect on the star family, "0;#S3:3" on the zero family
  Command,         // the given text, unchanged, on any register
};

// The outcome's code is the control's status of the send (for the star family's waited commands, the
// register's code when it refused), or 3 when the register did not complete the command in time;
// m_Answer is the text the register completed it with; m_RegisterBusy when the job mutex was not
// obtained in time and nothing was sent.
JobStartResult StartDirectUtility(IJobHost& host, CEcrContext& ecr, DirectUtility utility,
                                  const std::string& command = {});

}  // namespace driver
