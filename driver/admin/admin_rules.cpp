#include "driver/admin/admin_rules.h"

#include "platform/text_encoding.h"

namespace driver {

bool UsesStarRules(std::int32_t ecrType) { return ecrType == 0 || ecrType == 3; }

std::optional<std::string> SheetAmount(const std::string& text) {
  constexpr std::size_t kDecimals = 2;
  const std::size_t separator = text.find_first_of(".,");
  const std::string whole = text.substr(0, separator);
  const std::string decimals = separator == std::string::npos ? std::string() : text.substr(separator + 1);
  const auto digits = [](const std::string& part) { return part.find_first_not_of("0123456789") == std::string::npos; };
  if (!digits(whole) || !digits(decimals) || decimals.size() > kDecimals) return std::nullopt;
  if (separator == std::string::npos) return text;
  if (whole.empty() && decimals.empty()) return std::nullopt;
  return whole + text[separator] + decimals + std::string(kDecimals - decimals.size(), '0');
}

std::string RegisterDecimal(std::string amount, std::int32_t ecrType) {
  if (!UsesStarRules(ecrType)) return amount;
  const std::size_t point = amount.find('.');
  if (point != std::string::npos) amount[point] = ',';
  return amount;
}

std::size_t HeaderWidth(std::int32_t ecrType) { return UsesStarRules(ecrType) ? kStarHeaderWidth : kZeroHeaderWidth; }

// The register's width counts characters: a Greek line is cut before a letter, never inside one.
std::string CutHeaderLine(const std::string& line, std::int32_t ecrType) {
  return std::string(platform::Utf8Prefix(line, HeaderWidth(ecrType)));
}

}  // namespace driver
