#include "driver/control/status_parse.h"

#include <string>

#include "driver/control/tag_value.h"

namespace driver {
namespace {

// Leading blanks, an optional sign, then digits up to the first other character; nothing readable
// gives 0. A code written right-aligned (" 12") reads as the number it shows.
long ReadDecimalPrefix(const std::string& text) {
  std::size_t at = text.find_first_not_of(" \t");
  if (at == std::string::npos) return 0;
  bool negative = false;
  if (at < text.size() && (text[at] == '-' || text[at] == '+')) negative = text[at++] == '-';
  long value = 0;
  for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) value = value * 10 + (text[at] - '0');
  return negative ? -value : value;
}

std::string SafeSubstr(const std::string& text, std::size_t from, std::size_t count) {
  if (from >= text.size()) return {};
  return text.substr(from, count);
}

void ReadFlag(const std::string& status, const char* open, const char* close, Flag& flag) {
  flag = IsFlagOn(GetTagValue(status, open, close)) ? 1 : 0;
}

// Types 0 and 3 carry the hello code (characters 30-37) and its suffix (41-42).
void ReadHelloCode(CEcrContext& ctx) {
  const std::string hello = ctx.m_Hello.Get();
  if (hello.size() <= 10) return;
  // Copying stops at the end of the text: a hello too short to reach a position keeps what was there.
  if (hello.size() > 30) ctx.m_HelloCode.Set(hello.substr(30, 8));
  if (hello.size() > 41) ctx.m_HelloSuffix.Set(hello.substr(41, 2));
}

// Types 1 and 2 report a status code in characters 8-10; during a header transfer any of its low
// seven bits means the register needs the alert command.
StatusFollowUp CheckExchangeStatusCode(CEcrContext& ctx) {
  if (ctx.m_ExchangePending.load() == 0) return StatusFollowUp::kNone;
  const long code = ReadDecimalPrefix(SafeSubstr(ctx.m_Hello.Get(), 8, 3));
  return (code & 0x7F) != 0 ? StatusFollowUp::kStatusAlert : StatusFollowUp::kNone;
}

}  // namespace

StatusFollowUp ParseEcrStatus(CEcrContext& ctx) {
  const std::string status = ctx.m_StatusText.Get();
  if (status.empty()) return StatusFollowUp::kNone;
  const std::string hello = GetTagValue(status, "<HELLO>", "</HELLO>");
  if (!hello.empty()) ctx.m_Hello.Set(hello.substr(0, kHelloMaxLength));
  ReadFlag(status, "<TICKETOPEN>", "</TICKETOPEN>", ctx.m_TicketOpen);
  ReadFlag(status, "<GENERICERROR>", "</GENERICERROR>", ctx.m_GenericError);
  ctx.m_Operating.Set(GetTagValue(status, "<OPERATING>", "</OPERATING>"));
  ReadFlag(status, "<PAPEROUT>", "</PAPEROUT>", ctx.m_PaperOut);
  if (ctx.IsZeroFamily()) ReadFlag(status, "<REMOTE>", "</REMOTE>", ctx.m_Remote);
  ReadFlag(status, "<KEYLOCKED>", "</KEYLOCKED>", ctx.m_KeyLocked);
  StatusFollowUp followUp = StatusFollowUp::kNone;
  if (ctx.m_EcrType == 0 || ctx.m_EcrType == 3) ReadHelloCode(ctx);
  if (ctx.IsZeroFamily()) followUp = CheckExchangeStatusCode(ctx);
  ctx.SignalChange();
  return followUp;
}

}  // namespace driver
