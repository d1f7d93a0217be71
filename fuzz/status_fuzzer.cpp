// Register status texts: the status parsing of each register type, with and without a header
// transfer pending, and the element extraction itself with tags taken from the input.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "driver/control/status_parse.h"
#include "driver/control/tag_value.h"
#include "fuzz/fuzz_support.h"

namespace {

bool IsFlag(std::int32_t flag) { return flag == 0 || flag == 1; }

void ParseOnEveryRegister(const std::string& text) {
  for (std::int32_t ecrType = 0; ecrType <= 3; ++ecrType) {
    for (const bool pending : {false, true}) {
      driver::CEcrStatus status;
      status.m_StatusText = text;
      const driver::StatusFollowUp followUp = driver::ParseEcrStatus(ecrType, pending, status);
      const bool zeroFamily = driver::IsZeroFamily(ecrType);
      fuzz::Expect(followUp == driver::StatusFollowUp::kNone || (zeroFamily && pending),
                   "only a zero-family register during a header transfer raises a status alert", text);
      fuzz::Expect(status.m_Hello.size() <= driver::kHelloMaxLength, "the hello text fits its field");
      fuzz::Expect(status.m_HelloCode.size() <= 8 && status.m_HelloSuffix.size() <= 2,
                   "the hello code and suffix fit their fields");
      fuzz::Expect(IsFlag(status.m_TicketOpen) && IsFlag(status.m_GenericError) && IsFlag(status.m_PaperOut) &&
                       IsFlag(status.m_Remote) && IsFlag(status.m_KeyLocked),
                   "status flags are 0 or 1");
      fuzz::Expect(zeroFamily || status.m_Remote == 0, "only types 1 and 2 read <REMOTE>", text);
      // A second status on the same register keeps the hello of the first when it brings none.
      const std::string hello = status.m_Hello;
      status.m_StatusText = text.substr(text.size() / 2);
      driver::ParseEcrStatus(ecrType, pending, status);
      fuzz::Expect(!status.m_Hello.empty() || hello.empty(), "a status without hello keeps the last hello");
    }
  }
}

// The value, when there is one, lies right after the first opening tag past index 0, and the closing
// tag follows it.
void CheckTagValue(std::string_view text, std::string_view open, std::string_view close) {
  const std::string value = driver::GetTagValue(text, open, close);
  if (value.empty()) return;
  const std::size_t openAt = text.find(open, 1);
  fuzz::Expect(openAt != std::string_view::npos, "a value comes from an opening tag", text);
  const std::size_t valueAt = openAt + open.size();
  fuzz::Expect(text.substr(valueAt, value.size()) == value, "the value follows the opening tag", value);
  fuzz::Expect(text.substr(valueAt + value.size(), close.size()) == close, "the closing tag follows the value",
               value);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::QuietDebugLog();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string status(reinterpret_cast<const char*>(data), size);
  ParseOnEveryRegister(status);
  CheckTagValue(status, "<HELLO>", "</HELLO>");
  // Tags from the input itself: the first byte gives the opening tag's length, the next the closing one's.
  fuzz::CInputReader input(data, size);
  const std::size_t openLength = input.TakeByte() % 16;
  const std::size_t closeLength = input.TakeByte() % 16;
  const std::string_view open = input.TakeBytes(openLength);
  const std::string_view close = input.TakeBytes(closeLength);
  CheckTagValue(input.Rest(), open, close);
  return 0;
}
