#include "platform/fault_point.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <string>

namespace platform {
namespace {

struct CFaultPlan {
  std::string m_Name;  // empty: no point chosen
  long m_At = 0;
  int m_Signal = SIGKILL;
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
    return made;
  }();
  return *plan;
}

}  // namespace

void FaultPoint(const char* name) {
  CFaultPlan& plan = Plan();
  if (plan.m_Name.empty() || plan.m_Name != name) return;
  if (plan.m_Passed.fetch_add(1) + 1 == plan.m_At) ::kill(::getpid(), plan.m_Signal);
}

}  // namespace platform
