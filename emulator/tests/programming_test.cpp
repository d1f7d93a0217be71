// Department, PLU and header programming on both command families, seen through later receipts,
// the journal and the status.

#include <gtest/gtest.h>

#include "emulator/result_codes.h"
#include "emulator/status_text.h"
#include "emulator/tests/emulator_fixture.h"

namespace emulator::testing {
namespace {

const char kStarRegisters[] = "[Registers]\n3=0\n4=3\n";

void SellOnce(CEmulatorFixture& emulator, int ecr, const std::string& sale) {
  ASSERT_EQ(0, emulator.Write(ecr, OpenTicket()));
  ASSERT_EQ(0, emulator.Write(ecr, sale));
  ASSERT_EQ(0, emulator.Write(ecr, CloseTicket()));
}

class StarProgramming : public ::testing::TestWithParam<int> {};

TEST_P(StarProgramming, DepartmentCommandsNeedKeyPAndShapeLaterSales) {
  const int ecr = GetParam();
  CEmulatorFixture emulator(kStarRegisters);
  EXPECT_EQ("ERR key not at P: *S01Q3B$FRUIT$QK", emulator.Send(ecr, "*S01Q3B$FRUIT$QK"));
  EXPECT_EQ("OK", emulator.Send(ecr, "*LI"));
  EXPECT_EQ("OK", emulator.Send(ecr, "*Sl"));
  for (const char* command : {"*S01Q3B$FRUIT$QK", "*S04Q3B2QK", "*S02Q3B2,40QK", "*S05Q3B0,50QK", "*S06Q3B20,00QK"})
    EXPECT_EQ("OK", emulator.Send(ecr, command)) << command;
  EXPECT_EQ('C', HelloTextOf(emulator.Status(ecr))[1]);
  // An empty limit is no limit.
  EXPECT_EQ("OK", emulator.Send(ecr, "*S05Q4BQK"));
  EXPECT_EQ("OK", emulator.Send(ecr, "*S06Q4BQK"));
  EXPECT_EQ("ERR department amount: *S06Q4B1,2,3QK", emulator.Send(ecr, "*S06Q4B1,2,3QK"));
  EXPECT_EQ("ERR department number: *S01Q13B$TOO FAR$QK", emulator.Send(ecr, "*S01Q13B$TOO FAR$QK"));
  EXPECT_EQ("OK", emulator.Send(ecr, "*U"));
  EXPECT_EQ("OK", emulator.Send(ecr, "*Si"));
  // The description comes from the department; its HALO refuses a larger sale.
  SellOnce(emulator, ecr, Sale("2,40", "3", ""));
  EXPECT_TRUE(HasLine(emulator.Journal(ecr), "FRUIT", "2.40"));
  ASSERT_EQ(0, emulator.Write(ecr, OpenTicket()));
  EXPECT_EQ(kResultOutsideLimits, emulator.Write(ecr, Sale("20,01", "3", "")));
  EXPECT_EQ(kResultOutsideLimits, emulator.Write(ecr, Sale("0,49", "3", "")));
}

TEST_P(StarProgramming, PluRecordsNeedTheirSessionAndSellByCode) {
  const int ecr = GetParam();
  CEmulatorFixture emulator(kStarRegisters);
  EXPECT_EQ("OK", emulator.Send(ecr, "*Sl"));
  EXPECT_EQ("ERR no PLU programming: *WH0          4711      12500000", emulator.Send(ecr, "*WH0          4711      12500000"));
  EXPECT_EQ("OK", emulator.Send(ecr, "*S11Q"));
  EXPECT_EQ("OK", emulator.Send(ecr, "*WH0          4711      12500000"));
  EXPECT_EQ("OK", emulator.Send(ecr, "*WH1      COFFEE BEANSB1"));
  EXPECT_EQ("OK", emulator.Send(ecr, "*SK"));
  EXPECT_EQ("OK", emulator.Send(ecr, "*Si"));
  SellOnce(emulator, ecr, Sale("", "0", "", "2", "4711"));
  const std::string journal = emulator.Journal(ecr);
  EXPECT_NE(std::string::npos, journal.find("PROGRAM PLU 4711 COFFEE BEANS 12.50 DEPARTMENT 2")) << journal;
  EXPECT_TRUE(HasLine(journal, "COFFEE BEANS", "25.00"));
}

// The header takes effect only when confirmed with the register's hello code, which "*I" reveals.
TEST_P(StarProgramming, HeaderIsConfirmedWithTheHelloCode) {
  const int ecr = GetParam();
  CEmulatorFixture emulator(kStarRegisters);
  EXPECT_EQ(std::string::npos, emulator.Status(ecr).find("QC"));
  EXPECT_EQ("OK", emulator.Send(ecr, "*I"));
  const std::string hello = HelloTextOf(emulator.Status(ecr));
  ASSERT_EQ(43u, hello.size());
  const std::string code = hello.substr(30, 8);
  EXPECT_EQ("OK", emulator.Send(ecr, "*Sl"));
  EXPECT_EQ("OK", emulator.Send(ecr, "*S30Q"));
  EXPECT_EQ("OK", emulator.Send(ecr, "*SZ"));
  EXPECT_EQ('-', HelloTextOf(emulator.Status(ecr))[1]);
  EXPECT_EQ("OK", emulator.Send(ecr, "*S30Q$THE SHOP$K"));
  EXPECT_EQ("OK", emulator.Send(ecr, "*S31Q$MAIN STREET 1$K"));
  EXPECT_EQ("OK", emulator.Send(ecr, "*S92Q"));
  EXPECT_EQ("ERR wrong hello code: *S0000K", emulator.Send(ecr, code.substr(4, 4) == "0000" ? "*S1111K" : "*S0000K"));
  EXPECT_EQ("OK", emulator.Send(ecr, "*S" + code.substr(4, 4) + "K"));
  EXPECT_EQ("OK", emulator.Send(ecr, "*Si"));
  SellOnce(emulator, ecr, Sale("1", "1", "GUM"));
  const std::string journal = emulator.Journal(ecr);
  EXPECT_NE(std::string::npos, journal.find("THE SHOP\nMAIN STREET 1\nRECEIPT\n")) << journal;
}

INSTANTIATE_TEST_SUITE_P(StarTypes, StarProgramming, ::testing::Values(3, 4));

class ZeroProgramming : public ::testing::TestWithParam<int> {};

// Uploads fetch queued lines one data question at a time until the reply "*". An upload with a line
// the register rejects keeps the lines it took and is refused as a whole, with the register's code.
TEST_P(ZeroProgramming, UploadsFetchLinesOneQuestionAtATime) {
  const int ecr = GetParam();
  CEmulatorFixture emulator;
  emulator.Sink().Script("B80", {"5:SWEETS::1000:50:250:2:::::::", "6:BOOKS:OLD::0:0::0:::::::", "bad", "*"});
  emulator.Sink().Script("B81", {"8001:199:5:LOLLY:::::1:::", "*"});
  emulator.Sink().Script("B84", {"OF1:500:5:THREE FOR TWO::3:::2::", "*"});
  EXPECT_EQ("ERR not in programming mode: 0;*F;", emulator.Send(ecr, "0;*F;"));
  EXPECT_EQ("ERR 1 upload lines rejected: 0;*2;+4;*F;*3;", emulator.Send(ecr, "0;*2;+4;*F;*3;"));
  EXPECT_EQ(kResultBadValue, emulator.Sink().WaitFor("DirectIO", ecr, 2)->m_Result);
  EXPECT_EQ(4, emulator.Sink().Count("Data", ecr));
  EXPECT_EQ("OK", emulator.Send(ecr, "0;*2;+4;*G;*3;"));
  EXPECT_EQ("OK", emulator.Send(ecr, "0;*2;+4;*L;*3;"));
  EXPECT_EQ("OK", emulator.Send(ecr, "0;*3;+1;"));
  const std::string journal = emulator.Journal(ecr);
  EXPECT_NE(std::string::npos, journal.find("UPLOAD B80 LINES 2 REJECTED 1")) << journal;
  EXPECT_NE(std::string::npos, journal.find("UPLOAD B80 REJECTED LINE bad"));
  EXPECT_NE(std::string::npos, journal.find("UPLOAD B84 LINES 1 REJECTED 0"));
  // A description holding ":" stays whole; the PLU sells at its price in the uploaded department.
  SellOnce(emulator, ecr, Sale("", "", "", "3", "8001"));
  EXPECT_TRUE(HasLine(emulator.Journal(ecr), "LOLLY", "5.97"));
  ASSERT_EQ(0, emulator.Write(ecr, OpenTicket()));
  EXPECT_EQ(kResultOutsideLimits, emulator.Write(ecr, Sale("10,01", "5", "")));
  EXPECT_EQ(0, emulator.Write(ecr, Sale("1", "6", "")));
  EXPECT_NE(std::string::npos, emulator.Journal(ecr).find("BOOKS:OLD"));
}

TEST_P(ZeroProgramming, HeaderArrivesInTwoAnswersAndIsAcceptedWithHashA) {
  const int ecr = GetParam();
  CEmulatorFixture emulator;
  emulator.Sink().Script("B85", {"A:THE SHOP:MAIN STREET 1:", "B:::THANK YOU", "*"});
  EXPECT_EQ("OK", emulator.Send(ecr, "0;*2;+4;*T;*3;"));
  EXPECT_EQ(3, emulator.Sink().Count("Data", ecr));
  EXPECT_EQ("OK", emulator.Send(ecr, "0;*2;#a;*3;+1;"));
  EXPECT_EQ("ERR no header fetched: 0;*2;#a;*3;+1;", emulator.Send(ecr, "0;*2;#a;*3;+1;"));
  SellOnce(emulator, ecr, Sale("1", "1", "GUM"));
  EXPECT_NE(std::string::npos, emulator.Journal(ecr).find("THE SHOP\nMAIN STREET 1\nTHANK YOU\nRECEIPT\n"));
}

TEST_P(ZeroProgramming, AnUnansweredQuestionEndsTheUploadAndTheAlertCommandDropsTheHeader) {
  const int ecr = GetParam();
  CEmulatorFixture emulator;
  emulator.Sink().Script("B85", {"A:NEW:HEADER:"});
  EXPECT_EQ("ERR upload B85 interrupted: 0;*2;+4;*T;*3;", emulator.Send(ecr, "0;*2;+4;*T;*3;"));
  EXPECT_EQ(2, emulator.Sink().Count("Data", ecr));
  EXPECT_NE(std::string::npos, emulator.Journal(ecr).find("UPLOAD B85 INTERRUPTED"));
  EXPECT_EQ("OK", emulator.Send(ecr, "0;*4;*3;+1;"));
  EXPECT_EQ("ERR no header fetched: 0;*2;#a;*3;+1;", emulator.Send(ecr, "0;*2;#a;*3;+1;"));
  // The refusal shows in the status code of the hello text until "*4" clears it.
  EXPECT_EQ("008", HelloTextOf(emulator.Status(ecr)).substr(8, 3));
  EXPECT_EQ("OK", emulator.Send(ecr, "0;*4;"));
  EXPECT_EQ("000", HelloTextOf(emulator.Status(ecr)).substr(8, 3));
}

INSTANTIATE_TEST_SUITE_P(ZeroTypes, ZeroProgramming, ::testing::Values(1, 2));

}  // namespace
}  // namespace emulator::testing
