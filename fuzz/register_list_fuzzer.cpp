// The control's register list: the scan over any text, and a list written back in the control's
// form must scan to the same registers.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "driver/control/register_list.h"
#include "fuzz/fuzz_support.h"

namespace {

std::size_t CountFrom(std::string_view text, std::string_view tag, std::size_t from) {
  std::size_t count = 0;
  for (std::size_t at = text.find(tag, from); at != std::string_view::npos; at = text.find(tag, at + 1)) ++count;
  return count;
}

std::string WriteList(const std::vector<driver::CRegisterEntry>& registers) {
  std::string list = "#";
  for (const driver::CRegisterEntry& entry : registers)
    list += "<IDECR>" + std::to_string(entry.m_Number) + "</IDECR><TYPE>" + std::to_string(entry.m_Type) + "</TYPE>";
  return list;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view list(reinterpret_cast<const char*>(data), size);
  const std::vector<driver::CRegisterEntry> registers = driver::ScanRegisterList(list);
  // Every register needs an <IDECR> and a <TYPE> of its own, none at the first character.
  fuzz::Expect(registers.size() <= CountFrom(list, "<IDECR>", 1), "one register per <IDECR>", list);
  fuzz::Expect(registers.size() <= CountFrom(list, "<TYPE>", 1), "one register per <TYPE>", list);
  const std::string written = WriteList(registers);
  fuzz::Expect(driver::ScanRegisterList(written) == registers, "a written list scans to the same registers", written);
  return 0;
}
