#include "driver/control/tag_value.h"

namespace driver {

std::string GetTagValue(std::string_view text, std::string_view openTag, std::string_view closeTag) {
  const std::size_t open = text.find(openTag, 1);
  if (open == std::string_view::npos) return {};
  const std::size_t close = text.find(closeTag, open);
  if (close == std::string_view::npos) return {};
  const std::size_t valueStart = open + openTag.size();
  // A closing tag that overlaps the opening one leaves no value between them.
  if (close < valueStart) return {};
  return std::string(text.substr(valueStart, close - valueStart));
}

bool IsFlagOn(std::string_view value) { return value == "1"; }

}  // namespace driver
