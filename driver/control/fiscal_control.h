#pragma once
// The fiscal control's contract under the names the driver uses for it.

#include "control_api/fiscal_control.h"

namespace driver {

using control_api::ControlStatus;
using control_api::IFiscalControl;
using control_api::IFiscalControlEvents;
using control_api::kControlStartupProperties;
using control_api::kFiscalControlClassId;
using control_api::kRequestCounters;
using control_api::kRequestHistory;
using control_api::kRequestHistoryRollback;
using control_api::kRequestRegisterList;
using control_api::kRequestRegisterListEcr;
using control_api::kRequestReportBase;
using control_api::kRequestStatus;
using control_api::kRequestZeroSetBase;

}  // namespace driver
