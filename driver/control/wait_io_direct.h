#pragma once
// WaitIODirect: send one native command and wait for its DirectIOEvent.

#include <cstdint>
#include <string>

#include "driver/control/ecr_context.h"
#include "driver/control/fiscal_control.h"

namespace driver {

// Expects a new IODirect completion, sends the command and waits until it completes, paper out is reported or
// the exchange limit (5000 ms) has passed. Returns the IODirect status at once when it is nonzero
// (nothing will complete), the completion's result when the command completed (0, or the register's
// code for refusing it), else logs "[QOR_E_FAILURE] in CQorDriverDlg::WaitIODirect" and returns 3.
// Called on job threads only: the completion is handled on the window thread, which never waits.
ControlStatus WaitIODirect(IFiscalControl& control, std::int32_t ecr, const std::string& command,
                           std::int16_t argument, CEcrContext& ctx);

}  // namespace driver
