// Receipts on every register type, and the state checks that refuse elements.

#include <gtest/gtest.h>

#include "emulator/result_codes.h"
#include "emulator/tests/emulator_fixture.h"
#include "platform/text_encoding.h"

namespace emulator::testing {
namespace {

// Puts a register into the state in which a ticket opens without a mode switch.
void EnterSales(CEmulatorFixture& emulator, int ecr, int type) {
  EXPECT_EQ("OK", emulator.Send(ecr, type == 1 || type == 2 ? "0;+1;" : "*Si"));
  EXPECT_NE(std::string::npos, emulator.Status(ecr).find("<OPERATING>2</OPERATING>"));
}

class WholeReceipt : public ::testing::TestWithParam<int> {};

TEST_P(WholeReceipt, PrintsAndTotalsOnEveryRegisterType) {
  const int type = GetParam();
  CEmulatorFixture emulator("[Registers]\n7=" + std::to_string(type) + "\n");
  EnterSales(emulator, 7, type);
  EXPECT_EQ(0, emulator.Write(7, OpenTicket()));
  EXPECT_NE(std::string::npos, emulator.Status(7).find("<TICKETOPEN>1</TICKETOPEN>"));
  EXPECT_EQ(0, emulator.Write(7, Sale("1,50", "1", "BREAD", "2")));
  EXPECT_EQ(0, emulator.Write(7, Sale("3.25", "2", "MILK &amp; HONEY")));
  EXPECT_EQ(0, emulator.Write(7, CloseTicket("10,00")));
  EXPECT_NE(std::string::npos, emulator.Status(7).find("<TICKETOPEN>0</TICKETOPEN>"));

  const std::string journal = emulator.Journal(7);
  EXPECT_NE(std::string::npos, journal.find("BREAD")) << journal;
  EXPECT_NE(std::string::npos, journal.find("MILK & HONEY"));
  EXPECT_NE(std::string::npos, journal.find("6.25"));  // total
  EXPECT_NE(std::string::npos, journal.find("3.75"));  // change from 10,00
  EXPECT_NE(std::string::npos, journal.find("RECEIPT NO. 1"));
  std::string printedReport = "<REPORT><PRINT>1</PRINT></REPORT>";
  EXPECT_EQ(0, emulator.Control().Request(7, 51, printedReport));
  ASSERT_TRUE(emulator.Sink().WaitFor("DirectIO", 7, 2));
  EXPECT_TRUE(HasLine(emulator.Journal(7), "DAILY TOTAL", " 6.25"));
}

INSTANTIATE_TEST_SUITE_P(RegisterTypes, WholeReceipt, ::testing::Values(0, 1, 2, 3));

struct CRefusal {
  const char* m_Case;
  std::vector<std::string> m_Before;  // elements that must succeed first
  std::string m_Element;
  int m_Result;
};

class RefusedElement : public ::testing::TestWithParam<CRefusal> {};

TEST_P(RefusedElement, CompletesWithItsResultAndChangesNothing) {
  CEmulatorFixture emulator;  // register 2 is of type 2
  EnterSales(emulator, 2, 2);
  for (const std::string& element : GetParam().m_Before) ASSERT_EQ(0, emulator.Write(2, element)) << element;
  const std::string statusBefore = emulator.Status(2);
  EXPECT_EQ(GetParam().m_Result, emulator.Write(2, GetParam().m_Element));
  EXPECT_EQ(statusBefore, emulator.Status(2));
  EXPECT_NE(std::string::npos, emulator.Journal(2).find("REFUSED"));
}

const std::string kOpenTable = "<OPEN_TABLE><WAITER>12</WAITER><TABLE>5</TABLE></OPEN_TABLE>";

INSTANTIATE_TEST_SUITE_P(
    StateChecks, RefusedElement,
    ::testing::Values(
        CRefusal{"SaleWithoutReceipt", {}, Sale("1,00", "1", "X"), kResultNoTicketOpen},
        CRefusal{"CloseWithoutReceipt", {}, CloseTicket(), kResultNoTicketOpen},
        CRefusal{"SecondOpen", {OpenTicket()}, OpenTicket(), kResultTicketAlreadyOpen},
        CRefusal{"DepartmentNotProgrammed", {OpenTicket()}, Sale("1,00", "55", "X"), kResultNotProgrammed},
        CRefusal{"UnknownPluWithoutPrice", {OpenTicket()}, Sale("", "", "", "", "999"), kResultNotProgrammed},
        CRefusal{"BadPrice", {OpenTicket()}, Sale("1,2,3", "1", "X"), kResultBadValue},
        CRefusal{"ZeroQuantity", {OpenTicket()}, Sale("1,00", "1", "X", "0"), kResultBadValue},
        CRefusal{"PaymentShort", {OpenTicket(), Sale("5,00", "1", "X")}, CloseTicket("4,99"), kResultPaymentShort},
        CRefusal{"VoidBelowZero", {OpenTicket()}, "<PASTVOID><PLUCODE></PLUCODE><PRICE>1</PRICE><DEPARTMENT>1</DEPARTMENT>"
                 "<DESCRIPTION>X</DESCRIPTION><QUANTITY></QUANTITY></PASTVOID>", kResultBadValue},
        CRefusal{"CopyWithoutReceipt", {}, "<TICKETCOPY></TICKETCOPY>", kResultNothingToCopy},
        CRefusal{"UnknownTable", {}, "<CHANGE_TABLE><FROM>9</FROM><TO>3</TO></CHANGE_TABLE>", kResultUnknownTable},
        CRefusal{"TableWhileReceiptOpen", {OpenTicket()}, kOpenTable, kResultTicketAlreadyOpen},
        CRefusal{"UnknownElement", {}, "<READ_STATUS></READ_STATUS>", kResultUnknownElement}),
    [](const ::testing::TestParamInfo<CRefusal>& info) { return std::string(info.param.m_Case); });

// A till's text on paper: the markup of the children the document's writer escapes read once, other
// children as they stand, and the columns cut and padded on characters so the journal stays UTF-8.
struct CTillText {
  const char* m_Case;
  std::vector<std::string> m_Elements;  // after OPEN_TICKET, to the receipt's end
  std::string m_Line;                   // a whole line the journal must hold
  friend void PrintTo(const CTillText& text, std::ostream* out) { *out << text.m_Case; }
};

class TillText : public ::testing::TestWithParam<CTillText> {};

TEST_P(TillText, PrintsAsWrittenCutAndAlignedOnCharacters) {
  CEmulatorFixture emulator;  // register 3 is of type 0
  for (const char* command : {"*Sl", "*S01Q3B$FRUIT &amp; VEG$QK", "*Si"}) ASSERT_EQ("OK", emulator.Send(3, command));
  ASSERT_EQ(0, emulator.Write(3, OpenTicket()));
  for (const std::string& element : GetParam().m_Elements) ASSERT_EQ(0, emulator.Write(3, element)) << element;
  const std::string journal = emulator.Journal(3);
  EXPECT_NE(std::string::npos, ("\n" + journal).find("\n" + GetParam().m_Line + "\n")) << journal;
  EXPECT_FALSE(platform::FirstInvalidUtf8(journal).has_value()) << journal;
}

INSTANTIATE_TEST_SUITE_P(
    Receipts, TillText,
    ::testing::Values(
        CTillText{"MarkupAsTheTillWroteIt", {Sale("1,50", "1", "FISH &amp; CHIPS &lt;2&gt;"), CloseTicket()},
                  "FISH & CHIPS <2>                    1.50"},
        CTillText{"EscapesUndoneOnce", {Sale("1,50", "1", "&amp;lt;B&amp;gt; &amp;amp;"), CloseTicket()},
                  "&lt;B&gt; &amp;                     1.50"},
        CTillText{"ItalianCut", {Sale("2,00", "1", "CAFFÈ MACCHIATO ÀÉÌÒÙ CON PANNA"), CloseTicket()},
                  "CAFFÈ MACCHIATO ÀÉÌÒÙ CON PA        2.00"},
        CTillText{"GreekCut", {Sale("12,50", "1", "ΨΑΡΙ ΜΕ ΠΑΤΑΤΕΣ ΤΗΓΑΝΗΤΕΣ ΚΑΙ ΣΑΛΑΤΑ"), CloseTicket()},
                  "ΨΑΡΙ ΜΕ ΠΑΤΑΤΕΣ ΤΗΓΑΝΗΤΕΣ ΚΑ       12.50"},
        CTillText{"FourByteCharacterAtTheCut", {Sale("1,50", "1", std::string(27, 'A') + "𝄞𝄞"), CloseTicket()},
                  std::string(27, 'A') + "𝄞        1.50"},
        CTillText{"GreekDiscountPadded",
                  {Sale("1,50", "1", "X"),
                   "<DISCOUNT><DESCRIPTION>ΕΚΠΤΩΣΗ &lt;10%&gt;</DESCRIPTION><SBT>1</SBT><TYPE>0</TYPE>"
                   "<AMOUNT>0,10</AMOUNT></DISCOUNT>",
                   CloseTicket()},
                  "ΕΚΠΤΩΣΗ <10%>                      -0.10"},
        CTillText{"PrintLineMessage",
                  {"<PRINTLINE><MESSAGE>&lt;&lt; ΚΑΛΗ ΟΡΕΞΗ &gt;&gt;</MESSAGE></PRINTLINE>", CloseTicket()},
                  "<< ΚΑΛΗ ΟΡΕΞΗ >>"},
        CTillText{"PaymentDescription",
                  {Sale("1,50", "1", "X"),
                   "<CLOSE_TICKET><AMOUNT></AMOUNT><PAYMENTDESCRIPTION>CARTA &amp; BANCOMAT</PAYMENTDESCRIPTION>"
                   "<PAYMENTTYPE>2</PAYMENTTYPE></CLOSE_TICKET>"},
                  "CARTA & BANCOMAT                    1.50"},
        CTillText{"DepartmentDescriptionAsItStands", {Sale("1,00", "3", ""), CloseTicket()},
                  "FRUIT &amp; VEG                     1.00"}),
    [](const ::testing::TestParamInfo<CTillText>& info) { return std::string(info.param.m_Case); });

TEST(TicketState, OpeningNeedsTheSalesStateOnBothFamilies) {
  CEmulatorFixture emulator;  // 2 is type 2 (idle at start), 3 is type 0 (key R at start)
  EXPECT_EQ(kResultNotInSalesState, emulator.Write(2, OpenTicket()));
  EXPECT_EQ("OK", emulator.Send(3, "*Sl"));
  EXPECT_EQ(kResultNotInSalesState, emulator.Write(3, OpenTicket()));
  EXPECT_EQ("OK", emulator.Send(3, "*Si"));
  EXPECT_EQ(0, emulator.Write(3, OpenTicket()));
  // The key stays put while a receipt is open.
  EXPECT_EQ("ERR receipt open: *Sl", emulator.Send(3, "*Sl"));
}

TEST(TicketState, TableOrdersCarryTheirBalanceUntilPaid) {
  CEmulatorFixture emulator;
  EnterSales(emulator, 1, 1);
  EXPECT_EQ(0, emulator.Write(1, kOpenTable));
  EXPECT_EQ(0, emulator.Write(1, Sale("4,00", "1", "PASTA")));
  // The driver closes a table with WAITER and TABLE "0".
  EXPECT_EQ(0, emulator.Write(1, "<OPEN_TABLE><WAITER>0</WAITER><TABLE>0</TABLE></OPEN_TABLE>"));
  EXPECT_NE(std::string::npos, emulator.Status(1).find("<TICKETOPEN>0</TICKETOPEN>"));
  EXPECT_EQ(0, emulator.Write(1, "<CHANGE_TABLE><FROM>5</FROM><TO>8</TO></CHANGE_TABLE>"));
  EXPECT_EQ(0, emulator.Write(1, "<OPEN_TABLE><WAITER>12</WAITER><TABLE>8</TABLE></OPEN_TABLE>"));
  EXPECT_EQ(0, emulator.Write(1, Sale("1,00", "2", "WATER")));
  EXPECT_EQ(kResultPaymentShort, emulator.Write(1, CloseTicket("1,00")));
  EXPECT_EQ(0, emulator.Write(1, CloseTicket("5,00")));
  EXPECT_NE(std::string::npos, emulator.Journal(1).find("TABLE 5 MOVED TO 8"));
}

TEST(TicketState, DiscountsVoidsAndCopies) {
  CEmulatorFixture emulator;
  EnterSales(emulator, 1, 1);
  EXPECT_EQ(0, emulator.Write(1, OpenTicket()));
  EXPECT_EQ(0, emulator.Write(1, Sale("10", "1", "SHIRT")));
  EXPECT_EQ(0, emulator.Write(1, "<DISCOUNT><DESCRIPTION>SALE</DESCRIPTION><SBT>1</SBT><TYPE>1</TYPE>"
                                 "<AMOUNT>10</AMOUNT></DISCOUNT>"));
  EXPECT_EQ(0, emulator.Write(1, "<TICKETVOID></TICKETVOID>"));
  EXPECT_EQ(0, emulator.Write(1, OpenTicket()));
  EXPECT_EQ(0, emulator.Write(1, Sale("10", "1", "SHIRT")));
  EXPECT_EQ(0, emulator.Write(1, "<DISCOUNT><DESCRIPTION>SALE</DESCRIPTION><SBT>1</SBT><TYPE>1</TYPE>"
                                 "<AMOUNT>10</AMOUNT></DISCOUNT>"));
  EXPECT_EQ(kResultPaymentShort, emulator.Write(1, CloseTicket("8,99")));
  EXPECT_EQ(0, emulator.Write(1, CloseTicket("9,00")));
  EXPECT_EQ(0, emulator.Write(1, "<TICKETCOPY></TICKETCOPY>"));
  const std::string journal = emulator.Journal(1);
  EXPECT_NE(std::string::npos, journal.find("RECEIPT VOIDED"));
  EXPECT_NE(std::string::npos, journal.find("*** COPY ***"));
  EXPECT_NE(std::string::npos, journal.find("-1.00"));
}

// A copy reprints the last paid or voided receipt as it was printed, header to end; a table parked
// with WAITER "0" is no receipt to copy. The history holds every line of every receipt, parked ones too.
TEST(TicketState, ACopyReprintsTheWholeLastReceiptAndTheHistoryEveryReceipt) {
  CEmulatorFixture emulator;
  EnterSales(emulator, 1, 1);
  std::string receipts;
  // Writes the elements and gives what they printed.
  const auto print = [&emulator](const std::vector<std::string>& elements) {
    const bool printedBefore = testsupport::FileExists(emulator.Control().JournalPath(1));
    const std::size_t before = printedBefore ? emulator.Journal(1).size() : 0;
    for (const std::string& element : elements) EXPECT_EQ(0, emulator.Write(1, element)) << element;
    return emulator.Journal(1).substr(before);
  };
  const std::string copy = "<TICKETCOPY></TICKETCOPY>";
  receipts += print({OpenTicket(), Sale("3,00", "1", "SOUP"), CloseTicket()});
  const std::string paid = print({OpenTicket(), Sale("1,00", "1", "BREAD"), Sale("9,00", "2", "WINE"),
                                  "<PRINTLINE><MESSAGE>ENJOY</MESSAGE></PRINTLINE>", CloseTicket("20,00")});
  receipts += paid;
  EXPECT_EQ("*** COPY ***\n" + paid, print({copy}));
  receipts += print({kOpenTable, Sale("4,00", "1", "PASTA"), "<OPEN_TABLE><WAITER>0</WAITER><TABLE>0</TABLE></OPEN_TABLE>"});
  EXPECT_EQ("*** COPY ***\n" + paid, print({copy}));
  const std::string voided = print({OpenTicket(), Sale("5,00", "1", "FISH"), "<TICKETVOID></TICKETVOID>"});
  receipts += voided;
  EXPECT_EQ("*** COPY ***\n" + voided, print({copy}));

  std::string text;
  ASSERT_EQ(0, emulator.Control().Request(1, 13, text));
  const auto saved = emulator.Sink().WaitFor("HistorySaved", 1);
  ASSERT_TRUE(saved);
  EXPECT_EQ("ECR 1 HISTORY\n" + receipts + "END OF HISTORY\n", testsupport::ReadFile(saved->m_Text));
}

}  // namespace
}  // namespace emulator::testing
