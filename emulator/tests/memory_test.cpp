// The register's memory: what it keeps across the end of its control, read back as it was written,
// and the printing of a command whose memory never followed cut off at the next start.

#include <gtest/gtest.h>

#include <fstream>

#include "emulator/register_memory.h"
#include "emulator/tests/emulator_fixture.h"

namespace emulator::testing {
namespace {

// A register with something in every part of its memory, texts that need escaping among them.
CRegister FullRegister() {
  CRegister ecr = MakeRegister(7, 0);
  ecr.m_Key = 'P';
  ecr.m_KeyLocked = true;
  ecr.m_PendingPluCode = "PLU\tWITH TAB";
  ecr.m_TicketOpen = true;
  ecr.m_TicketKind = "TABLE";
  ecr.m_OpenTable = "12";
  ecr.m_TicketLines = {{"BREAD\\ROLL", 150, 1, "", "1"}, {"REFUND", -75, 2, "8001", "1,5"}};
  ecr.m_TicketTotal = 75;
  ecr.m_ReceiptPrinted = {"SHOP", "TABLE", "BREAD\\ROLL\t1.50"};
  ecr.m_LastReceipt = {"RECEIPT", "TOTAL  3.00", ""};
  ecr.m_Header = {"SHOP", "MAIN\nSTREET", "", "", "", "THANK YOU!"};
  ecr.m_StagedHeader[2] = "NEW LINE";
  ecr.m_Departments[5] = {"FRUIT", 2, 240, 50, 2000};
  ecr.m_Departments.erase(12);
  ecr.m_Plus["8001"] = {"APPLES", 199, 5, 2, "10", "OFF1", "1,99", "2"};
  ecr.m_Offers["OFF1"] = {"TWO FOR ONE", 300, 5, "2", "1"};
  ecr.m_Tables["7"] = {-1250, "0003"};
  ecr.m_Daily = {4200, 3, 1, {{1, 3000}, {5, 1200}}, {{"8001", 199}}, {{1, 4200}}, {{"CASH", 4000}}, {{"0003", 200}}};
  ecr.m_GrandTotal = 987654321;
  ecr.m_ReceiptNumber = 41;
  ecr.m_FiscalClosures = 9;
  ecr.m_ZeroSets = 17;
  ecr.m_LastTotal = 300;
  ecr.m_ReportSequence = 5;
  return ecr;
}

TEST(RegisterMemory, ATextReadsBackAsTheRegisterItWasWrittenFrom) {
  const CRegister ecr = FullRegister();
  const std::string text = MemoryText(ecr, {1234, 56});
  const std::optional<CRememberedRegister> read = ParseMemoryText(text);
  ASSERT_TRUE(read) << text;
  EXPECT_EQ(MemoryText(read->m_Register, read->m_Marks), text);
  EXPECT_EQ(read->m_Marks.m_JournalBytes, 1234u);
  EXPECT_EQ(read->m_Marks.m_HistoryBytes, 56u);
  EXPECT_EQ(read->m_Register.m_TicketLines[0].m_Text, "BREAD\\ROLL");
  EXPECT_EQ(read->m_Register.m_ReceiptPrinted, ecr.m_ReceiptPrinted);
  EXPECT_EQ(read->m_Register.m_Header[1], "MAIN\nSTREET");
  EXPECT_EQ(read->m_Register.m_PendingPluCode, "PLU\tWITH TAB");
  EXPECT_EQ(read->m_Register.m_Departments.count(12), 0u) << "the departments are the remembered ones only";
  EXPECT_EQ(read->m_Register.m_Tables.at("7").m_Balance, -1250);
}

TEST(RegisterMemory, TextsThatAreNotAWholeMemoryAreRefused) {
  const std::string head = "memory\t1\t7\t0\n";
  const std::string end = "end\n";
  const struct {
    const char* m_Case;
    std::string m_Text;
  } cases[] = {
      {"empty", ""},
      {"cut short", head + "receiptnumber\t3\n"},
      {"no line end at the end", head + "end"},
      {"another format", "journal\t1\t7\t0\n" + end},
      {"another version", "memory\t2\t7\t0\n" + end},
      {"unknown item", head + "drawer\t1\n" + end},
      {"not a number", head + "receiptnumber\tforty\n" + end},
      {"not a switch", head + "ticketopen\t2\n" + end},
      {"a field missing", head + "department\t5\tFRUIT\t2\t240\t50\n" + end},
      {"a field too many", head + "table\t7\t100\t0003\tX\n" + end},
      {"no such header line", head + "header\t6\tSEVENTH\n" + end},
  };
  for (const auto& c : cases) EXPECT_FALSE(ParseMemoryText(c.m_Text)) << c.m_Case;
  EXPECT_TRUE(ParseMemoryText(head + "receiptnumber\t3\n" + end));
}

// The control closes with a receipt open; when it opens again (as after a driver that died), the
// receipt is still open with its lines, printed ones too, and the numbers and totals go on from where
// they were.
TEST(RegisterMemoryOnTheControl, AReceiptLeftOpenAndTheNumbersAndTotalsAreKept) {
  CEmulatorFixture emulator("[Registers]\n3=0\n");
  ASSERT_EQ(0, emulator.Write(3, OpenTicket()));
  ASSERT_EQ(0, emulator.Write(3, Sale("1,50", "1", "FIRST")));
  ASSERT_EQ(0, emulator.Write(3, CloseTicket()));
  std::string zeroSet = "<ZEROSET><PRINT>1</PRINT></ZEROSET>";
  ASSERT_EQ(0, emulator.Control().Request(3, 80, zeroSet));
  ASSERT_TRUE(emulator.Sink().WaitFor("DirectIO", 3));
  const std::size_t receiptStart = emulator.Journal(3).size();
  ASSERT_EQ(0, emulator.Write(3, OpenTicket()));
  ASSERT_EQ(0, emulator.Write(3, Sale("2,50", "1", "SECOND")));

  ASSERT_EQ(0, emulator.Control().Close());
  ASSERT_EQ(0, emulator.Control().Open(""));
  EXPECT_NE(std::string::npos, emulator.Status(3).find("<TICKETOPEN>1</TICKETOPEN>"));
  ASSERT_EQ(0, emulator.Write(3, Sale("1,00", "1", "THIRD")));
  ASSERT_EQ(0, emulator.Write(3, CloseTicket()));
  const std::string receipt = emulator.Journal(3).substr(receiptStart);
  ASSERT_EQ(0, emulator.Write(3, "<TICKETCOPY></TICKETCOPY>"));
  EXPECT_EQ("*** COPY ***\n" + receipt, emulator.Journal(3).substr(receiptStart + receipt.size()));
  std::string report = "<REPORT><PRINT>1</PRINT></REPORT>";
  ASSERT_EQ(0, emulator.Control().Request(3, 51, report));
  ASSERT_TRUE(emulator.Sink().WaitFor("DirectIO", 3, 2));
  const std::string journal = emulator.Journal(3);
  EXPECT_TRUE(HasLine(journal, "TOTAL", "3.50")) << journal;
  EXPECT_NE(std::string::npos, journal.find("RECEIPT NO. 2"));
  EXPECT_TRUE(HasLine(journal, "RECEIPTS", "2"));
  EXPECT_TRUE(HasLine(journal, "DAILY TOTAL", "5.00"));
  EXPECT_TRUE(HasLine(journal, "ZERO-SETS", "1"));

  std::string history;
  ASSERT_EQ(0, emulator.Control().Request(3, 13, history));
  const auto saved = emulator.Sink().WaitFor("HistorySaved", 3);
  ASSERT_TRUE(saved);
  const std::string kept = testsupport::ReadFile(saved->m_Text);
  EXPECT_NE(std::string::npos, kept.find("RECEIPT NO. 1")) << kept;
  EXPECT_NE(std::string::npos, kept.find("RECEIPT NO. 2")) << kept;
  EXPECT_NE(std::string::npos, kept.find(receipt)) << kept;
  EXPECT_EQ(kept.find("SECOND"), kept.rfind("SECOND")) << kept;
}

// Lines a command printed after the last memory was written belong to a command whose completion was
// never told: they go, as the command does. A memory of another register type is not taken.
TEST(RegisterMemoryOnTheControl, PrintingBeyondTheMemoryIsCutOffAndAnotherTypeStartsEmpty) {
  CEmulatorFixture emulator("[Registers]\n3=0\n");
  ASSERT_EQ(0, emulator.Write(3, OpenTicket()));
  ASSERT_EQ(0, emulator.Write(3, Sale("1,50", "1", "KEPT")));
  ASSERT_EQ(0, emulator.Write(3, CloseTicket()));
  ASSERT_EQ(0, emulator.Control().Close());
  std::ofstream(emulator.Control().JournalPath(3), std::ios::app) << "GHOST\n";
  std::ofstream(emulator.Base() + "/Memory/ECR3.history", std::ios::app) << "GHOST\n";
  ASSERT_EQ(0, emulator.Control().Open(""));
  EXPECT_EQ(std::string::npos, emulator.Journal(3).find("GHOST"));
  EXPECT_NE(std::string::npos, emulator.Journal(3).find("KEPT"));
  std::string history;
  ASSERT_EQ(0, emulator.Control().Request(3, 13, history));
  const auto saved = emulator.Sink().WaitFor("HistorySaved", 3);
  ASSERT_TRUE(saved);
  EXPECT_EQ(std::string::npos, testsupport::ReadFile(saved->m_Text).find("GHOST"));

  ASSERT_EQ(0, emulator.Control().Close());
  testsupport::WriteFile(emulator.Base() + "/QorEmulator.ini", "[Registers]\n3=3\n");
  ASSERT_EQ(0, emulator.Control().Open(""));
  ASSERT_EQ(0, emulator.Write(3, OpenTicket()));
  ASSERT_EQ(0, emulator.Write(3, CloseTicket()));
  const std::string journal = emulator.Journal(3);
  EXPECT_NE(journal.find("RECEIPT NO. 1"), journal.rfind("RECEIPT NO. 1")) << journal;
  EXPECT_EQ(std::string::npos, journal.find("RECEIPT NO. 2")) << journal;
}

// A writer killed between writing a memory's new text and cutting the file to its length leaves the old
// text's end after the new one: that file is no whole memory, and the other, one write older, is taken
// (with the printing of the command it did not cover cut off).
TEST(RegisterMemoryOnTheControl, AMemoryFileLeftHalfRewrittenGivesWayToTheOther) {
  CEmulatorFixture emulator("[Registers]\n3=0\n");
  ASSERT_EQ(0, emulator.Write(3, OpenTicket()));
  ASSERT_EQ(0, emulator.Write(3, Sale("1,50", "1", "KEPT")));
  ASSERT_EQ(0, emulator.Write(3, CloseTicket()));
  ASSERT_EQ(0, emulator.Control().Close());
  std::string newest;
  std::uint64_t highest = 0;
  for (const char* slot : {"/Memory/ECR3-1.txt", "/Memory/ECR3-2.txt"}) {
    const std::string path = emulator.Base() + slot;
    const std::optional<CRememberedRegister> memory = ParseMemoryText(testsupport::ReadFile(path));
    ASSERT_TRUE(memory) << path;
    if (memory->m_Marks.m_Sequence > highest) highest = memory->m_Marks.m_Sequence, newest = path;
  }
  std::ofstream(newest, std::ios::app) << "plu\tLEFT OVER FROM THE OLD TEXT\n";
  ASSERT_EQ(0, emulator.Control().Open(""));
  EXPECT_NE(std::string::npos, emulator.Status(3).find("<TICKETOPEN>1</TICKETOPEN>"));
  EXPECT_EQ(std::string::npos, emulator.Journal(3).find("RECEIPT NO. 1"));
  ASSERT_EQ(0, emulator.Write(3, CloseTicket()));
  const std::string journal = emulator.Journal(3);
  EXPECT_NE(std::string::npos, journal.find("KEPT")) << journal;
  EXPECT_EQ(journal.find("RECEIPT NO. 1"), journal.rfind("RECEIPT NO. 1")) << journal;
}

}  // namespace
}  // namespace emulator::testing
