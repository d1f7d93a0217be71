#include "driver/control/wait_io_direct.h"

#include <QCoreApplication>
#include <QThread>
#include <algorithm>
#include <chrono>

#include "platform/debug_log.h"

namespace driver {
namespace {

constexpr std::chrono::milliseconds kPumpPeriod{5};

// True on a thread that is running a Qt event loop, where the completion can only arrive as a queued call.
bool OnEventLoopThread() {
  return QCoreApplication::instance() != nullptr && QThread::currentThread()->loopLevel() > 0;
}

}  // namespace

ControlStatus WaitIODirect(IFiscalControl& control, std::int32_t ecr, const std::string& command,
                           std::int16_t argument, CEcrContext& ctx) {
  ctx.m_IoDirectComplete = 0;
  const ControlStatus status = control.IODirect(ecr, command, argument);
  // A command the control refuses at the call never completes.
  if (status != 0) return status;
  const auto deadline = std::chrono::steady_clock::now() + ctx.m_Limits.m_Exchange;
  const auto finished = [&ctx] { return ctx.m_IoDirectComplete.load() != 0 || ctx.m_PaperOut.load() != 0; };
  if (OnEventLoopThread()) {
    while (!finished() && std::chrono::steady_clock::now() < deadline && !ctx.IsCancelled()) {
      QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
      ctx.WaitUntil(finished, std::min(deadline, std::chrono::steady_clock::now() + kPumpPeriod));
    }
  } else {
    ctx.WaitUntil(finished, deadline);
  }
  // The register's own code when it refused the command.
  if (ctx.m_IoDirectComplete.load() == 1) return ctx.m_IoDirectResult.load();
  platform::DebugLog("[QOR_E_FAILURE] in CQorDriverDlg::WaitIODirect");
  return 3;
}

}  // namespace driver
