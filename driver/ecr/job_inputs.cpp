#include "driver/ecr/job_inputs.h"

namespace driver {

CJobInputs SheetInputsOf(const CEcrContext& ecr) {
  CJobInputs inputs;
  inputs.m_Department = {ecr.m_DepNumber, ecr.m_DepDescription, ecr.m_DepPrice,
                         ecr.m_DepLalo,   ecr.m_DepHalo,        ecr.m_DepTax};
  inputs.m_Plu = {ecr.m_PluCode,     ecr.m_PluDescription, ecr.m_PluPrice,  ecr.m_PluDepartment, ecr.m_PluTax,
                  ecr.m_PluDiscount, ecr.m_PluOffer,       ecr.m_PluPrice1, ecr.m_PluFmult};
  inputs.m_Offer = {ecr.m_OffCode,  ecr.m_OffDescription, ecr.m_OffDepartment,
                    ecr.m_OffPrice, ecr.m_OffNitem,       ecr.m_OffFmult};
  inputs.m_AnswerA = ecr.m_AnswerA;
  inputs.m_AnswerB = ecr.m_AnswerB;
  inputs.m_ReportType = ecr.m_ReportType;
  inputs.m_ZeroSetType = ecr.m_ZeroSetType;
  inputs.m_PrintFlag = ecr.m_PrintFlag;
  return inputs;
}

}  // namespace driver
