#include "driver/control/register_list.h"

#include <cstdlib>
#include <string>

namespace driver {
namespace {

std::int32_t ReadInteger(std::string_view text) {
  return static_cast<std::int32_t>(std::strtol(std::string(text).c_str(), nullptr, 10));
}

}  // namespace

std::vector<CRegisterEntry> ScanRegisterList(std::string_view list) {
  std::vector<CRegisterEntry> registers;
  constexpr std::string_view kIdOpen = "<IDECR>", kIdClose = "</IDECR>", kTypeOpen = "<TYPE>", kTypeClose = "</TYPE>";
  std::size_t from = 1;
  for (;;) {
    const std::size_t idOpen = list.find(kIdOpen, from);
    if (idOpen == std::string_view::npos) break;
    const std::size_t idClose = list.find(kIdClose, idOpen);
    if (idClose == std::string_view::npos) break;
    const std::size_t idStart = idOpen + kIdOpen.size();
    const std::int32_t number = ReadInteger(list.substr(idStart, idClose - idStart));
    const std::size_t typeOpen = list.find(kTypeOpen, idClose);
    if (typeOpen == std::string_view::npos) {
      from = idClose;
      continue;
    }
    const std::size_t typeClose = list.find(kTypeClose, typeOpen);
    if (typeClose == std::string_view::npos) break;
    const std::size_t typeStart = typeOpen + kTypeOpen.size();
    registers.push_back({number, ReadInteger(list.substr(typeStart, typeClose - typeStart))});
    from = typeClose;
  }
  return registers;
}

}  // namespace driver
