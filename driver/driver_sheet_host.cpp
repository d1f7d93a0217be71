#include "driver/driver_sheet_host.h"

#include "driver/messages.h"

namespace driver {

std::vector<CEcrContext*> CDriverSheetHost::Registers() {
  std::vector<CEcrContext*> registers;
  for (const auto& ecr : m_Driver.Registers()) registers.push_back(ecr.get());
  return registers;
}

std::string CDriverSheetHost::MessageText(const char* number) const { return LoadMessage(number); }

}  // namespace driver
