#include "platform/fault_point.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/debug_log.h"

namespace platform {
namespace {

struct CFaultPlan {
  std::string m_Name;  // empty: no point chosen
  long m_At = 0;
  int m_Signal = SIGKILL;  // 0: the thread that reaches the point hangs there
  std::atomic<long> m_Passed{0};
};

CFaultPlan& Plan() {
  static CFaultPlan* plan = [] {
    auto* made = new CFaultPlan;
    const char* point = std::getenv("QOR_FAULT_POINT");
    const char* colon = point != nullptr ? std::strrchr(point, ':') : nullptr;
    if (colon != nullptr) {
      made->m_Name.assign(point, colon);
      made->m_At = std::strtol(colon + 1, nullptr, 10);
    }
    const char* signal = std::getenv("QOR_FAULT_SIGNAL");
    if (signal != nullptr && std::strcmp(signal, "TERM") == 0) made->m_Signal = SIGTERM;
    if (signal != nullptr && std::strcmp(signal, "HANG") == 0) made->m_Signal = 0;
    return made;
  }();
  return *plan;
}

}  // namespace

void FaultPoint(const char* name) {
  CFaultPlan& plan = Plan();
  if (plan.m_Name.empty() || plan.m_Name != name) return;
  if (plan.m_Passed.fetch_add(1) + 1 != plan.m_At) return;
  // Said before the signal, so that whoever chose the point knows it was reached even when a stop
  // lets the ticket be answered before the driver ends.
  DebugLog("[ZEDO] Fault point [%s:%ld] reached", name, plan.m_At);
  if (plan.m_Signal != 0) {
    ::kill(::getpid(), plan.m_Signal);
    return;
  }
  for (;;) ::pause();
}

}  // namespace platform
