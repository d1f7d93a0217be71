#include "demo/numeric_text.h"

#include <charconv>
#include <cmath>
#include <optional>
#include <string>

namespace demo {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// Digits starting at position, advancing it; the number of digits read.
int ReadDigits(std::string_view text, size_t& position) {
  int count = 0;
  while (position < text.size() && IsDigit(text[position])) {
    ++position;
    ++count;
  }
  return count;
}

// The number in the C form that std::from_chars reads ("+" dropped, "d" exponents as "e"), or nothing
// when the text does not have the shape of a number.
std::optional<std::string> NormalisedNumber(std::string_view text) {
  text = TrimBlanks(text);
  std::string normal;
  size_t position = 0;
  if (position < text.size() && (text[position] == '+' || text[position] == '-')) {
    if (text[position] == '-') normal += '-';
    ++position;
  }
  size_t mantissaStart = position;
  int digits = ReadDigits(text, position);
  if (position < text.size() && text[position] == '.') {
    ++position;
    digits += ReadDigits(text, position);
  }
  if (digits == 0) return std::nullopt;
  normal.append(text.substr(mantissaStart, position - mantissaStart));
  if (position < text.size() && (text[position] == 'e' || text[position] == 'E' || text[position] == 'd' ||
                                 text[position] == 'D')) {
    normal += 'e';
    ++position;
    if (position < text.size() && (text[position] == '+' || text[position] == '-')) normal += text[position++];
    size_t exponentStart = position;
    if (ReadDigits(text, position) == 0) return std::nullopt;
    normal.append(text.substr(exponentStart, position - exponentStart));
  }
  if (position != text.size()) return std::nullopt;
  return normal;
}

std::optional<double> NumericValue(std::string_view text) {
  std::optional<std::string> normal = NormalisedNumber(text);
  if (!normal) return std::nullopt;
  double value = 0;
  auto [end, error] = std::from_chars(normal->data(), normal->data() + normal->size(), value);
  if (error != std::errc() || end != normal->data() + normal->size() || !std::isfinite(value)) return std::nullopt;
  return value;
}

}  // namespace

bool IsNumeric(std::string_view text) { return NumericValue(text).has_value(); }

std::optional<std::int16_t> ToInteger16(std::string_view text) {
  std::optional<double> value = NumericValue(text);
  if (!value) return std::nullopt;
  // nearbyint rounds in the default mode, to the nearest with halves to even, like the runtime did.
  double rounded = std::nearbyint(*value);
  if (rounded < -32768.0 || rounded > 32767.0) return std::nullopt;
  return static_cast<std::int16_t>(rounded);
}

}  // namespace demo
