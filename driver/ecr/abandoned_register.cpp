#include "driver/ecr/command_strings.h"
#include "driver/ecr/register_commands.h"
#include "driver/tickets/result_codes.h"
#include "platform/debug_log.h"

// The job before this one ended while it held the register, somewhere in its work: a receipt may be
// open with half its lines, the keyboard locked, the display full. Nobody will finish that receipt
// (its job is gone), and the next job must find the register as every job expects to: no receipt
// open, keyboard free. The status is asked afresh rather than trusted from before.

namespace driver {

void CRegisterCommands::BringRegisterToKnownState() {
  const std::int32_t ecr = m_Ecr.m_EcrId;
  platform::DebugLog("[ZEDO] CQorThread: ecr %d left by a job that ended holding it; checking the register", ecr);
  if (!m_Session.RefreshStatus()) platform::DebugLog("[ZEDO] CQorThread: ecr %d gives no status", ecr);
  if (m_Session.Status().m_TicketOpen) {
    m_Session.Events().ExpectWrite();
    std::int32_t job = 0;
    std::int32_t code = m_Session.SendWrite(kTicketVoidElement, job);
    if (code == kCodeSuccess) code = m_Session.WaitWorkComplete();
    platform::DebugLog("[ZEDO] CQorThread: ecr %d receipt left open voided, code [%d]", ecr, code);
  }
  m_Session.SbloccaTastiera();
  ClearDisplay();
}

}  // namespace driver
