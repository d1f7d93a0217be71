#pragma once
// Element extraction from the control's element texts (status texts, register lists, command documents).

#include <string>
#include <string_view>

namespace driver {

// The text between the opening tag, searched from index 1 (the first character never matches), and the
// closing tag, searched from the opening tag's position. Empty when either tag is missing.
std::string GetTagValue(std::string_view text, std::string_view openTag, std::string_view closeTag);

// A flag element is on only when its value is exactly "1" ("01", "", "true" are off).
bool IsFlagOn(std::string_view value);

}  // namespace driver
