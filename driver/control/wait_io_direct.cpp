#include "driver/control/wait_io_direct.h"

#include <chrono>

#include "platform/debug_log.h"

namespace driver {

ControlStatus WaitIODirect(IFiscalControl& control, std::int32_t ecr, const std::string& command,
                           std::int16_t argument, CEcrContext& ctx) {
  ctx.m_IoDirectComplete = 0;
  const ControlStatus status = control.IODirect(ecr, command, argument);
  // A command the control refuses at the call never completes.
  if (status != 0) return status;
  ctx.WaitUntil([&ctx] { return ctx.m_IoDirectComplete.load() != 0 || ctx.m_PaperOut.load() != 0; },
                std::chrono::steady_clock::now() + ctx.m_Limits.m_Exchange);
  // The register's own code when it refused the command.
  if (ctx.m_IoDirectComplete.load() == 1) return ctx.m_IoDirectResult.load();
  platform::DebugLog("[QOR_E_FAILURE] in CQorDriverDlg::WaitIODirect");
  return 3;
}

}  // namespace driver
