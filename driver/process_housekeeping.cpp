#include "driver/process_housekeeping.h"

#include "platform/debug_log.h"
#include "platform/process_list.h"

namespace driver {
namespace {

void LogPriorityClass() {
  int priorityClass = 0;
  if (int error = platform::ReadPriorityClass(priorityClass); error != 0) {
    platform::DebugLog("[ZEDO] ERROR [%d] in GetPriorityClass", error);
    return;
  }
  platform::DebugLog("[ZEDO] GetPriorityClass = [%d]", priorityClass);
}

}  // namespace

void PriorityStep(bool setPriorityHigh) {
  LogPriorityClass();
  if (!setPriorityHigh) return;
  platform::DebugLog("[ZEDO] SetPriorityClass(HIGH_PRIORITY_CLASS) = [%d]", platform::RaisePriorityHigh() ? 1 : 0);
  LogPriorityClass();
}

}  // namespace driver
