#include "driver/tickets/translator.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/text_encoding.h"
#include "testsupport/log_capture.h"

namespace {

using driver::EscapeMarkup;
using driver::IsNumericField;
using driver::LimitDescription;
using driver::TranslateRecord;

// Lays text into fixed columns: each (offset, text) pair is written at its offset, blanks between.
std::string Columns(std::initializer_list<std::pair<int, std::string>> parts, std::size_t length = 0) {
  std::string data;
  for (const auto& [offset, text] : parts) {
    if (data.size() < offset + text.size()) data.resize(offset + text.size(), ' ');
    data.replace(offset, text.size(), text);
  }
  if (data.size() < length) data.resize(length, ' ');
  return data;
}

std::string Sale(const std::string& description, const std::string& quantity = "1") {
  return Columns({{0, "PLU42"}, {25, "     12,50"}, {35, "  3"}, {38, description}, {80, quantity}});
}

struct RecordCase {
  const char* what;
  std::string code;
  std::string data;
  std::string expected;  // "" = rejected
  int ecrType = 1;
  bool descriptionCheck = false;
};

TEST(TranslateRecord, ProducesEachElementFormAndRejectsOutOfRangeLengths) {
  const RecordCase cases[] = {
      {"open ticket, invoice only", "0", "7", "<OPEN_TICKET><INVOICE>7</INVOICE></OPEN_TICKET>"},
      {"open ticket with issue type", "0", "0102",
       "<OPEN_TICKET><INVOICE>01</INVOICE><ISSUE_TYPE>02</ISSUE_TYPE></OPEN_TICKET>"},
      {"open ticket too long", "0", "12345", ""},
      {"open ticket without data", "0", "", ""},
      {"sale", "1", Sale("Coffee"),
       "<SELLITEM><PLUCODE>PLU42</PLUCODE><PRICE>12,50</PRICE><DEPARTMENT>3</DEPARTMENT>"
       "<DESCRIPTION>Coffee</DESCRIPTION><QUANTITY>1</QUANTITY></SELLITEM>"},
      {"sale of 80 characters", "1", Sale("Coffee").substr(0, 80), ""},
      {"sale of 81: quantity is the last character", "1", Columns({{80, "5"}}),
       "<SELLITEM><PLUCODE></PLUCODE><PRICE></PRICE><DEPARTMENT></DEPARTMENT><DESCRIPTION></DESCRIPTION>"
       "<QUANTITY>5</QUANTITY></SELLITEM>"},
      {"past void", "2", Sale("Tea"),
       "<PASTVOID><PLUCODE>PLU42</PLUCODE><PRICE>12,50</PRICE><DEPARTMENT>3</DEPARTMENT>"
       "<DESCRIPTION>Tea</DESCRIPTION><QUANTITY>1</QUANTITY></PASTVOID>"},
      {"refund at the counter", "3", Sale("Tea"),
       "<REFUND><TABLE>0</TABLE><PLUCODE>PLU42</PLUCODE><PRICE>12,50</PRICE><DEPARTMENT>3</DEPARTMENT>"
       "<DESCRIPTION>Tea</DESCRIPTION><QUANTITY>1</QUANTITY></REFUND>"},
      {"refund at a table", "11", Sale("Tea"),
       "<REFUND><TABLE>1</TABLE><PLUCODE>PLU42</PLUCODE><PRICE>12,50</PRICE><DEPARTMENT>3</DEPARTMENT>"
       "<DESCRIPTION>Tea</DESCRIPTION><QUANTITY>1</QUANTITY></REFUND>"},
      {"discount, four children", "4", Columns({{0, "Promo"}, {42, "  1"}, {45, "  2"}, {48, "1.5"}}, 49),
       "<DISCOUNT><DESCRIPTION>Promo</DESCRIPTION><SBT>1</SBT><TYPE>2</TYPE><AMOUNT>1.5</AMOUNT></DISCOUNT>"},
      {"discount, five children", "4", Columns({{0, "Promo"}, {42, "1"}, {45, "2"}, {48, "1.5"}, {58, "3"}}),
       "<DISCOUNT><DESCRIPTION>Promo</DESCRIPTION><SBT>1</SBT><TYPE>2</TYPE><AMOUNT>1.5</AMOUNT>"
       "<QTY>3</QTY></DISCOUNT>"},
      {"discount too short", "4", std::string(48, ' '), ""},
      {"print line", "5", "01Thank you  ", "<PRINTLINE><MODE>01</MODE><MESSAGE>Thank you</MESSAGE></PRINTLINE>"},
      {"print line too short", "5", "01", ""},
      {"close, 49 characters: three children", "6", Columns({{0, "10,00"}, {10, "CASH"}, {46, "1"}}, 49),
       "<CLOSE_TICKET><AMOUNT>10,00</AMOUNT><PAYMENTDESCRIPTION>CASH</PAYMENTDESCRIPTION>"
       "<PAYMENTTYPE>1</PAYMENTTYPE></CLOSE_TICKET>"},
      {"close, 50 characters: four children", "6", Columns({{0, "10,00"}, {10, "CASH"}, {46, "1"}, {49, "2"}}),
       "<CLOSE_TICKET><AMOUNT>10,00</AMOUNT><PAYMENTDESCRIPTION>CASH</PAYMENTDESCRIPTION>"
       "<PAYMENTTYPE>1</PAYMENTTYPE><ISSUE_TYPE>2</ISSUE_TYPE></CLOSE_TICKET>"},
      {"close, 51 characters", "6", Columns({{0, "1"}, {46, "1"}, {49, "22"}}),
       "<CLOSE_TICKET><AMOUNT>1</AMOUNT><PAYMENTDESCRIPTION></PAYMENTDESCRIPTION>"
       "<PAYMENTTYPE>1</PAYMENTTYPE><ISSUE_TYPE>22</ISSUE_TYPE></CLOSE_TICKET>"},
      {"close, 52 characters", "6", Columns({{0, "1"}, {46, "1"}}, 52), ""},
      {"close, 46 characters", "6", Columns({{0, "1"}}, 46), ""},
      {"close table", "7", "0", "<CLOSE_TABLE><WAITER>0</WAITER><TABLE>0</TABLE></CLOSE_TABLE>"},
      {"blanks then 0 are too short", "7", "   0", ""},
      {"waiter 0012, no table", "7", "0012", "<OPEN_TABLE><WAITER>0012</WAITER><TABLE></TABLE></OPEN_TABLE>"},
      {"open table", "7", "  12 T5 ", "<OPEN_TABLE><WAITER>12</WAITER><TABLE>T5</TABLE></OPEN_TABLE>"},
      {"table without data", "7", "", ""},
      {"ticket void ignores data", "8", "whatever", "<TICKETVOID></TICKETVOID>"},
      {"ticket copy", "9", "", "<TICKETCOPY></TICKETCOPY>"},
      {"read status", "10", "", "<READ_STATUS></READ_STATUS>"},
      {"change table", "12", "  1  2xyz", "<CHANGE_TABLE><FROM>1</FROM><TO>2</TO></CHANGE_TABLE>"},
      {"change table too short", "12", "  1  ", ""},
      {"open drawer", "13", "", "<OPEN_DRAWER></OPEN_DRAWER>"},
      {"table summary", "14", "x", "<TABLE_SUMMARY></TABLE_SUMMARY>"},
      {"fiscal closure without data", "50", "", "<FISCAL_CLOSURE></FISCAL_CLOSURE>"},
      {"fiscal closure by type 255", "50", "255", "<FISCAL_CLOSURE></FISCAL_CLOSURE>"},
      {"zero-set, print defaults to 0", "50", "1",
       "<ZEROSET_REQUEST><TYPE>1</TYPE><PRINT>0</PRINT></ZEROSET_REQUEST>"},
      {"zero-set with print", "50", "0111", "<ZEROSET_REQUEST><TYPE>011</TYPE><PRINT>1</PRINT></ZEROSET_REQUEST>"},
      {"zero-set with a letter", "50", "x", ""},
      {"report", "51", "  3", "<REPORT_REQUEST><TYPE>3</TYPE><PRINT>0</PRINT></REPORT_REQUEST>"},
      {"report with print", "51", "  31", "<REPORT_REQUEST><TYPE>3</TYPE><PRINT>1</PRINT></REPORT_REQUEST>"},
      {"report without data", "51", "", ""},
      {"header of 107: line 6 empty", "52", Columns({{2, "SHOP & CO <1>"}, {86, "LINE5"}}, 107),
       "<SET_HEADER><LINE1>SHOP & CO <1></LINE1><LINE2></LINE2><LINE3></LINE3><LINE4></LINE4>"
       "<LINE5>LINE5</LINE5><LINE6></LINE6></SET_HEADER>"},
      {"header too short", "52", std::string(106, ' '), ""},
      {"department, five children", "53", Columns({{0, "  5"}, {3, " Bar & <Grill>"}, {33, " 1"}, {35, "1.00"}, {45, "100"}}),
       "<SET_DEPARTMENT><DEPARTMENT>5</DEPARTMENT><DESCRIPTION> Bar & <Grill></DESCRIPTION><TAX>1</TAX>"
       "<LALO>1.00</LALO><HALO>100</HALO></SET_DEPARTMENT>"},
      {"department, six children", "53", Columns({{0, "5"}, {3, "Bar"}, {33, "1"}, {35, "1"}, {45, "9"}, {55, "2,5"}}),
       "<SET_DEPARTMENT><DEPARTMENT>5</DEPARTMENT><DESCRIPTION>Bar</DESCRIPTION><TAX>1</TAX><LALO>1</LALO>"
       "<HALO>9</HALO><PRICE>2,5</PRICE></SET_DEPARTMENT>"},
      {"department too short", "53", std::string(45, ' '), ""},
      {"PLU, five children", "54", Columns({{0, "8001"}, {13, "Water"}, {43, "0,90"}, {53, "2"}, {56, "1"}}, 57),
       "<SET_PLU><CODE>8001</CODE><DESCRIPTION>Water</DESCRIPTION><PRICE>0,90</PRICE><DEPARTMENT>2</DEPARTMENT>"
       "<TAX>1</TAX></SET_PLU>"},
      {"PLU, nine children", "54",
       Columns({{0, "8001"}, {13, "Water"}, {43, "0,90"}, {53, "2"}, {56, "1"}, {58, "5"}, {62, "3"}, {67, "1"}, {77, "2"}, {80, "ignored"}}),
       "<SET_PLU><CODE>8001</CODE><DESCRIPTION>Water</DESCRIPTION><PRICE>0,90</PRICE><DEPARTMENT>2</DEPARTMENT>"
       "<TAX>1</TAX><DISCOUNT>5</DISCOUNT><OFFER>3</OFFER><PRICE1>1</PRICE1><FMULT>2</FMULT></SET_PLU>"},
      {"protocol command", "55", " 0;*2;#S141;*3; ", "<PROTOCOL_CMD><CMD>0;*2;#S141;*3;</CMD></PROTOCOL_CMD>"},
      {"protocol command of 117", "55", std::string(117, 'x'), ""},
      {"protocol command of 116", "55", std::string(116, 'x'),
       "<PROTOCOL_CMD><CMD>" + std::string(116, 'x') + "</CMD></PROTOCOL_CMD>"},
      {"history request", "56", "0", "<HISTORY_REQUEST></HISTORY_REQUEST>"},
      {"history rollback", "56", "1", "<HISTORY_ROLLBACK></HISTORY_ROLLBACK>"},
      {"history mode 2", "56", "2", ""},
      {"offer", "57", Columns({{0, "OFF1"}, {12, "2x1"}, {42, "3"}, {52, "4"}, {55, "2"}, {60, "1"}}, 61),
       "<SET_OFF><CODE>OFF1</CODE><DESCRIPTION>2x1</DESCRIPTION><PRICE>3</PRICE><DEPARTMENT>4</DEPARTMENT>"
       "<NITEM>2</NITEM><FMULT>1</FMULT></SET_OFF>"},
      {"offer too short", "57", std::string(60, ' '), ""},
      {"credit note", "58", " CN-77 ", "<OPEN_TICKET><CREDIT_NOTE>CN-77</CREDIT_NOTE></OPEN_TICKET>"},
      {"credit note of 17", "58", std::string(17, '1'), ""},
  };
  for (const RecordCase& c : cases)
    EXPECT_EQ(TranslateRecord(c.code, c.data, c.ecrType, c.descriptionCheck), c.expected) << c.what;
}

TEST(TranslateRecord, NumberCheckRejectsTheWholeRecord) {
  const char* prices[][2] = {{"12.50", "12.50"}, {"12,50", "12,50"}, {"          ", ""}, {"1.2.3", nullptr},
                             {"1,2.3", nullptr}, {"-5", nullptr},    {"1 2", nullptr},  {"1e3", nullptr}};
  for (auto& [price, expected] : prices) {
    std::string data = Columns({{0, "P"}, {25, price}, {38, "Item"}, {80, "1"}});
    std::string element = TranslateRecord("1", data, 1, false);
    if (expected) {
      EXPECT_NE(element.find(std::string("<PRICE>") + expected + "</PRICE>"), std::string::npos) << price;
    } else {
      EXPECT_EQ(element, "") << price;
    }
  }
}

TEST(TranslateRecord, DescriptionIsCutBeforeItIsEscaped) {
  std::string description = "A&B" + std::string(39, 'x');  // 42 characters
  std::string type3 = TranslateRecord("1", Sale(description), 3, true);
  std::string type1 = TranslateRecord("1", Sale(description), 1, true);
  std::string unchecked = TranslateRecord("1", Sale(description), 3, false);
  EXPECT_NE(type3.find("<DESCRIPTION>A&amp;B" + std::string(15, 'x') + "</DESCRIPTION>"), std::string::npos);
  EXPECT_NE(type1.find("<DESCRIPTION>A&amp;B" + std::string(18, 'x') + "</DESCRIPTION>"), std::string::npos);
  EXPECT_NE(unchecked.find("<DESCRIPTION>A&amp;B" + std::string(39, 'x') + "</DESCRIPTION>"), std::string::npos);
  // Right trimming keeps leading blanks; the limit counts them.
  EXPECT_NE(TranslateRecord("1", Sale("  lead"), 1, true).find("<DESCRIPTION>  lead</DESCRIPTION>"), std::string::npos);
  // The long close form is escaped but not limited.
  std::string close = TranslateRecord("6", Columns({{0, "1"}, {10, std::string(30, 'p') + "<&>"}, {46, "1"}, {49, "2"}}), 3, true);
  EXPECT_NE(close.find("<PAYMENTDESCRIPTION>" + std::string(30, 'p') + "&lt;&amp;&gt;</PAYMENTDESCRIPTION>"), std::string::npos);
}

// A till writing UTF-8 pads its columns by characters: the fields hold what it meant, whatever the
// bytes of its letters, and no cut leaves half a character.
TEST(TranslateRecord, ColumnsAndCutsCountCharactersOfUtf8Text) {
  using platform::Utf8PadRight;
  const auto sale = [](const std::string& description, const std::string& quantity = "1") {
    return Utf8PadRight("PLU42", 25) + "     12,50  3" + Utf8PadRight(description, 42) + quantity;
  };
  const auto described = [](const std::string& description) {
    return "<SELLITEM><PLUCODE>PLU42</PLUCODE><PRICE>12,50</PRICE><DEPARTMENT>3</DEPARTMENT><DESCRIPTION>" +
           description + "</DESCRIPTION><QUANTITY>1</QUANTITY></SELLITEM>";
  };
  const std::string greek42 = "ΨΑΡΙ ΜΕ ΠΑΤΑΤΕΣ ΤΗΓΑΝΗΤΕΣ ΚΑΙ ΣΑΛΑΤΑ ΧΩΡΙΑ";  // 42 characters, 78 bytes
  const RecordCase cases[] = {
      {"Italian", "1", sale("CAFFÈ MACCHIATO & BRIOCHE"), described("CAFFÈ MACCHIATO &amp; BRIOCHE")},
      {"Greek, the whole column", "1", sale(greek42), described(greek42)},
      {"Greek cut to 21 characters", "1", sale(greek42), described("ΨΑΡΙ ΜΕ ΠΑΤΑΤΕΣ ΤΗΓΑΝ"), 2, true},
      {"Greek cut to 18 characters", "1", sale(greek42), described("ΨΑΡΙ ΜΕ ΠΑΤΑΤΕΣ ΤΗ"), 0, true},
      {"a 4-byte character at the cut is kept whole", "1", sale(std::string(17, 'x') + "𝄞yy"),
       described(std::string(17, 'x') + "𝄞"), 0, true},
      {"80 characters are too few, however many bytes", "1", sale(greek42).substr(0, sale(greek42).size() - 1), ""},
      {"a header line holds 21 characters", "52",
       "  " + Utf8PadRight("ΚΑΦΕΝΕΙΟ Η ΩΡΑΙΑ ΕΛΛΑ", 21) + Utf8PadRight("Via Roma 1", 21) + std::string(63, ' '),
       "<SET_HEADER><LINE1>ΚΑΦΕΝΕΙΟ Η ΩΡΑΙΑ ΕΛΛΑ</LINE1><LINE2>Via Roma 1</LINE2><LINE3></LINE3><LINE4></LINE4>"
       "<LINE5></LINE5><LINE6></LINE6></SET_HEADER>"},
      {"a department after a Greek description", "53",
       "  7" + Utf8PadRight("ΠΟΤΑ", 30) + " 2" + Utf8PadRight("0", 10) + "99",
       "<SET_DEPARTMENT><DEPARTMENT>7</DEPARTMENT><DESCRIPTION>ΠΟΤΑ</DESCRIPTION><TAX>2</TAX><LALO>0</LALO>"
       "<HALO>99</HALO></SET_DEPARTMENT>"},
  };
  for (const RecordCase& c : cases)
    EXPECT_EQ(TranslateRecord(c.code, c.data, c.ecrType, c.descriptionCheck), c.expected) << c.what;
}

TEST(TranslateRecord, LogsOnlyUnknownCodes) {
  testsupport::LogCapture log;
  for (const char* code : {"01", "7a", "60", "", " 1"}) EXPECT_EQ(TranslateRecord(code, "1", 1, false), "") << code;
  EXPECT_EQ(log.Count("Parsing: UNKNOWN COMMAND!"), 5);
  EXPECT_EQ(TranslateRecord("1", "short", 1, false), "");
  EXPECT_EQ(TranslateRecord("1", Sale("x"), 1, false).empty(), false);
  EXPECT_EQ(log.Count("Parsing: UNKNOWN COMMAND!"), 5);
  EXPECT_EQ(TranslateRecord("56", "0", 1, false), "<HISTORY_REQUEST></HISTORY_REQUEST>");
  EXPECT_TRUE(log.Contains("[HISTORY_REQUEST]"));
}

TEST(TranslateHelpers, NumberLimitAndEscape) {
  EXPECT_TRUE(IsNumericField(""));
  EXPECT_TRUE(IsNumericField("007"));
  EXPECT_TRUE(IsNumericField(",5"));
  EXPECT_FALSE(IsNumericField("1,5,"));
  EXPECT_FALSE(IsNumericField("+1"));
  EXPECT_EQ(LimitDescription(std::string(30, 'd'), 2, true).size(), 21u);
  EXPECT_EQ(LimitDescription(std::string(30, 'd'), 0, true).size(), 18u);
  EXPECT_EQ(LimitDescription("short", 0, true), "short");
  EXPECT_EQ(EscapeMarkup("a&b<c>d&amp;\"'"), "a&amp;b&lt;c&gt;d&amp;amp;\"'");
}

}  // namespace
