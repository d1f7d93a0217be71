#pragma once
// What the administration sheet remembers of each register while the driver runs: each page's last
// values, kept as the record its job takes, so a page shows what it sent and never another page's
// values. The sheet opens and closes; the memory stays with the driver. Window thread only.

#include <cstdint>
#include <map>

#include "driver/ecr/job_order.h"

namespace driver {

struct CSheetValues {
  CDepartmentRecord m_Department;
  CPluRecord m_Plu;
  COfferRecord m_Offer;
  CHeaderJob m_Header;
  CReportJob m_Report;
  CZeroSetJob m_ZeroSet;
};

class CSheetMemory {
 public:
  CSheetValues& Of(std::int32_t ecr) { return m_Registers[ecr]; }

 private:
  std::map<std::int32_t, CSheetValues> m_Registers;
};

}  // namespace driver
