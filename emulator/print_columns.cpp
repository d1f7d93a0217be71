#include "emulator/print_columns.h"

#include "platform/text_encoding.h"

namespace emulator {
namespace {

constexpr std::size_t kTextColumns = 28;
constexpr std::size_t kAmountColumns = 12;

}  // namespace

std::string Columns(std::string_view left, std::string_view right) {
  return platform::Utf8PadRight(platform::Utf8Prefix(left, kTextColumns), kTextColumns) +
         platform::Utf8PadLeft(right, kAmountColumns);
}

}  // namespace emulator
