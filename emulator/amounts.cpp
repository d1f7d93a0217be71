#include "emulator/amounts.h"

#include <cstdlib>

namespace emulator {
namespace {

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// Digits with one optional separator, scaled to the given number of decimals.
std::optional<std::int64_t> ParseScaled(std::string_view text, int decimals) {
  text = Trim(text);
  if (text.empty() || text.size() > 15) return std::nullopt;
  std::int64_t whole = 0;
  std::int64_t fraction = 0;
  int fractionDigits = -1;  // -1 until the separator
  for (char c : text) {
    if (c == ',' || c == '.') {
      if (fractionDigits >= 0) return std::nullopt;
      fractionDigits = 0;
    } else if (c >= '0' && c <= '9') {
      if (fractionDigits < 0) {
        whole = whole * 10 + (c - '0');
      } else {
        if (++fractionDigits > decimals) return std::nullopt;
        fraction = fraction * 10 + (c - '0');
      }
    } else {
      return std::nullopt;
    }
  }
  for (int i = fractionDigits < 0 ? 0 : fractionDigits; i < decimals; ++i) fraction *= 10;
  std::int64_t scale = 1;
  for (int i = 0; i < decimals; ++i) scale *= 10;
  return whole * scale + fraction;
}

}  // namespace

std::optional<Cents> ParseAmount(std::string_view text) { return ParseScaled(text, 2); }

std::optional<std::int64_t> ParseQuantity(std::string_view text) { return ParseScaled(text, 3); }

std::optional<Cents> ParseCentsDigits(std::string_view text) {
  text = Trim(text);
  if (text.find_first_of(",.") != std::string_view::npos) return std::nullopt;
  return ParseScaled(text, 0);
}

std::optional<int> ParseNumber(std::string_view text) {
  const auto value = ParseCentsDigits(text);
  if (!value || *value > 1000000000) return std::nullopt;
  return static_cast<int>(*value);
}

std::string FormatCents(Cents cents) {
  const bool negative = cents < 0;
  const Cents magnitude = negative ? -cents : cents;
  std::string fraction = std::to_string(magnitude % 100);
  if (fraction.size() < 2) fraction.insert(0, "0");
  return (negative ? "-" : "") + std::to_string(magnitude / 100) + "." + fraction;
}

}  // namespace emulator
