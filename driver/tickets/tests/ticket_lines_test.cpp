#include "driver/tickets/ticket_lines.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/text_encoding.h"
#include "testsupport/log_capture.h"

namespace {

using driver::CTicketLines;

std::vector<std::string> Records(const std::string& text, const char* encodingName = "UTF-8") {
  const std::optional<platform::CTextEncoding> encoding = platform::CTextEncoding::Named(encodingName);
  if (!encoding) return {std::string("no encoding ") + encodingName};
  std::vector<std::string> out;
  CTicketLines lines(text, *encoding);
  while (auto record = lines.Next()) {
    if (record->fault == driver::RecordFault::BadText) {
      out.push_back(driver::RecordFaultReason(*record, *encoding));
      continue;
    }
    out.push_back(std::string(record->code) + "|" + std::string(record->data) + (record->fault == driver::RecordFault::TooLong ? "|long" : "") +
                  (record->fault == driver::RecordFault::NulByte ? "|nul" : ""));
  }
  return out;
}

TEST(TicketLines, SkipsEmptyAndCommentLinesAndStopsAt99) {
  testsupport::LogCapture log;
  EXPECT_EQ(Records("/ a comment\r\n\r\n\n8\n10\r\n1 data\r\n99\n8 after the end\n"),
            (std::vector<std::string>{"8|", "10|", "1|data"}));
  EXPECT_TRUE(log.Contains("Record 99(EOF) encountered!"));
}

TEST(TicketLines, CodeKeepsLeadingCharactersAndDataIsUnchanged) {
  // "01" is not code 1; a line of blanks has an empty code; a lone CR inside the data stays.
  EXPECT_EQ(Records("01x\n   \n7 \t0 \n5 a\rb\n"),
            (std::vector<std::string>{"01|x", "| ", "7|\t0 ", "5|a\rb"}));
}

TEST(TicketLines, LastLineWithoutLineEndAndOverlongLines) {
  EXPECT_EQ(Records("8"), (std::vector<std::string>{"8|"}));
  std::string exact = "55" + std::string(1996, 'x') + "\r\n";  // 1998 before its line end
  std::string over = "55" + std::string(1997, 'x') + "\n";
  EXPECT_EQ(Records(exact).front().substr(0, 3), "55|");
  EXPECT_EQ(Records(exact).front().find("|long"), std::string::npos);
  EXPECT_NE(Records(over).front().find("|long"), std::string::npos);
  EXPECT_EQ(Records(over).size(), 1u);  // never split into a second record
}

// Each record is decoded from the declared encoding: a code page byte is one character, UTF-8 is
// checked, and a byte that is no text of the encoding is named with its column.
TEST(TicketLines, DecodesTheDeclaredEncodingAndNamesTheFirstBadByte) {
  struct Case {
    const char* encoding;
    std::string text;
    std::vector<std::string> expected;
  } cases[] = {
      {"UTF-8", "5 plain\n", {"5|plain"}},
      {"UTF-8", "5 CAFFÈ\n5 ΚΑΦΕΣ 𝄞\n", {"5|CAFFÈ", "5|ΚΑΦΕΣ 𝄞"}},
      {"UTF-8", "ΨΦdata\n", {"ΨΦ|data"}},
      {"UTF-8", "5 AB\xC3(\n8\n", {"byte 0xC3 at column 5 is no UTF-8 text", "8|"}},
      {"UTF-8", "5 Ω\xC0\xAF\n", {"byte 0xC0 at column 4 is no UTF-8 text"}},
      {"UTF-8", "5 \xED\xA0\x80\n", {"byte 0xED at column 3 is no UTF-8 text"}},  // a surrogate
      {"UTF-8", "/ \xFF in a comment\n8\n", {"8|"}},
      {"CP1253", "5 \xCA\xC1\xD6\xC5\xD3\n", {"5|ΚΑΦΕΣ"}},
      {"cp1253", "5 A\xAA\n", {"byte 0xAA at column 4 is no CP1253 text"}},
      {"ISO-8859-7", "5 \xCA\xC1\xD6\xC5\xD3\n", {"5|ΚΑΦΕΣ"}},
      {"CP1252", "5 CAFF\xC8 \x80\n", {"5|CAFFÈ €"}},
      {"UTF-16", "5 x\n", {"no encoding UTF-16"}},
      {"KLINGON", "5 x\n", {"no encoding KLINGON"}},
  };
  for (const Case& c : cases) EXPECT_EQ(Records(c.text, c.encoding), c.expected) << c.encoding << " " << c.text;
  // The line limit counts characters: 1998 Greek letters are one record, 1999 are too long.
  std::string letters;
  for (int n = 0; n < 998; ++n) letters += "ΩΩ";
  EXPECT_EQ(Records("55" + letters + "\n").front().find("|long"), std::string::npos);
  EXPECT_NE(Records("55" + letters + "Ω\n").front().find("|long"), std::string::npos);
}

// A NUL byte would cut the record short on its way to the register: the record is marked, a comment
// holding one is still only a comment.
TEST(TicketLines, RecordHoldingANulByteIsMarked) {
  using namespace std::string_literals;
  EXPECT_EQ(Records("/ note\0here\n5 AB\0CD\n8\n"s), (std::vector<std::string>{"5|AB\0CD|nul"s, "8|"}));
}

}  // namespace
