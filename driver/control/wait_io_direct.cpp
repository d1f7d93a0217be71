#include "driver/control/wait_io_direct.h"

#include <chrono>

#include "platform/debug_log.h"

namespace driver {

ControlStatus WaitIODirect(IFiscalControl& control, std::int32_t ecr, const std::string& command,
                           std::int16_t argument, CEcrContext& ctx) {
  CEventMailbox& events = ctx.Events();
  events.ExpectIoDirect();
  const ControlStatus status = control.IODirect(ecr, command, argument);
  // A command the control refuses at the call never completes.
  if (status != 0) return status;
  events.WaitUntil([&events] { return events.IoDirectDone() || events.Status().m_PaperOut != 0; },
                   std::chrono::steady_clock::now() + ctx.Limits().m_Exchange);
  // The register's own code when it refused the command.
  if (events.IoDirectDone()) return events.IoDirectResult();
  platform::DebugLog("[QOR_E_FAILURE] in CQorDriverDlg::WaitIODirect");
  return 3;
}

}  // namespace driver
