// Ticket records: the line reader over any bytes, and every record through the translator for each
// register type with the description check off and on. Each element must be one command document
// line: "<...>", no line end inside (the executor reads the document line by line).

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "driver/tickets/record_layouts.h"
#include "driver/tickets/ticket_lines.h"
#include "driver/tickets/translator.h"
#include "fuzz/fuzz_support.h"
#include "platform/debug_log.h"
#include "platform/text_encoding.h"

namespace {

// Counts the "unknown command" log lines: written for a code outside the record table, never otherwise.
class CUnknownCommandLines final : public platform::IDebugLogObserver {
 public:
  void OnDebugLine(std::string_view line) override { m_Count += line == "Parsing: UNKNOWN COMMAND!"; }
  int m_Count = 0;
};

bool IsKnownCode(std::string_view code) {
  return code == "7" || code == "50" || code == "56" || driver::FindRecordLayout(code) != nullptr;
}

void CheckElement(const std::string& element, const std::string& reason, std::string_view data) {
  // A rejection always says why, an accepted record never carries a reason.
  fuzz::Expect(element.empty() != reason.empty(), "a record is rejected exactly when a reason is given", data);
  if (element.empty()) return;
  fuzz::Expect(element.front() == '<' && element.back() == '>', "an element starts with < and ends with >",
               element);
  fuzz::Expect(element.find('\n') == std::string::npos, "an element holds no line end", element);
}

void TranslateForEveryRegister(const driver::TicketRecord& record) {
  CUnknownCommandLines unknown;
  platform::AddDebugLogObserver(&unknown);
  for (std::int32_t ecrType = 0; ecrType <= 3; ++ecrType) {
    std::string reasonOff, reasonOn;
    const std::string off = driver::TranslateRecordExplained(record.code, record.data, ecrType, false, reasonOff);
    const std::string on = driver::TranslateRecordExplained(record.code, record.data, ecrType, true, reasonOn);
    CheckElement(off, reasonOff, record.data);
    CheckElement(on, reasonOn, record.data);
    // The description limit only cuts descriptions: it never decides acceptance nor lengthens a line.
    fuzz::Expect(IsKnownCode(record.code) || off.empty(), "a code outside the record table is rejected", record.code);
    fuzz::Expect(off.empty() == on.empty(), "the description check does not change acceptance", record.data);
    fuzz::Expect(on.size() <= off.size(), "the description check never lengthens an element", record.data);
    fuzz::Expect(!platform::FirstInvalidUtf8(on) && !platform::FirstInvalidUtf8(off),
                 "cuts of valid text never leave invalid text", record.data);
    fuzz::Expect(driver::TranslateRecord(record.code, record.data, ecrType, true) == on,
                 "the plain translator gives the explained translator's element", record.data);
  }
  platform::RemoveDebugLogObserver(&unknown);
  // Three translations per register type, each logging once when the code is unknown.
  fuzz::Expect(unknown.m_Count == (IsKnownCode(record.code) ? 0 : 12),
               "only a code outside the record table logs \"Parsing: UNKNOWN COMMAND!\"", record.code);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::QuietDebugLog();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const platform::CTextEncoding encoding = platform::CTextEncoding::Utf8();
  driver::CTicketLines lines(text, encoding);
  int previousLine = 0;
  while (const auto record = lines.Next()) {
    fuzz::Expect(record->lineNumber > previousLine, "line numbers rise");
    previousLine = record->lineNumber;
    fuzz::Expect(platform::Utf8Length(record->code) <= 2, "a record code has at most two characters", record->code);
    fuzz::Expect(record->fault != driver::RecordFault::None || !platform::FirstInvalidUtf8(record->data),
                 "a record taken is valid UTF-8", record->data);
    fuzz::Expect(record->data.find('\n') == std::string_view::npos, "record data holds no line feed", record->data);
    // Both views lie inside the ticket text.
    const char* begin = text.data();
    const char* end = text.data() + text.size();
    fuzz::Expect(record->code.empty() || (record->code.data() >= begin && record->code.data() + record->code.size() <= end),
                 "the code lies inside the ticket");
    fuzz::Expect(record->data.empty() || (record->data.data() >= begin && record->data.data() + record->data.size() <= end),
                 "the data lies inside the ticket");
    TranslateForEveryRegister(*record);
  }
  return 0;
}
