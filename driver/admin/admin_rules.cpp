#include "driver/admin/admin_rules.h"

namespace driver {

bool UsesStarRules(std::int32_t ecrType) { return ecrType == 0 || ecrType == 3; }

std::string RegisterDecimal(std::string amount, std::int32_t ecrType) {
  if (!UsesStarRules(ecrType)) return amount;
  const std::size_t point = amount.find('.');
  if (point != std::string::npos) amount[point] = ',';
  return amount;
}

std::string CutHeaderLine(const std::string& line, std::int32_t ecrType) {
  const std::size_t width = UsesStarRules(ecrType) ? kStarHeaderWidth : kZeroHeaderWidth;
  return line.substr(0, width);
}

}  // namespace driver
