// Programming, reports, zero-sets and history through command documents, on both command families.

#include <gtest/gtest.h>

#include <algorithm>

#include "driver/ecr/command_strings.h"
#include "driver/ecr/tests/job_rig.h"

namespace driver::ecrtest {
namespace {

std::string Department(int number, const char* description, const char* price) {
  return FormatText(
      "<SET_DEPARTMENT><DEPARTMENT>%d</DEPARTMENT><DESCRIPTION>%s</DESCRIPTION><TAX>1</TAX><LALO>0.10</LALO>"
      "<HALO>99.00</HALO><PRICE>%s</PRICE></SET_DEPARTMENT>",
      number, description, price);
}

std::string Plu(const char* code, const char* price, int department) {
  return FormatText(
      "<SET_PLU><CODE>%s</CODE><DESCRIPTION>ITEM %s</DESCRIPTION><PRICE>%s</PRICE><DEPARTMENT>%d</DEPARTMENT>"
      "<TAX>1</TAX></SET_PLU>",
      code, code, price, department);
}

const std::string kOffer =
    "<SET_OFF><CODE>900</CODE><DESCRIPTION>3X2</DESCRIPTION><PRICE>5,00</PRICE><DEPARTMENT>1</DEPARTMENT>"
    "<NITEM>3</NITEM><FMULT></FMULT></SET_OFF>";
const std::string kStatus = "<READ_STATUS></READ_STATUS>";
const std::string kHeader =
    "<SET_HEADER><LINE1>SHOP</LINE1><LINE2>MAIN ST</LINE2><LINE3>TOWN</LINE3><LINE4>VAT 1</LINE4>"
    "<LINE5></LINE5><LINE6>THANKS</LINE6></SET_HEADER>";

// A receipt that sells PLU 77 by its code alone: it only goes through when the register knows the PLU.
std::vector<std::string> ReceiptByPlu() {
  return {"<OPEN_TICKET><INVOICE>0</INVOICE></OPEN_TICKET>",
          "<SELLITEM><PLUCODE>77</PLUCODE><PRICE></PRICE><DEPARTMENT></DEPARTMENT><DESCRIPTION></DESCRIPTION>"
          "<QUANTITY></QUANTITY></SELLITEM>",
          "<CLOSE_TICKET><AMOUNT>50,00</AMOUNT><PAYMENTDESCRIPTION>CASH</PAYMENTDESCRIPTION>"
          "<PAYMENTTYPE>1</PAYMENTTYPE></CLOSE_TICKET>"};
}

class TillProgramming : public ::testing::Test {
 protected:
  TillProgramming() : m_Rig(m_Base.Path()), m_Host(m_Rig) {}

  CTicketFiles Run(int ecr, const std::vector<std::string>& document) {
    CTicketFiles files(m_Rig.Ecr(ecr).TicketFolder(), "job" + std::to_string(m_Count++));
    files.WriteDocument(document);
    CQorThread job(m_Host, files.Order(m_Rig.Ecr(ecr)));
    job.RunJob();
    return files;
  }
  std::vector<std::string> Log() { return m_Rig.Emulator().CallLog(); }
  static std::size_t First(const std::vector<std::string>& log, const std::string& entry) {
    return static_cast<std::size_t>(std::find(log.begin(), log.end(), entry) - log.begin());
  }
  static std::size_t Last(const std::vector<std::string>& log, const std::string& entry) {
    auto found = std::find(log.rbegin(), log.rend(), entry);
    return found == log.rend() ? log.size() : static_cast<std::size_t>(log.rend() - found - 1);
  }
  static std::vector<std::string> IoDirects(const std::vector<std::string>& log, int ecr) {
    std::vector<std::string> kept;
    std::string prefix = "IODirect " + std::to_string(ecr) + " ";
    for (const std::string& entry : log) {
      if (entry.rfind(prefix, 0) == 0) kept.push_back(entry.substr(prefix.size()));
    }
    return kept;
  }

  testsupport::TempFolder m_Base;
  CControlRig m_Rig;
  CTestJobHost m_Host;
  int m_Count = 0;
};

TEST_F(TillProgramming, ZeroFamilyBatchesStayOpenAndEachUploadIsFetchedBeforeTheNextElementRuns) {
  m_Rig.Emulator().ClearCallLog();
  CTicketFiles files =
      Run(2, {Department(1, "FRUIT", "2,50"), Department(2, "VEG", ""), Plu("77", "1,20", 1), Plu("78", "2", 2),
              kOffer, kStatus});
  std::vector<std::string> log = Log();
  EXPECT_EQ(std::count(log.begin(), log.end(), "IODirect 2 0;*2;+4;*F;*3;"), 1) << "one department batch";
  EXPECT_EQ(std::count(log.begin(), log.end(), "IODirect 2 0;*2;+4;*G;*3;"), 1) << "one PLU batch";
  EXPECT_EQ(std::count(log.begin(), log.end(), "IODirect 2 0;*2;+4;*L;*3;"), 1) << "one offer batch";
  EXPECT_EQ(std::count(log.begin(), log.end(), "event DataEvent 2 B80"), 3) << "two departments and the end";
  EXPECT_EQ(std::count(log.begin(), log.end(), "event DataEvent 2 B81"), 3);
  EXPECT_LT(Last(log, "event DataEvent 2 B80"), First(log, "IODirect 2 0;*2;+4;*G;*3;"));
  EXPECT_LT(Last(log, "event DataEvent 2 B81"), First(log, "Request 2 5"));
  EXPECT_LT(First(log, "IODirect 2 0;*2;+4;*L;*3;"), First(log, "Request 2 5")) << "ended by READ_STATUS";
  EXPECT_EQ(files.Warnings(), WarningLines({{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}}));
  std::string reply = files.Reply();
  ASSERT_GT(reply.size(), 3u);
  EXPECT_EQ(reply.substr(reply.size() - 3), "\n0\n") << "the status line, then the code";

  // The register took the PLU: selling it by its code alone goes through at its price.
  EXPECT_TRUE(m_Rig.Ecr(2).Events().WaitUntil([&] { return !m_Rig.Ecr(2).Events().Armed(DataQuestion::kOffers); },
                                    std::chrono::steady_clock::now() + kGenerous));
  CTicketFiles receipt = Run(2, ReceiptByPlu());
  EXPECT_EQ(receipt.Reply(), "0\n");
}

TEST_F(TillProgramming, StarFamilyBatchesHoldTheKeyAtPUntilAnotherElementEndsThem) {
  m_Rig.Emulator().ClearCallLog();
  CTicketFiles files =
      Run(3, {Department(1, "FRUIT", "2.50"), Department(2, "VEG", ""), Plu("77", "1.20", 2), kStatus});
  std::vector<std::string> expected = {
      "*LI", "*Sl",
      "*S01Q1B$FRUIT$QK", "*S04Q1B1QK", "*S02Q1B2,50QK", "*S05Q1B0,10QK", "*S06Q1B99,00QK",
      "*S01Q2B$VEG$QK", "*S04Q2B1QK", "*S05Q2B0,10QK", "*S06Q2B99,00QK",
      "*U", "*Si",
      "*LI", "*Sl", "*SZ", "*SZ", "*S11Q",
      "*WH0           77       1200000", "*WH1           ITEM 77B1",
      "*SK", "*U",
  };
  std::vector<std::string> sent = IoDirects(Log(), 3);
  ASSERT_EQ(sent.size(), expected.size() + 1);
  // The key goes back to the letter the hello text showed when the PLU batch started. The emulator
  // announces a key switch's status after its completion, so that letter may still be "P".
  EXPECT_TRUE(sent.back() == "*Si" || sent.back() == "*Sl") << sent.back();
  sent.pop_back();
  EXPECT_EQ(sent, expected);
  EXPECT_EQ(files.Warnings(), WarningLines({{0, 0}, {1, 0}, {2, 0}}));
  CTicketFiles receipt = Run(3, ReceiptByPlu());
  EXPECT_EQ(receipt.Reply(), "0\n");
}

TEST_F(TillProgramming, OffersAreRefusedOnStarRegisters) {
  for (int ecr : {3, 4}) {
    m_Rig.Emulator().ClearCallLog();
    CTicketFiles files = Run(ecr, {kOffer, kStatus});
    EXPECT_EQ(files.Reply(), "4\n");
    EXPECT_FALSE(testsupport::FileExists(files.m_Warnings));
    EXPECT_TRUE(IoDirects(Log(), ecr).empty());
  }
}

TEST_F(TillProgramming, HeaderOnBothFamilies) {
  m_Rig.Emulator().ClearCallLog();
  CTicketFiles zero = Run(2, {kHeader});
  EXPECT_EQ(zero.Reply(), "0\n");
  EXPECT_EQ(zero.Warnings(), WarningLines({{0, 0}}));
  std::vector<std::string> log = Log();
  EXPECT_EQ(std::count(log.begin(), log.end(), "event DataEvent 2 B85"), 3);
  EXPECT_FALSE(m_Rig.Ecr(2).Events().Armed(DataQuestion::kHeader));

  m_Rig.Emulator().ClearCallLog();
  CTicketFiles star = Run(3, {kHeader});
  EXPECT_EQ(star.Reply(), "0\n");
  EXPECT_EQ(star.Warnings(), WarningLines({{0, 0}}));
  std::vector<std::string> sent = IoDirects(Log(), 3);
  for (const char* line : {"*S30Q$SHOP$K", "*S31Q$MAIN ST$K", "*S32Q$TOWN$K", "*S33Q$VAT 1$K", "*S34Q$$K",
                           "*S35Q$THANKS$K", "*S92Q"}) {
    EXPECT_NE(std::find(sent.begin(), sent.end(), line), sent.end()) << line;
  }
  std::string code = m_Rig.Ecr(3).Events().Status().m_HelloCode;
  ASSERT_GE(code.size(), 8u);
  EXPECT_NE(std::find(sent.begin(), sent.end(), "*S" + code.substr(4, 4) + "K"), sent.end());
  EXPECT_EQ(sent.back(), "*Si") << "the key goes back to R";
}

TEST_F(TillProgramming, ReportsZeroSetsAndHistory) {
  struct Case {
    int ecr;
    std::string element;
    std::string call;  // made by the element; empty: nothing reaches the register
    bool pathLine;     // the reply carries a file path
    const char* code;
  } cases[] = {
      {2, "<REPORT_REQUEST><TYPE>-1</TYPE><PRINT>0</PRINT></REPORT_REQUEST>", "", false, "1"},
      {3, "<ZEROSET_REQUEST><TYPE>-2</TYPE><PRINT>1</PRINT></ZEROSET_REQUEST>", "", false, "1"},
      {2, "<REPORT_REQUEST><TYPE>2</TYPE><PRINT>0</PRINT></REPORT_REQUEST>", "Request 2 53", true, "0"},
      {3, "<REPORT_REQUEST><TYPE>9</TYPE><PRINT>0</PRINT></REPORT_REQUEST>", "Request 3 51", true, "0"},
      {1, "<REPORT_REQUEST><TYPE></TYPE><PRINT>1</PRINT></REPORT_REQUEST>", "Request 1 51", false, "0"},
      {2, "<ZEROSET_REQUEST><TYPE>1</TYPE><PRINT>0</PRINT></ZEROSET_REQUEST>", "Request 2 81", false, "0"},
      {4, "<ZEROSET_REQUEST><TYPE>6</TYPE><PRINT>1</PRINT></ZEROSET_REQUEST>", "Request 4 80", false, "0"},
      {2, "<HISTORY_REQUEST></HISTORY_REQUEST>", "Request 2 13", true, "0"},
      {3, "<HISTORY_ROLLBACK></HISTORY_ROLLBACK>", "Request 3 14", false, "0"},
      {1, "<FISCAL_CLOSURE></FISCAL_CLOSURE>", "IODirect 1 0;*2;+3;#Z;*3;+1;", false, "0"},
      {3, "<FISCAL_CLOSURE></FISCAL_CLOSURE>", "IODirect 3 *SkK", false, "0"},
      {2, "<TABLE_SUMMARY></TABLE_SUMMARY>", "IODirect 2 0;*2;#S141;*3;", false, "0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.element + " on register " + std::to_string(c.ecr));
    m_Rig.Emulator().ClearCallLog();
    CTicketFiles files = Run(c.ecr, {c.element});
    std::vector<std::string> calls = CallsOnly(Log());
    std::string reply = files.Reply();
    if (c.call.empty()) {
      // Only the register's counters, recorded when the job starts.
      EXPECT_EQ(calls, std::vector<std::string>{"Request " + std::to_string(c.ecr) + " 7"});
      EXPECT_EQ(reply, std::string(c.code) + "\n");
      EXPECT_FALSE(testsupport::FileExists(files.m_Warnings));
      continue;
    }
    EXPECT_NE(std::find(calls.begin(), calls.end(), c.call), calls.end());
    EXPECT_EQ(files.Warnings(), WarningLines({{0, std::atoi(c.code)}}));
    if (c.pathLine) {
      std::size_t end = reply.find('\n');
      ASSERT_NE(end, std::string::npos) << reply;
      EXPECT_TRUE(testsupport::FileExists(reply.substr(0, end))) << reply;
      EXPECT_EQ(reply.substr(end + 1), std::string(c.code) + "\n");
    } else {
      EXPECT_EQ(reply, std::string(c.code) + "\n");
    }
    EXPECT_TRUE(m_Rig.Ecr(c.ecr).Events().ReportPath().empty());
    EXPECT_TRUE(m_Rig.Ecr(c.ecr).Events().HistoryPath().empty());
  }
}

}  // namespace
}  // namespace driver::ecrtest
