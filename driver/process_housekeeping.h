#pragma once
// The start-up's priority step: log the process's priority class, raise it when "SetPriorityHigh" is
// on, and log the outcome.

namespace driver {

void PriorityStep(bool setPriorityHigh);

}  // namespace driver
