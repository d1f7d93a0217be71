#pragma once
// The programming rules the sheet checks before it hands values to a register: how far the star
// family's departments go, its decimal comma, and the width of the ticket header lines.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace driver {

// Registers of types 0 and 3 (the "*" command family) know departments 1 to 12 only and write
// amounts with a decimal comma.
inline constexpr int kStarLastDepartment = 12;
inline constexpr int kLastDepartment = 255;

// The sixth header line must have at least this many characters.
inline constexpr std::size_t kHeaderLine6Minimum = 10;
inline constexpr std::size_t kStarHeaderWidth = 18;
inline constexpr std::size_t kZeroHeaderWidth = 21;

bool UsesStarRules(std::int32_t ecrType);
// Registers of types 0 and 3 have no offers.
inline bool HasOffers(std::int32_t ecrType) { return !UsesStarRules(ecrType); }

// An amount as the sheet hands it on: empty, or digits with at most one "." or "," and at most two
// decimals. A separator is followed by exactly two decimals ("12.5" becomes "12.50", "12." becomes
// "12.00"): the star family reads the digits after the comma as cents. Nothing when it is no amount.
std::optional<std::string> SheetAmount(const std::string& text);

// The first "." becomes "," on a star-family register; any other text is left as it is.
std::string RegisterDecimal(std::string amount, std::int32_t ecrType);

// The register's print width of a header line, and a line cut to it (bytes: the registers print
// 8-bit text).
std::size_t HeaderWidth(std::int32_t ecrType);
std::string CutHeaderLine(const std::string& line, std::int32_t ecrType);

}  // namespace driver
