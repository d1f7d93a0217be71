#pragma once
// The number check of TillDemo's fields. A field is numeric when it reads as a number the way the
// form's runtime reads one: blanks around it, an optional sign, digits with at most one decimal point,
// and an optional exponent ("1e3", "-2.5", "+3", " 7 "). Thousands separators, currency signs and hex
// forms are not accepted. The check is the same in every locale: the decimal point is always ".".

#include <cstdint>
#include <optional>
#include <string_view>

namespace demo {

bool IsNumeric(std::string_view text);

// The numeric text as a 16-bit integer, rounded to the nearest (halves to even); nothing when the text
// is not numeric or the rounded value lies outside -32768..32767.
std::optional<std::int16_t> ToInteger16(std::string_view text);

}  // namespace demo
