#pragma once
// The scan of the control's register list (Request 6 on register 123): "<IDECR>n</IDECR><TYPE>t</TYPE>"
// pairs after one leading character that is never searched.

#include <cstdint>
#include <string_view>
#include <vector>

namespace driver {

struct CRegisterEntry {
  std::int32_t m_Number = 0;
  std::int32_t m_Type = 0;
  bool operator==(const CRegisterEntry&) const = default;
};

// Registers in list order. An <IDECR> without a following <TYPE> is dropped and the scan goes on;
// a missing </IDECR> or </TYPE> ends the scan. Numbers are read as decimal integers (text gives 0).
std::vector<CRegisterEntry> ScanRegisterList(std::string_view list);

}  // namespace driver
