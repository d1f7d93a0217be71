#pragma once
// qor-status's text for a person: a header with the summary line and the driver, then one line per
// register, those a person should look at first.

#include <chrono>
#include <string>

#include "driver/status/status_snapshot.h"

namespace tools {

using Clock = std::chrono::system_clock;

// A register in a state only a person ends, or with a ticket under way for more than a minute.
bool NeedsLook(const driver::CRegisterStatus& ecr, Clock::time_point now);

// base is the folder as the person named it.
std::string StatusReport(const driver::CDriverStatus& status, const std::string& base, Clock::time_point now);

// A status time as a person reads it: the local hour today, with the date on other days.
std::string ShownTime(const std::string& statusTime, Clock::time_point now);

}  // namespace tools
