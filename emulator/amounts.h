#pragma once
// Money and quantity texts as registers receive them: digits with at most one "," or "." separator.

#include <optional>
#include <string>
#include <string_view>

#include "emulator/register_state.h"

namespace emulator {

// "12,50", "12.5" and "12" give 1250, 1250 and 1200 cents; more than two decimals, signs, blanks
// inside or a second separator give nothing. Blanks around the value are ignored; empty gives nothing.
std::optional<Cents> ParseAmount(std::string_view text);
// A quantity in thousandths: "2" gives 2000, "1,5" 1500; the same rules with up to three decimals.
std::optional<std::int64_t> ParseQuantity(std::string_view text);
// Whole cents written as digits only ("1250" is 12.50), as the zero family's uploads carry them.
std::optional<Cents> ParseCentsDigits(std::string_view text);
// A whole number of plain digits.
std::optional<int> ParseNumber(std::string_view text);
// "12.50", "-0.05".
std::string FormatCents(Cents cents);

}  // namespace emulator
