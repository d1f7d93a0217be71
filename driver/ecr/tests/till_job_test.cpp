// Command documents run on the emulated registers: what the registers are sent, in which order, and
// what the warning and reply files say afterwards.

#include <gtest/gtest.h>

#include <algorithm>
#include <future>

#include "driver/ecr/command_strings.h"
#include "driver/ecr/job_starter.h"
#include "driver/ecr/tests/job_rig.h"
#include "testsupport/log_capture.h"

namespace driver::ecrtest {
namespace {

const std::string kOpen = "<OPEN_TICKET><INVOICE>0</INVOICE></OPEN_TICKET>";
const std::string kSaleBread =
    "<SELLITEM><PLUCODE></PLUCODE><PRICE>1,50</PRICE><DEPARTMENT>1</DEPARTMENT><DESCRIPTION>BREAD</DESCRIPTION>"
    "<QUANTITY>2</QUANTITY></SELLITEM>";
const std::string kSaleMilk =
    "<SELLITEM><PLUCODE></PLUCODE><PRICE>3.25</PRICE><DEPARTMENT>2</DEPARTMENT><DESCRIPTION>MILK</DESCRIPTION>"
    "<QUANTITY></QUANTITY></SELLITEM>";
const std::string kClose =
    "<CLOSE_TICKET><AMOUNT>10,00</AMOUNT><PAYMENTDESCRIPTION>CASH</PAYMENTDESCRIPTION>"
    "<PAYMENTTYPE>1</PAYMENTTYPE></CLOSE_TICKET>";

class TillJob : public ::testing::Test {
 protected:
  TillJob() : m_Rig(m_Base.Path()), m_Host(m_Rig) {}

  // Runs the document as a ticket job on the calling thread, as the job thread would.
  void RunTicket(int ecr, const CTicketFiles& files) {
    CQorThread job(m_Host, files.Order(m_Rig.Ecr(ecr)));
    job.RunJob();
  }
  CTicketFiles Ticket(int ecr, const std::string& name) {
    return CTicketFiles(m_Rig.Ecr(ecr).TicketFolder(), name);
  }
  std::vector<std::string> Calls() { return CallsOnly(m_Rig.Emulator().CallLog()); }

  testsupport::TempFolder m_Base;
  CControlRig m_Rig;
  CTestJobHost m_Host;
};

TEST_F(TillJob, ReceiptOnAnIdleTypeTwoRegisterMakesTheCallsInOrderAndShowsTheTotalAfterTheReply) {
  m_Host.SetOptions({true, false, true});
  CEcrContext& ecr = m_Rig.Ecr(2);
  GiveMutexes(ecr, "order");
  CTicketFiles files = Ticket(2, "abc");
  files.WriteDocument({kOpen, kSaleBread, kSaleMilk, kClose});
  std::atomic<int> replyExistedAtLastTotal{-1};
  m_Host.Spy().SetHook([&](const std::string& method, std::int32_t, const std::string& text) {
    if (method == "IODirect" && text == "%S%") replyExistedAtLastTotal = testsupport::FileExists(files.m_Reply);
  });
  m_Rig.Emulator().ClearCallLog();

  CDocumentJob ticket{files.m_Document, files.m_ReplyWork, files.m_Warnings, files.m_Reply};
  ASSERT_EQ(StartTicketJob(m_Host, ecr, ticket, {}), JobStartResult::Started);
  ASSERT_TRUE(m_Host.WaitForEnded(1));

  std::string price = ecr.Events().LastPrice();
  EXPECT_EQ(price, "6,25") << "3,00 for the bread and 3,25 for the milk";
  std::vector<std::string> expected = {
      "BeginJob 2",
      "Request 2 7",  // the register's counters, recorded with the job's progress
      "IODirect 2 0;",
      "IODirect 2 0;*2;",
      "IODirect 2 0;",
      "IODirect 2 0;#S3:3;",
      "Request 2 5",
      "IODirect 2 0;+1;",
      "Write 2 " + kOpen,
      "Write 2 " + kSaleBread,
      "Write 2 " + kSaleMilk,
      "Write 2 " + kClose,
      "IODirect 2 0;*3;",
      "IODirect 2 %S%",
      "IODirect 2 0;(T" + std::string(19 - price.size(), ' ') + price + ";",
      "IODirect 2 0;>T" + std::string(19 - price.size(), ' ') + price + ";",
      "EndJob 2",
  };
  EXPECT_EQ(Calls(), expected);
  EXPECT_EQ(replyExistedAtLastTotal, 1) << "the last total is asked for only once the reply exists";
  EXPECT_EQ(files.Warnings(), WarningLines({{0, 0}, {1, 0}, {2, 0}, {3, 0}}));
  EXPECT_EQ(files.Reply(), "0\n");
  EXPECT_FALSE(testsupport::FileExists(files.m_Document));
  EXPECT_FALSE(testsupport::FileExists(files.m_ReplyWork));
  EXPECT_EQ(ecr.Events().Status().m_KeyLocked, 0);
}

TEST_F(TillJob, ReceiptsRunOnEveryRegisterType) {
  for (int number : {1, 2, 3, 4}) {
    SCOPED_TRACE("register " + std::to_string(number));
    CTicketFiles files = Ticket(number, "receipt");
    files.WriteDocument({kOpen, kSaleBread, kSaleMilk, kClose});
    RunTicket(number, files);
    EXPECT_EQ(files.Reply(), "0\n");
    EXPECT_EQ(files.Warnings(), WarningLines({{0, 0}, {1, 0}, {2, 0}, {3, 0}}));
    EXPECT_EQ(m_Rig.Ecr(number).Events().Status().m_KeyLocked, 0) << "the keyboard is unlocked after the ticket";
    EXPECT_EQ(m_Rig.Ecr(number).Events().Status().m_TicketOpen, 0);
  }
  std::vector<std::string> calls = Calls();
  EXPECT_NE(std::find(calls.begin(), calls.end(), "IODirect 3 *LI"), calls.end());
  EXPECT_NE(std::find(calls.begin(), calls.end(), "IODirect 4 *U"), calls.end());
  EXPECT_EQ(std::count(calls.begin(), calls.end(), "IODirect 1 %S%"), 0) << "DisplayLastTotal is off";
}

TEST_F(TillJob, ASecondOpenTicketStopsWithFifteenAndUnlocksTheKeyboard) {
  for (int number : {2, 3}) {
    SCOPED_TRACE("register " + std::to_string(number));
    CTicketFiles files = Ticket(number, "twice");
    files.WriteDocument({kOpen, kSaleBread, kOpen, kSaleMilk});
    RunTicket(number, files);
    EXPECT_EQ(files.Reply(), "15\n");
    EXPECT_EQ(files.Warnings(), WarningLines({{0, 0}, {1, 0}}));
    EXPECT_EQ(m_Rig.Ecr(number).Events().Status().m_KeyLocked, 0);
  }
}

TEST_F(TillJob, EmptyUnknownAndMissingDocuments) {
  CTicketFiles empty = Ticket(2, "empty");
  empty.WriteDocument({"", ""});
  RunTicket(2, empty);
  EXPECT_EQ(empty.Reply(), "0\n");
  EXPECT_FALSE(testsupport::FileExists(empty.m_Warnings));

  CTicketFiles unknown = Ticket(2, "unknown");
  unknown.WriteDocument({kOpen, "<NOT_AN_ELEMENT></NOT_AN_ELEMENT>", "", kSaleBread, kClose});
  RunTicket(2, unknown);
  EXPECT_EQ(unknown.Reply(), "0\n");
  EXPECT_EQ(unknown.Warnings(), WarningLines({{0, 0}, {2, 0}, {3, 0}}));

  testsupport::LogCapture log;
  CTicketFiles missing = Ticket(2, "missing");
  testsupport::WriteFile(missing.m_Warnings, "old\n");
  testsupport::WriteFile(missing.m_Reply, "old\n");
  m_Rig.Emulator().ClearCallLog();
  RunTicket(2, missing);
  EXPECT_EQ(missing.Reply(), "3\n");
  EXPECT_FALSE(testsupport::FileExists(missing.m_Warnings));
  EXPECT_TRUE(log.Contains("DoTillJob [QOR_E_FAILURE] No file [" + missing.m_Document + "]"));
  EXPECT_TRUE(Calls().empty());
}

TEST_F(TillJob, ALongElementLineRunsAsOneElement) {
  CTicketFiles files = Ticket(2, "long");
  files.WriteDocument({"<READ_STATUS></READ_STATUS>" + std::string(1200, ' '), kOpen, kClose});
  RunTicket(2, files);
  EXPECT_EQ(files.Warnings(), WarningLines({{1, 0}, {2, 0}})) << "pieces of the long line counted as elements";
  std::string reply = files.Reply();
  EXPECT_EQ(std::count(reply.begin(), reply.end(), '\n'), 2) << reply;
}

TEST_F(TillJob, ReadStatusWritesTheStatusLineAndNoWarning) {
  for (int number : {1, 3}) {
    CTicketFiles files = Ticket(number, "status");
    files.WriteDocument({"<READ_STATUS></READ_STATUS>"});
    RunTicket(number, files);
    CEcrContext& ecr = m_Rig.Ecr(number);
    const CEcrStatus status = ecr.Events().Status();
    std::string line = FormatText("%2d%2d%2s%2d%2d%s", status.m_TicketOpen, status.m_GenericError,
                                  status.m_Operating.c_str(), status.m_PaperOut, status.m_KeyLocked,
                                  status.m_Hello.c_str());
    EXPECT_EQ(line.substr(0, 4), " 0 0") << "an idle register, in order";
    EXPECT_EQ(line.substr(6, 4), " 0 0");
    EXPECT_FALSE(ecr.Events().Status().m_Hello.empty());
    EXPECT_EQ(files.Reply(), line + "\n0\n");
    EXPECT_FALSE(testsupport::FileExists(files.m_Warnings));
  }
}

}  // namespace
}  // namespace driver::ecrtest
