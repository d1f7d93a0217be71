#pragma once
// The record table: for each record code, its accepted data lengths and the columns of each form.
// Codes whose element depends on a value (7, 50, 56) are decided in the translator.

#include <cstdint>
#include <span>
#include <string_view>

namespace driver {

enum FieldTreatment : unsigned {
  kTrimBoth = 1u << 0,    // T: blanks removed on both sides
  kTrimRight = 1u << 1,   // R: blanks removed on the right only
  kNumeric = 1u << 2,     // N: must pass the number check
  kLimited = 1u << 3,     // L: the description limit
  kEscaped = 1u << 4,     // E: markup escaping
  kZeroWhenAbsent = 1u << 5,  // "0" when the data ends before the field starts
};

inline constexpr int kToEnd = -1;

struct FieldLayout {
  std::string_view name;
  int offset;
  int width;  // kToEnd: to the end of the data
  unsigned treatment;
  std::string_view constant = {};  // a fixed value instead of a column
};

inline constexpr int kUnbounded = 1 << 30;

struct RecordForm {
  int minLength;
  int maxLength;
  std::string_view element;
  std::span<const FieldLayout> fields;
};

struct RecordLayout {
  std::string_view code;
  std::span<const RecordForm> forms;
};

// The layout of a code, or nullptr for a code outside the table (and for the decided codes 7, 50, 56).
const RecordLayout* FindRecordLayout(std::string_view code);

}  // namespace driver
