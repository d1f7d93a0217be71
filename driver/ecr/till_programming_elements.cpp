#include "driver/ecr/command_strings.h"
#include "driver/tickets/result_codes.h"
#include "driver/ecr/till_elements.h"

// Department, PLU and offer records of a command document. A batch of one kind is started by its first
// record and stays open for the records of the same kind that follow (the element table ends the other
// batches first). Star-family registers take decimal commas in prices and limits.

namespace driver {

std::int32_t CTillJobElements::SetDepartment(const std::string& line) {
  const bool star = !m_Ecr.IsZeroFamily();
  CDepartmentRecord record;
  record.m_Description = ChildValue(line, "DESCRIPTION");
  record.m_Price = ChildValue(line, "PRICE");
  record.m_Lalo = ChildValue(line, "LALO");
  record.m_Halo = ChildValue(line, "HALO");
  if (star) {
    record.m_Halo = WithDecimalComma(record.m_Halo);
    record.m_Lalo = WithDecimalComma(record.m_Lalo);
    record.m_Price = WithDecimalComma(record.m_Price);
  }
  record.m_Number = ReadNumber(ChildValue(line, "DEPARTMENT"));
  record.m_Tax = ReadNumber(ChildValue(line, "TAX"));
  if (std::int32_t code = m_Commands.AddDepartment(record); code != kCodeSuccess) return code;
  m_Session.WriteWarning(kCodeSuccess);
  return kCodeSuccess;
}

std::int32_t CTillJobElements::SetPlu(const std::string& line) {
  const bool star = !m_Ecr.IsZeroFamily();
  CPluRecord record;
  record.m_Code = ChildValue(line, "CODE");
  record.m_Description = ChildValue(line, "DESCRIPTION");
  record.m_Price = ChildValue(line, "PRICE");
  if (star) record.m_Price = WithDecimalComma(record.m_Price);
  record.m_Department = ReadNumber(ChildValue(line, "DEPARTMENT"));
  record.m_Tax = ReadNumber(ChildValue(line, "TAX"));
  record.m_Discount = ChildValue(line, "DISCOUNT");
  record.m_Offer = ChildValue(line, "OFFER");
  record.m_Price1 = ChildValue(line, "PRICE1");
  if (star) record.m_Price1 = WithDecimalComma(record.m_Price1);
  record.m_Fmult = ChildValue(line, "FMULT");
  if (std::int32_t code = m_Commands.AddPlu(record); code != kCodeSuccess) return code;
  m_Session.WriteWarning(kCodeSuccess);
  return kCodeSuccess;
}

std::int32_t CTillJobElements::SetOffer(const std::string& line) {
  COfferRecord record;
  record.m_Code = ChildValue(line, "CODE");
  record.m_Description = ChildValue(line, "DESCRIPTION");
  record.m_Department = ReadNumber(ChildValue(line, "DEPARTMENT"));
  record.m_Price = ChildValue(line, "PRICE");
  record.m_Nitem = ChildValue(line, "NITEM");
  record.m_Fmult = ChildValue(line, "FMULT");
  if (std::int32_t code = m_Commands.AddOffer(record); code != kCodeSuccess) return code;
  m_Session.WriteWarning(kCodeSuccess);
  return kCodeSuccess;
}

}  // namespace driver
