#pragma once
// The register list the control reports: a text of elements "<IDECR>n</IDECR><TYPE>t</TYPE>" per
// register. Reading it keeps the control's quirks that configurations rely on: the first character is
// never searched, a register without a type is dropped, and a missing closing element ends the list.

#include <cstdint>
#include <string_view>
#include <vector>

namespace driver {

struct CRegisterEntry {
  std::int32_t m_EcrId = -1;
  std::int32_t m_EcrType = -1;
  bool operator==(const CRegisterEntry&) const = default;
};

// The registers of the list text, in the order they appear.
std::vector<CRegisterEntry> ScanRegisterList(std::string_view text);

}  // namespace driver
