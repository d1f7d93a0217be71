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

CJobKind SheetJobOf(std::int32_t code, const CEcrContext& ecr) {
  switch (code) {
    case kJobDepartment:
      return CDepartmentJob{{ecr.m_DepNumber, ecr.m_DepDescription, ecr.m_DepPrice, ecr.m_DepLalo, ecr.m_DepHalo,
                             ecr.m_DepTax}};
    case kJobPlu:
      return CPluJob{{ecr.m_PluCode, ecr.m_PluDescription, ecr.m_PluPrice, ecr.m_PluDepartment, ecr.m_PluTax,
                      ecr.m_PluDiscount, ecr.m_PluOffer, ecr.m_PluPrice1, ecr.m_PluFmult}};
    case kJobOffer:
      return COfferJob{{ecr.m_OffCode, ecr.m_OffDescription, ecr.m_OffDepartment, ecr.m_OffPrice, ecr.m_OffNitem,
                        ecr.m_OffFmult}};
    case kJobTicketHeader: return CHeaderJob{ecr.m_AnswerA, ecr.m_AnswerB};
    case kJobReport: return CReportJob{ecr.m_ReportType, ecr.m_PrintFlag};
    case kJobZeroSet: return CZeroSetJob{ecr.m_ZeroSetType, ecr.m_PrintFlag};
    case kJobHistoryRequest: return CHistoryRequestJob{};
    case kJobHistoryRollback: return CHistoryRollbackJob{};
    default: return CNoJob{code};
  }
}

}  // namespace driver
