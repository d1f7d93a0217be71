#include "driver/tickets/translator.h"

#include <optional>

#include "driver/tickets/record_layouts.h"
#include "platform/debug_log.h"
#include "platform/text_encoding.h"

namespace driver {
namespace {

constexpr std::string_view kBlanks = " \t\r\n\v\f";

std::string_view TrimRight(std::string_view text) {
  std::size_t end = text.find_last_not_of(kBlanks);
  return end == std::string_view::npos ? std::string_view() : text.substr(0, end + 1);
}

std::string_view Trim(std::string_view text) {
  text = TrimRight(text);
  std::size_t start = text.find_first_not_of(kBlanks);
  return start == std::string_view::npos ? std::string_view() : text.substr(start);
}

// A record's data (UTF-8), its columns counted in characters; plain ASCII, the usual case, is cut by
// bytes without counting.
class CRecordData {
 public:
  explicit CRecordData(std::string_view text) : m_Text(text), m_Ascii(platform::IsAscii(text)) {}

  std::size_t Length() const { return m_Ascii ? m_Text.size() : platform::Utf8Length(m_Text); }
  bool StartsWith(char c) const { return !m_Text.empty() && m_Text.front() == c; }
  // The `width` characters from `offset`, shortened where the data ends; all to the end with kToEnd.
  std::string_view Column(int offset, int width) const {
    const auto first = static_cast<std::size_t>(offset);
    const std::size_t count = width == kToEnd ? std::string_view::npos : static_cast<std::size_t>(width);
    if (!m_Ascii) return platform::Utf8Slice(m_Text, first, count);
    if (first >= m_Text.size()) return {};
    return m_Text.substr(first, count);
  }

 private:
  std::string_view m_Text;
  bool m_Ascii;
};

// A field cut, treated and checked; nothing when it fails the number check.
std::optional<std::string> CutField(const FieldLayout& field, const CRecordData& data, std::int32_t ecrType,
                                    bool descriptionCheck, std::string& reason) {
  if (!field.constant.empty()) return std::string(field.constant);
  if ((field.treatment & kZeroWhenAbsent) && data.Length() <= static_cast<std::size_t>(field.offset)) return "0";
  std::string_view value = data.Column(field.offset, field.width);
  if (field.treatment & kTrimBoth) value = Trim(value);
  if (field.treatment & kTrimRight) value = TrimRight(value);
  if ((field.treatment & kNumeric) && !IsNumericField(value)) {
    reason = "field " + std::string(field.name) + " \"" + std::string(value) + "\" is not a number";
    return std::nullopt;
  }
  std::string text(value);
  if (field.treatment & kLimited) text = LimitDescription(text, ecrType, descriptionCheck);
  if (field.treatment & kEscaped) text = EscapeMarkup(text);
  return text;
}

void AppendChild(std::string& element, std::string_view name, std::string_view value) {
  element.append("<").append(name).append(">").append(value).append("</").append(name).append(">");
}

std::string EmptyElement(std::string_view name) {
  return "<" + std::string(name) + "></" + std::string(name) + ">";
}

std::string TranslateForm(const RecordForm& form, const CRecordData& data, std::int32_t ecrType, bool descriptionCheck,
                          std::string& reason) {
  std::string element = "<" + std::string(form.element) + ">";
  for (const FieldLayout& field : form.fields) {
    std::optional<std::string> value = CutField(field, data, ecrType, descriptionCheck, reason);
    if (!value) return {};
    AppendChild(element, field.name, *value);
  }
  return element.append("</").append(form.element).append(">");
}

std::string LengthReason(std::size_t length, const RecordLayout& layout) {
  std::string ranges;
  for (const RecordForm& form : layout.forms) {
    if (!ranges.empty()) ranges += " or ";
    ranges += std::to_string(form.minLength);
    if (form.maxLength == kUnbounded) ranges += " or more";
    else if (form.maxLength != form.minLength) ranges += " to " + std::to_string(form.maxLength);
  }
  return "data length " + std::to_string(length) + " is outside the accepted " + ranges;
}

std::string TranslateByTable(const RecordLayout& layout, const CRecordData& data, std::int32_t ecrType,
                             bool descriptionCheck, std::string& reason) {
  const std::size_t length = data.Length();
  for (const RecordForm& form : layout.forms) {
    if (length >= static_cast<std::size_t>(form.minLength) && length <= static_cast<std::size_t>(form.maxLength))
      return TranslateForm(form, data, ecrType, descriptionCheck, reason);
  }
  reason = LengthReason(length, layout);
  return {};
}

// Code 7: a waiter number "0" closes the table, any other opens it.
std::string TranslateTable(const CRecordData& data, std::string& reason) {
  const std::size_t length = data.Length();
  if (length == 0 || (!data.StartsWith('0') && length < 5)) {
    reason = "data length " + std::to_string(length) + " is too short for a table record";
    return {};
  }
  std::string_view waiter = Trim(data.Column(0, 4));
  if (!IsNumericField(waiter)) {
    reason = "field WAITER \"" + std::string(waiter) + "\" is not a number";
    return {};
  }
  std::string element;
  if (waiter == "0") {
    element = "<CLOSE_TABLE>";
    AppendChild(element, "WAITER", "0");
    AppendChild(element, "TABLE", "0");
    return element + "</CLOSE_TABLE>";
  }
  element = "<OPEN_TABLE>";
  AppendChild(element, "WAITER", waiter);
  AppendChild(element, "TABLE", Trim(data.Column(4, kToEnd)));
  return element + "</OPEN_TABLE>";
}

// Code 50: type 255 (or nothing) is the fiscal closure, any other type a zero-set.
std::string TranslateZeroSet(const CRecordData& data, std::int32_t ecrType, bool descriptionCheck,
                             std::string& reason) {
  if (data.Length() == 0) return EmptyElement("FISCAL_CLOSURE");
  std::string_view type = Trim(data.Column(0, 3));
  if (!IsNumericField(type)) {
    reason = "field TYPE \"" + std::string(type) + "\" is not a number";
    return {};
  }
  if (type == "255") return EmptyElement("FISCAL_CLOSURE");
  constexpr FieldLayout kZeroSet[] = {{"TYPE", 0, 3, kTrimBoth | kNumeric},
                                      {"PRINT", 3, kToEnd, kTrimBoth | kNumeric | kZeroWhenAbsent}};
  return TranslateForm({0, kUnbounded, "ZEROSET_REQUEST", kZeroSet}, data, ecrType, descriptionCheck, reason);
}

// Code 56: mode 0 asks for the history, mode 1 rolls it back.
std::string TranslateHistory(const CRecordData& data, std::string& reason) {
  const std::size_t length = data.Length();
  if (length == 0 || length > 4) {
    reason = "data length " + std::to_string(length) + " is outside the accepted 1 to 4";
    return {};
  }
  std::string_view mode = Trim(data.Column(0, 1));
  if (mode == "0") {
    platform::DebugLog("[HISTORY_REQUEST]");
    return EmptyElement("HISTORY_REQUEST");
  }
  if (mode == "1") {
    platform::DebugLog("[HISTORY_ROLLBACK]");
    return EmptyElement("HISTORY_ROLLBACK");
  }
  reason = "field MODE \"" + std::string(mode) + "\" is neither 0 nor 1";
  return {};
}

}  // namespace

bool IsNumericField(std::string_view value) {
  bool separatorSeen = false;
  for (char c : value) {
    if (c >= '0' && c <= '9') continue;
    if ((c == '.' || c == ',') && !separatorSeen) {
      separatorSeen = true;
      continue;
    }
    return false;
  }
  return true;
}

std::string LimitDescription(std::string_view value, std::int32_t ecrType, bool descriptionCheck) {
  if (!descriptionCheck) return std::string(value);
  std::size_t limit = (ecrType == 1 || ecrType == 2) ? 21 : 18;
  return std::string(platform::Utf8Prefix(value, limit));
}

std::string EscapeMarkup(std::string_view value) {
  std::string out;
  out.reserve(value.size());
  for (char c : value) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string TranslateRecordExplained(std::string_view code, std::string_view data, std::int32_t ecrType,
                                     bool descriptionCheck, std::string& reason) {
  reason.clear();
  const CRecordData record(data);
  if (code == "7") return TranslateTable(record, reason);
  if (code == "50") return TranslateZeroSet(record, ecrType, descriptionCheck, reason);
  if (code == "56") return TranslateHistory(record, reason);
  if (const RecordLayout* layout = FindRecordLayout(code))
    return TranslateByTable(*layout, record, ecrType, descriptionCheck, reason);
  platform::DebugLog("Parsing: UNKNOWN COMMAND!");
  reason = "record code \"" + std::string(code) + "\" is unknown";
  return {};
}

std::string TranslateRecord(std::string_view code, std::string_view data, std::int32_t ecrType,
                            bool descriptionCheck) {
  std::string reason;
  return TranslateRecordExplained(code, data, ecrType, descriptionCheck, reason);
}

}  // namespace driver
