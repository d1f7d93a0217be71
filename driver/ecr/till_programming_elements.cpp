#include "driver/ecr/command_strings.h"
#include "driver/ecr/result_codes.h"
#include "driver/ecr/till_elements.h"

// Department, PLU and offer records of a command document. A batch of one kind is started by its first
// record and stays open for the records of the same kind that follow; a record of another kind ends
// the other batches first. Star-family registers take decimal commas in prices and limits.

namespace driver {

std::int32_t CTillJobElements::SetDepartment(const std::string& line) {
  m_Job.EndOfferBatch();
  m_Job.EndPluBatch();
  if (!m_Job.m_DepartmentBatch) {
    if (std::int32_t code = m_Job.DepartmentBatchStart(); code != kCodeSuccess) return code;
    m_Job.m_DepartmentBatch = 1;
  }
  const bool star = !m_Ecr.IsZeroFamily();
  m_Ecr.m_DepDescription = ChildValue(line, "DESCRIPTION");
  m_Ecr.m_DepPrice = ChildValue(line, "PRICE");
  m_Ecr.m_DepLalo = ChildValue(line, "LALO");
  m_Ecr.m_DepHalo = ChildValue(line, "HALO");
  if (star) {
    m_Ecr.m_DepHalo = WithDecimalComma(m_Ecr.m_DepHalo);
    m_Ecr.m_DepLalo = WithDecimalComma(m_Ecr.m_DepLalo);
    m_Ecr.m_DepPrice = WithDecimalComma(m_Ecr.m_DepPrice);
  }
  m_Ecr.m_DepNumber = ReadNumber(ChildValue(line, "DEPARTMENT"));
  m_Ecr.m_DepTax = ReadNumber(ChildValue(line, "TAX"));
  if (std::int32_t code = m_Job.DepartmentRecord(); code != kCodeSuccess) return code;
  m_Job.WriteWarning(kCodeSuccess);
  return kCodeSuccess;
}

std::int32_t CTillJobElements::SetPlu(const std::string& line) {
  m_Job.EndDepartmentBatch();
  m_Job.EndOfferBatch();
  if (!m_Job.m_PluBatch) {
    if (std::int32_t code = m_Job.PluBatchStart(); code != kCodeSuccess) return code;
    m_Job.m_PluBatch = 1;
  }
  const bool star = !m_Ecr.IsZeroFamily();
  m_Ecr.m_PluCode = ChildValue(line, "CODE");
  m_Ecr.m_PluDescription = ChildValue(line, "DESCRIPTION");
  m_Ecr.m_PluPrice = ChildValue(line, "PRICE");
  if (star) m_Ecr.m_PluPrice = WithDecimalComma(m_Ecr.m_PluPrice);
  m_Ecr.m_PluDepartment = ReadNumber(ChildValue(line, "DEPARTMENT"));
  m_Ecr.m_PluTax = ReadNumber(ChildValue(line, "TAX"));
  m_Ecr.m_PluDiscount = ChildValue(line, "DISCOUNT");
  m_Ecr.m_PluOffer = ChildValue(line, "OFFER");
  m_Ecr.m_PluPrice1 = ChildValue(line, "PRICE1");
  if (star) m_Ecr.m_PluPrice1 = WithDecimalComma(m_Ecr.m_PluPrice1);
  m_Ecr.m_PluFmult = ChildValue(line, "FMULT");
  if (std::int32_t code = m_Job.PluRecord(); code != kCodeSuccess) return code;
  m_Job.WriteWarning(kCodeSuccess);
  return kCodeSuccess;
}

std::int32_t CTillJobElements::SetOffer(const std::string& line) {
  m_Job.EndDepartmentBatch();
  m_Job.EndPluBatch();
  if (!m_Job.m_OfferBatch) {
    if (std::int32_t code = m_Job.OfferBatchStart(); code != kCodeSuccess) return code;
    m_Job.m_OfferBatch = 1;
  }
  m_Ecr.m_OffCode = ChildValue(line, "CODE");
  m_Ecr.m_OffDescription = ChildValue(line, "DESCRIPTION");
  m_Ecr.m_OffDepartment = ReadNumber(ChildValue(line, "DEPARTMENT"));
  m_Ecr.m_OffPrice = ChildValue(line, "PRICE");
  m_Ecr.m_OffNitem = ChildValue(line, "NITEM");
  m_Ecr.m_OffFmult = ChildValue(line, "FMULT");
  if (std::int32_t code = m_Job.OfferRecord(); code != kCodeSuccess) return code;
  m_Job.WriteWarning(kCodeSuccess);
  return kCodeSuccess;
}

}  // namespace driver
