#pragma once
// The inputs of one job: a programming record, header lines, a report or zero-set kind. A job owns its
// copy from the moment it is started, so what the administration sheet or another job writes next
// cannot change a job that is still waiting for its register.

#include <array>
#include <cstdint>
#include <string>

#include "driver/control/ecr_context.h"
#include "driver/ecr/command_strings.h"

namespace driver {

inline constexpr std::int32_t kFiscalClosureType = -1;  // the zero-set kind of the fiscal closure

struct CJobInputs {
  CDepartmentRecord m_Department;
  CPluRecord m_Plu;
  COfferRecord m_Offer;
  std::array<std::string, 3> m_AnswerA;  // header lines 1-3
  std::array<std::string, 3> m_AnswerB;  // header lines 4-6
  std::int32_t m_ReportType = 0;
  std::int32_t m_ZeroSetType = 0;
  std::int32_t m_PrintFlag = 0;
};

// The sheet's current values in the register's record, as a job of the sheet takes them when started.
CJobInputs SheetInputsOf(const CEcrContext& ecr);

}  // namespace driver
