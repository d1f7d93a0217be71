#include "emulator/register_state.h"

namespace emulator {

CRegister MakeRegister(int number, int type) {
  CRegister ecr;
  ecr.m_Number = number;
  ecr.m_Type = type;
  // Star registers start with the key at R (sales); zero registers idle until told "+1".
  ecr.m_Key = 'R';
  ecr.m_Mode = 0;
  const int departments = ecr.IsZeroFamily() ? 20 : 12;
  for (int n = 1; n <= departments; ++n) ecr.m_Departments[n] = CDepartment{"DEPARTMENT " + std::to_string(n), 1, 0, 0, 0};
  return ecr;
}

}  // namespace emulator
