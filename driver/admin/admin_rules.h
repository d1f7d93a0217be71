#pragma once
// The programming rules the sheet checks before it hands values to a register: how far the star
// family's departments go, its decimal comma, and the width of the ticket header lines.

#include <cstddef>
#include <cstdint>
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

// The first "." becomes "," on a star-family register; any other text is left as it is.
std::string RegisterDecimal(std::string amount, std::int32_t ecrType);

// A header line cut to the register's print width (bytes: the registers print 8-bit text).
std::string CutHeaderLine(const std::string& line, std::int32_t ecrType);

}  // namespace driver
