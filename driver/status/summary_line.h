#pragma once
// One line for a person or the service manager: "4 registers: 3 ready, 1 paper out; 1,204 tickets today".
// States come in a fixed order, those no register is in are left out.

#include <string>

#include "driver/status/status_snapshot.h"

namespace driver {

std::string SummaryLine(const CDriverStatus& status);

// 1204 -> "1,204".
std::string GroupedNumber(long long number);

}  // namespace driver
