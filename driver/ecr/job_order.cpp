#include "driver/ecr/job_order.h"

#include <type_traits>

namespace driver {

std::int32_t JobCodeOf(const CJobKind& kind) {
  return std::visit(
      [](const auto& job) {
        if constexpr (std::is_same_v<std::decay_t<decltype(job)>, CNoJob>) {
          return job.m_Code;
        } else {
          return job.kCode;
        }
      },
      kind);
}

}  // namespace driver
