#pragma once
// The ticket record translator: one fixed-column ticket record in, one command document element out.
// Pure functions: no files, no state; the only effect is the debug log line of an unknown code
// (and the history lines of code 56). Records are UTF-8 (ticket_lines.h decodes them): lengths,
// columns and the description limit count characters.

#include <cstdint>
#include <string>
#include <string_view>

namespace driver {

// The element for the record, without line end, or "" when the record is rejected.
std::string TranslateRecord(std::string_view code, std::string_view data, std::int32_t ecrType,
                            bool descriptionCheck);

// The same, also saying in plain words why a record was rejected (for the integrators' tools).
// Logs exactly what TranslateRecord logs.
std::string TranslateRecordExplained(std::string_view code, std::string_view data, std::int32_t ecrType,
                                     bool descriptionCheck, std::string& reason);

// Empty, or digits with at most one "." or "," in the whole value.
bool IsNumericField(std::string_view value);

// With the check on, cuts a description to the register's width: 21 characters for types 1 and 2, 18
// for others.
std::string LimitDescription(std::string_view value, std::int32_t ecrType, bool descriptionCheck);

// "&" -> "&amp;", then "<" -> "&lt;", then ">" -> "&gt;".
std::string EscapeMarkup(std::string_view value);

}  // namespace driver
