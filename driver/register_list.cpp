#include "driver/register_list.h"

#include <cstdlib>
#include <string>

namespace driver {
namespace {

constexpr std::string_view kIdOpen = "<IDECR>";
constexpr std::string_view kIdClose = "</IDECR>";
constexpr std::string_view kTypeOpen = "<TYPE>";
constexpr std::string_view kTypeClose = "</TYPE>";

// The integer conversion of the text between an opening element and its closing one: leading blanks,
// an optional sign and digits; anything else reads as 0.
std::int32_t ElementNumber(std::string_view text, std::size_t open, std::size_t openLength, std::size_t close) {
  std::string value(text.substr(open + openLength, close - open - openLength));
  return static_cast<std::int32_t>(std::strtol(value.c_str(), nullptr, 10));
}

}  // namespace

std::vector<CRegisterEntry> ScanRegisterList(std::string_view text) {
  std::vector<CRegisterEntry> registers;
  std::size_t from = 1;
  for (;;) {
    std::size_t idOpen = text.find(kIdOpen, from);
    if (idOpen == std::string_view::npos) break;
    std::size_t idClose = text.find(kIdClose, idOpen);
    if (idClose == std::string_view::npos) break;
    std::size_t typeOpen = text.find(kTypeOpen, idClose);
    if (typeOpen == std::string_view::npos) {
      from = idClose;
      continue;
    }
    std::size_t typeClose = text.find(kTypeClose, typeOpen);
    if (typeClose == std::string_view::npos) break;
    registers.push_back({ElementNumber(text, idOpen, kIdOpen.size(), idClose),
                         ElementNumber(text, typeOpen, kTypeOpen.size(), typeClose)});
    from = typeClose;
  }
  return registers;
}

}  // namespace driver
