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

void ReadFlag(const std::string& status, const char* open, const char* close, std::int32_t& flag) {
  flag = IsFlagOn(GetTagValue(status, open, close)) ? 1 : 0;
}

// Types 0 and 3 carry the hello code (characters 30-37) and its suffix (41-42).
void ReadHelloCode(CEcrStatus& status) {
  const std::string& hello = status.m_Hello;
  if (hello.size() <= 10) return;
  // Copying stops at the end of the text: a hello too short to reach a position keeps what was there.
  if (hello.size() > 30) status.m_HelloCode = hello.substr(30, 8);
  if (hello.size() > 41) status.m_HelloSuffix = hello.substr(41, 2);
}

// Types 1 and 2 report a status code in characters 8-10; during a header transfer any of its low
// seven bits means the register needs the alert command.
StatusFollowUp CheckExchangeStatusCode(const CEcrStatus& status) {
  const long code = ReadDecimalPrefix(SafeSubstr(status.m_Hello, 8, 3));
  return (code & 0x7F) != 0 ? StatusFollowUp::kStatusAlert : StatusFollowUp::kNone;
}

}  // namespace

StatusFollowUp ParseEcrStatus(std::int32_t ecrType, bool exchangePending, CEcrStatus& status) {
  const std::string& text = status.m_StatusText;
  if (text.empty()) return StatusFollowUp::kNone;
  const std::string hello = GetTagValue(text, "<HELLO>", "</HELLO>");
  if (!hello.empty()) status.m_Hello = hello.substr(0, kHelloMaxLength);
  ReadFlag(text, "<TICKETOPEN>", "</TICKETOPEN>", status.m_TicketOpen);
  ReadFlag(text, "<GENERICERROR>", "</GENERICERROR>", status.m_GenericError);
  status.m_Operating = GetTagValue(text, "<OPERATING>", "</OPERATING>");
  ReadFlag(text, "<PAPEROUT>", "</PAPEROUT>", status.m_PaperOut);
  if (IsZeroFamily(ecrType)) ReadFlag(text, "<REMOTE>", "</REMOTE>", status.m_Remote);
  ReadFlag(text, "<KEYLOCKED>", "</KEYLOCKED>", status.m_KeyLocked);
  if (ecrType == 0 || ecrType == 3) ReadHelloCode(status);
  if (IsZeroFamily(ecrType) && exchangePending) return CheckExchangeStatusCode(status);
  return StatusFollowUp::kNone;
}

}  // namespace driver
