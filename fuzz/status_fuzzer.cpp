// Register status texts: the status parsing of each register type, with and without a header
// transfer pending, and the element extraction itself with tags taken from the input.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "driver/control/ecr_context.h"
#include "driver/control/status_parse.h"
#include "driver/control/tag_value.h"
#include "fuzz/fuzz_support.h"

namespace {

bool IsFlag(const driver::Flag& flag) { return flag.load() == 0 || flag.load() == 1; }

void ParseOnEveryRegister(const std::string& status) {
  for (std::int32_t ecrType = 0; ecrType <= 3; ++ecrType) {
    for (std::int32_t pending = 0; pending <= 1; ++pending) {
      driver::CEcrContext ctx(1, ecrType);
      ctx.m_ExchangePending = pending;
      ctx.m_StatusText.Set(status);
      const driver::StatusFollowUp followUp = driver::ParseEcrStatus(ctx);
      fuzz::Expect(followUp == driver::StatusFollowUp::kNone || (ctx.IsZeroFamily() && pending == 1),
                   "only a zero-family register during a header transfer raises a status alert", status);
      fuzz::Expect(ctx.m_Hello.Get().size() <= driver::kHelloMaxLength, "the hello text fits its field");
      fuzz::Expect(ctx.m_HelloCode.Get().size() <= 8 && ctx.m_HelloSuffix.Get().size() <= 2,
                   "the hello code and suffix fit their fields");
      fuzz::Expect(IsFlag(ctx.m_TicketOpen) && IsFlag(ctx.m_GenericError) && IsFlag(ctx.m_PaperOut) &&
                       IsFlag(ctx.m_Remote) && IsFlag(ctx.m_KeyLocked),
                   "status flags are 0 or 1");
      fuzz::Expect(ctx.IsZeroFamily() || ctx.m_Remote.load() == 0, "only types 1 and 2 read <REMOTE>", status);
      // A second status on the same register keeps the hello of the first when it brings none.
      const std::string hello = ctx.m_Hello.Get();
      ctx.m_StatusText.Set(status.substr(status.size() / 2));
      driver::ParseEcrStatus(ctx);
      fuzz::Expect(!ctx.m_Hello.Get().empty() || hello.empty(), "a status without hello keeps the last hello");
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
