#include "driver/tickets/ticket_lines.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "testsupport/log_capture.h"

namespace {

using driver::CTicketLines;

std::vector<std::string> Records(const std::string& text) {
  std::vector<std::string> out;
  CTicketLines lines(text);
  while (auto record = lines.Next())
    out.push_back(std::string(record->code) + "|" + std::string(record->data) + (record->fault == driver::RecordFault::TooLong ? "|long" : "") +
                  (record->fault == driver::RecordFault::NulByte ? "|nul" : ""));
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
  std::string exact = "55" + std::string(1995, 'x') + "\n";  // 1998 with its line end
  std::string over = "55" + std::string(1997, 'x') + "\n";
  EXPECT_EQ(Records(exact).front().substr(0, 3), "55|");
  EXPECT_EQ(Records(exact).front().find("|long"), std::string::npos);
  EXPECT_NE(Records(over).front().find("|long"), std::string::npos);
  EXPECT_EQ(Records(over).size(), 1u);  // never split into a second record
}

// A NUL byte would cut the record short on its way to the register: the record is marked, a comment
// holding one is still only a comment.
TEST(TicketLines, RecordHoldingANulByteIsMarked) {
  using namespace std::string_literals;
  EXPECT_EQ(Records("/ note\0here\n5 AB\0CD\n8\n"s), (std::vector<std::string>{"5|AB\0CD|nul"s, "8|"}));
}

}  // namespace
