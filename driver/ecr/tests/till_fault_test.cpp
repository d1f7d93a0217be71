// Registers in trouble while a ticket runs: paper out, errors, refused elements, a register that never
// answers, and a driver that shuts down while a job waits.

#include <gtest/gtest.h>

#include <algorithm>
#include <future>
#include <new>

#include "driver/ecr/tests/job_rig.h"
#include "emulator/result_codes.h"
#include "testsupport/log_capture.h"

namespace driver::ecrtest {
namespace {

const std::string kOpen = "<OPEN_TICKET><INVOICE>0</INVOICE></OPEN_TICKET>";
const std::string kSale =
    "<SELLITEM><PLUCODE></PLUCODE><PRICE>1,50</PRICE><DEPARTMENT>1</DEPARTMENT><DESCRIPTION>BREAD</DESCRIPTION>"
    "<QUANTITY></QUANTITY></SELLITEM>";
const std::string kSaleUnknownDepartment =
    "<SELLITEM><PLUCODE></PLUCODE><PRICE>1,50</PRICE><DEPARTMENT>99</DEPARTMENT><DESCRIPTION>X</DESCRIPTION>"
    "<QUANTITY></QUANTITY></SELLITEM>";
const std::string kClose =
    "<CLOSE_TICKET><AMOUNT>5,00</AMOUNT><PAYMENTDESCRIPTION>CASH</PAYMENTDESCRIPTION>"
    "<PAYMENTTYPE>1</PAYMENTTYPE></CLOSE_TICKET>";

class TillFault : public ::testing::Test {
 protected:
  TillFault() : m_Rig(m_Base.Path()), m_Host(m_Rig) {}

  std::future<void> StartTicket(int ecr, const CTicketFiles& files) {
    return std::async(std::launch::async, [this, ecr, &files] {
      CQorThread job(m_Host, files.Order(m_Rig.Ecr(ecr)));
      job.RunJob();
    });
  }
  CTicketFiles Ticket(int ecr, const std::string& name) {
    return CTicketFiles(m_Rig.Ecr(ecr).TicketFolder(), name);
  }
  // Waits until the register reports itself in order again, then voids a receipt left open, so that
  // the next case starts from an idle register.
  void Settle(int ecr, int number) {
    CEcrContext& context = m_Rig.Ecr(ecr);
    auto deadline = std::chrono::steady_clock::now() + kGenerous;
    ASSERT_TRUE(context.Events().WaitUntil(
        [&] { return context.Events().Status().InOrder(); },
        deadline));
    if (context.Events().Status().m_TicketOpen) {
      CTicketFiles cleanup = Ticket(ecr, "cleanup" + std::to_string(number));
      cleanup.WriteDocument({"<TICKETVOID></TICKETVOID>"});
      StartTicket(ecr, cleanup).wait();
    }
    ASSERT_TRUE(context.Events().WaitUntil([&] { return context.Events().Status().m_TicketOpen == 0; }, deadline));
  }
  // After a case: the register is free again and a receipt on it is answered 0.
  void ExpectNextReceiptRuns(int ecr, int number) {
    Settle(ecr, number);
    CTicketFiles next = Ticket(ecr, "next" + std::to_string(number));
    next.WriteDocument({kOpen, kSale, kClose});
    ASSERT_EQ(StartTicket(ecr, next).wait_for(kGenerous), std::future_status::ready);
    EXPECT_EQ(next.Reply(), "0\n") << "the next ticket on the register";
  }
  bool Called(const std::string& call) {
    std::vector<std::string> log = m_Rig.Emulator().CallLog();
    return std::find(log.begin(), log.end(), call) != log.end();
  }

  testsupport::TempFolder m_Base;
  CControlRig m_Rig;
  CTestJobHost m_Host;
};

enum class Fault { PaperOut, GenericError, NotOperating };

void Cause(emulator::CEmulatorControl& emulator, Fault fault, int ecr, bool on) {
  switch (fault) {
    case Fault::PaperOut: emulator.SetPaperOut(ecr, on); break;
    case Fault::GenericError: emulator.SetGenericError(ecr, on); break;
    case Fault::NotOperating: emulator.SetNotOperating(ecr, on); break;
  }
}

TEST_F(TillFault, AFaultDuringASaleIsReportedGivenUpOrWaitedOut) {
  struct Case {
    const char* name;
    Fault fault;
    bool onErrorContinue;
    bool onErrorVoidTicket;
    bool repairedWhileWaiting;
    std::vector<std::pair<int, int>> warnings;
    const char* reply;
    const std::string& sale = kSale;
  } cases[] = {
      {"paper out, given up", Fault::PaperOut, false, false, false, {{0, 0}, {1, 16}}, "16\n"},
      {"paper out, waited out", Fault::PaperOut, true, false, true, {{0, 0}, {1, 16}, {1, 0}, {2, 0}}, "0\n"},
      {"paper out, ticket voided", Fault::PaperOut, true, true, true, {{0, 0}, {1, 16}, {1, 21}}, "21\n"},
      {"generic error, never waited", Fault::GenericError, true, false, false, {{0, 0}, {1, 19}}, "19\n"},
      {"not operating, given up", Fault::NotOperating, false, false, false, {{0, 0}, {1, 18}}, "18\n"},
      // Waited out, and then the register refuses the sale: a failure, never a success.
      {"paper out, then refused", Fault::PaperOut, true, false, true, {{0, 0}, {1, 16}, {1, 3}}, "3\n",
       kSaleUnknownDepartment},
  };
  // A register with paper out does not confirm the unlock: do not wait 5 s for it in every case.
  ShortenExchange(m_Rig.Ecr(2), std::chrono::milliseconds(500));
  int number = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    m_Host.SetOptions({c.onErrorContinue, c.onErrorVoidTicket, false});
    CTicketFiles files = Ticket(2, "fault" + std::to_string(number++));
    files.WriteDocument({kOpen, c.sale, kClose});
    std::atomic<bool> caused{false};
    m_Host.Spy().SetHook([&](const std::string& method, std::int32_t ecr, const std::string& text) {
      if (method == "Write" && text == c.sale && !caused.exchange(true)) Cause(m_Rig.Emulator(), c.fault, ecr, true);
    });
    m_Rig.Emulator().ClearCallLog();
    std::future<void> job = StartTicket(2, files);
    if (c.repairedWhileWaiting) {
      ASSERT_TRUE(Eventually([&] { return files.Warnings() == WarningLines({{0, 0}, {1, 16}}); }));
      Cause(m_Rig.Emulator(), c.fault, 2, false);
    }
    ASSERT_EQ(job.wait_for(kGenerous), std::future_status::ready);
    m_Host.Spy().SetHook({});
    Cause(m_Rig.Emulator(), c.fault, 2, false);
    EXPECT_EQ(files.Warnings(), WarningLines(c.warnings));
    EXPECT_EQ(files.Reply(), c.reply);
    EXPECT_EQ(Called("ClearOutput 2"), !c.repairedWhileWaiting);
    EXPECT_EQ(Called("Write 2 <TICKETVOID></TICKETVOID>"), c.onErrorVoidTicket);
    EXPECT_TRUE(Called("IODirect 2 0;*3;")) << "the keyboard is unlocked";
    Settle(2, number);
  }
}

TEST_F(TillFault, RefusedElementsStopWithTheirCodes) {
  struct Case {
    const char* name;
    std::vector<std::string> document;
    std::vector<std::pair<int, int>> warnings;
    const char* reply;
  } cases[] = {
      {"sale refused by the register", {kOpen, kSaleUnknownDepartment, kSale, kClose}, {{0, 0}, {1, 3}}, "3\n"},
      {"unknown native command", {"<PROTOCOL_CMD><CMD>0;nonsense</CMD></PROTOCOL_CMD>", kOpen}, {}, nullptr},
  };
  int number = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CTicketFiles files = Ticket(2, "refused" + std::to_string(number++));
    files.WriteDocument(c.document);
    m_Rig.Emulator().ClearCallLog();
    StartTicket(2, files).wait();
    EXPECT_EQ(testsupport::FileExists(files.m_Warnings), !c.warnings.empty());
    if (!c.warnings.empty()) {
      EXPECT_EQ(files.Warnings(), WarningLines(c.warnings));
    }
    if (c.reply != nullptr) {
      EXPECT_EQ(files.Reply(), c.reply);
    } else {
      EXPECT_NE(files.Reply(), "0\n") << "a control status is passed on";
      EXPECT_FALSE(Called("Write 2 " + kOpen));
    }
    Settle(2, number);
  }
}

TEST_F(TillFault, CloseTableReachesTheControlAsOpenTable) {
  CTicketFiles files = Ticket(2, "table");
  files.WriteDocument({"<CLOSE_TABLE><WAITER>0</WAITER><TABLE>9</TABLE></CLOSE_TABLE>"});
  m_Rig.Emulator().ClearCallLog();
  StartTicket(2, files).wait();
  EXPECT_TRUE(Called("Write 2 <OPEN_TABLE><WAITER>0</WAITER><TABLE>9</TABLE></OPEN_TABLE>"));
  EXPECT_EQ(files.Reply(), "3\n") << "a refused table close is a failure, never a success";
}

TEST_F(TillFault, ARegisterThatNeverAnswersTimesOut) {
  struct Case {
    int ecr;
    std::vector<std::pair<int, int>> warnings;
    const char* reply;
  } cases[] = {{2, {{0, 3}}, "3\n"}, {3, {}, "17\n"}};
  m_Host.SetOptions({false, false, false});
  for (const Case& c : cases) {
    SCOPED_TRACE("register " + std::to_string(c.ecr));
    ShortenLimits(m_Rig.Ecr(c.ecr));
    m_Rig.Emulator().SetNoAnswer(c.ecr, true);
    CTicketFiles files = Ticket(c.ecr, "silent");
    files.WriteDocument({kOpen, kSale, kClose});
    StartTicket(c.ecr, files).wait();
    EXPECT_EQ(files.Reply(), c.reply);
    EXPECT_EQ(testsupport::FileExists(files.m_Warnings), !c.warnings.empty());
    if (!c.warnings.empty()) {
      EXPECT_EQ(files.Warnings(), WarningLines(c.warnings));
    }
  }
}

TEST_F(TillFault, ALockAttemptThatRunsOutOfMemoryFailsWithSeventeen) {
  testsupport::LogCapture log;
  m_Host.Spy().SetHook([](const std::string& method, std::int32_t, const std::string& text) {
    if (method == "IODirect" && text == "0;*2;") throw std::bad_alloc();
  });
  CTicketFiles files = Ticket(2, "memory");
  files.WriteDocument({kOpen, kSale, kClose});
  StartTicket(2, files).wait();
  EXPECT_EQ(files.Reply(), "17\n");
  EXPECT_TRUE(log.Contains("BloccaTastiera CMemoryException"));
  EXPECT_FALSE(Called("Write 2 " + kOpen));
}

TEST_F(TillFault, ASaleLostByARegisterThatStoppedAnsweringIsNotWaitedForForever) {
  m_Host.SetOptions({true, false, false});
  ShortenLimits(m_Rig.Ecr(2));
  CTicketFiles files = Ticket(2, "lost");
  files.WriteDocument({kOpen, kSale, kClose});
  std::atomic<bool> silenced{false};
  m_Host.Spy().SetHook([&](const std::string& method, std::int32_t ecr, const std::string& text) {
    if (method == "Write" && text == kSale && !silenced.exchange(true)) m_Rig.Emulator().SetNoAnswer(ecr, true);
  });
  m_Rig.Emulator().ClearCallLog();
  std::future<void> job = StartTicket(2, files);
  ASSERT_TRUE(Eventually([&] { return files.Warnings() == WarningLines({{0, 0}, {1, 3}}); }));
  m_Rig.Emulator().SetNoAnswer(2, false);
  ASSERT_EQ(job.wait_for(kGenerous), std::future_status::ready);
  m_Host.Spy().SetHook({});
  // One recovery period with the register reporting no trouble, then the sale counts as lost.
  EXPECT_EQ(files.Warnings(), WarningLines({{0, 0}, {1, 3}, {1, 3}}));
  EXPECT_EQ(files.Reply(), "3\n");
  EXPECT_TRUE(Called("ClearOutput 2"));
  EXPECT_FALSE(Called("Write 2 " + kClose));
  Settle(2, 1);
}

TEST_F(TillFault, AtShutdownAWaitingJobLeavesWithoutWritingAnythingMore) {
  m_Host.SetOptions({true, false, false});
  CEcrContext& ecr = m_Rig.Ecr(2);
  ShortenLimits(ecr);
  m_Rig.Emulator().SetNotOperating(2, true);
  CTicketFiles files = Ticket(2, "shutdown");
  files.WriteDocument({kOpen, kSale, kClose});
  std::future<void> job = StartTicket(2, files);
  // The recovery wait lasts as long as the register reports itself out of operation.
  ASSERT_TRUE(Eventually([&] { return files.Warnings() == WarningLines({{0, 18}}); }));
  ecr.Cancel();
  ASSERT_EQ(job.wait_for(kGenerous), std::future_status::ready);
  m_Rig.Emulator().SetNotOperating(2, false);
  std::string warnings = files.Warnings();
  EXPECT_EQ(warnings.rfind(WarningLines({{0, 18}}), 0), 0u) << warnings;
  EXPECT_FALSE(testsupport::FileExists(files.m_Reply));
  EXPECT_EQ(testsupport::ReadFile(files.m_ReplyWork), "") << "the work file, made with room for the reply, holds none";
  EXPECT_TRUE(testsupport::FileExists(files.m_Document)) << "an interrupted ticket keeps its document";
}

TEST_F(TillFault, AnUploadThatCannotBeStartedFailsAndDoesNotHoldUpTheRegister) {
  m_Host.Spy().SetOverride([](const std::string&, std::int32_t, const std::string& command) -> std::optional<ControlStatus> {
    if (command == "0;*2;+4;*G;*3;") return 203;
    return std::nullopt;
  });
  CTicketFiles files = Ticket(2, "upload");
  files.WriteDocument({"<SET_PLU><CODE>5</CODE><DESCRIPTION>P</DESCRIPTION><PRICE>1</PRICE><DEPARTMENT>1</DEPARTMENT>"
                       "<TAX>1</TAX></SET_PLU>",
                       "<READ_STATUS></READ_STATUS>"});
  std::future<void> job = StartTicket(2, files);
  bool ended = job.wait_for(kGenerous) == std::future_status::ready;
  if (!ended) m_Rig.Ecr(2).Cancel();  // let the stuck job go, so that the test can end
  ASSERT_TRUE(ended) << "the next element waited for an upload that was never started";
  // The PLU never reached the register: the element that ended its batch fails with the control's status.
  EXPECT_EQ(files.Warnings(), WarningLines({{0, 0}, {1, 203}}));
  EXPECT_EQ(files.Reply(), "203\n");
  EXPECT_FALSE(m_Rig.Ecr(2).Events().Armed(DataQuestion::kPlus));
}

const std::string kClosure = "<FISCAL_CLOSURE></FISCAL_CLOSURE>";
const std::string kDepartment =
    "<SET_DEPARTMENT><DEPARTMENT>7</DEPARTMENT><DESCRIPTION>TEA</DESCRIPTION><TAX>1</TAX><LALO></LALO>"
    "<HALO></HALO><PRICE>2,00</PRICE></SET_DEPARTMENT>";
const std::string kQuietReport = "<REPORT_REQUEST><TYPE>0</TYPE><PRINT>0</PRINT></REPORT_REQUEST>";
const std::string kHistory = "<HISTORY_REQUEST></HISTORY_REQUEST>";

TEST_F(TillFault, WhatTheRegisterRefusesFailsItsElement) {
  const std::string notAFolder = m_Base.Path() + "/not-a-folder";
  testsupport::WriteFile(notAFolder, "");
  const std::string reports = m_Rig.Control().GetReportFolder();
  struct Case {
    const char* name;
    int ecr;
    bool receiptOpen;      // a receipt is left open on the register first
    bool reportsUnsaved;   // the report folder cannot be written
    std::string element;
    std::vector<std::pair<int, int>> warnings;
    const char* reply;
  } cases[] = {
      {"closure with a receipt open, zero family", 1, true, false, kClosure, {{0, 19}}, "19\n"},
      {"closure with a receipt open, star family", 3, true, false, kClosure, {}, "19\n"},
      {"department upload with a receipt open", 1, true, false, kDepartment, {{0, 0}, {0, 3}}, "3\n"},
      {"department line the register rejects", 2, false, false,
       "<SET_DEPARTMENT><DEPARTMENT>0</DEPARTMENT><DESCRIPTION>X</DESCRIPTION><TAX>1</TAX></SET_DEPARTMENT>",
       {{0, 0}, {0, 3}}, "3\n"},
      {"raw command refused", 2, false, false, "<PROTOCOL_CMD><CMD>0;#a;</CMD></PROTOCOL_CMD>", {{0, 3}}, "3\n"},
      {"report that cannot be saved", 2, false, true, kQuietReport, {{0, 3}}, "3\n"},
      {"history that cannot be saved", 1, false, true, kHistory, {{0, 3}}, "3\n"},
  };
  int number = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ++number;
    if (c.receiptOpen) {
      CTicketFiles open = Ticket(c.ecr, "open" + std::to_string(number));
      open.WriteDocument({kOpen, kSale});
      StartTicket(c.ecr, open).wait();
      ASSERT_EQ(open.Reply(), "0\n");
    }
    if (c.reportsUnsaved) m_Rig.Control().SetReportFolder(notAFolder + "/reports");
    CTicketFiles files = Ticket(c.ecr, "refused" + std::to_string(number));
    files.WriteDocument({c.element});
    ASSERT_EQ(StartTicket(c.ecr, files).wait_for(kGenerous), std::future_status::ready);
    m_Rig.Control().SetReportFolder(reports);
    EXPECT_EQ(files.Reply(), c.reply);
    EXPECT_EQ(testsupport::FileExists(files.m_Warnings), !c.warnings.empty());
    if (!c.warnings.empty()) {
      EXPECT_EQ(files.Warnings(), WarningLines(c.warnings));
    }
    EXPECT_FALSE(m_Rig.Ecr(c.ecr).Events().Armed(DataQuestion::kDepartments));
    ExpectNextReceiptRuns(c.ecr, number);
  }
}

// A register that lets a whole further period pass without the awaited event, while it reports no
// trouble, has lost the command: the element gives up with 3 and the register serves the next ticket.
TEST_F(TillFault, WaitsForAnEventThatNeverComesGiveUp) {
  struct Case {
    const char* name;
    int ecr;
    std::string element;
    const char* lostCall;  // the call the link loses ("Request <code>"); null: the register stops answering
    std::vector<std::pair<int, int>> warnings;
  } cases[] = {
      {"department upload never fetched", 1, kDepartment, nullptr, {{0, 0}, {0, 3}, {0, 3}}},
      {"header exchange that never comes", 2,
       "<SET_HEADER><LINE1>A</LINE1><LINE2>B</LINE2><LINE3>C</LINE3><LINE4>D</LINE4><LINE5>E</LINE5>"
       "<LINE6>F</LINE6></SET_HEADER>",
       nullptr, {{0, 3}, {0, 3}}},
      {"history never saved", 1, kHistory, "Request 13", {{0, 3}, {0, 3}}},
      {"report never saved", 2, kQuietReport, "Request 51", {{0, 3}, {0, 3}}},
  };
  m_Host.SetOptions({true, false, false});
  int number = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ++number;
    ShortenLimits(m_Rig.Ecr(c.ecr));
    if (c.lostCall == nullptr) m_Rig.Emulator().SetNoAnswer(c.ecr, true);
    const std::string lost = c.lostCall == nullptr ? "" : c.lostCall;
    m_Host.Spy().SetOverride([lost](const std::string& method, std::int32_t, const std::string& text) {
      return method + " " + text == lost ? std::optional<ControlStatus>(0) : std::nullopt;
    });
    CTicketFiles files = Ticket(c.ecr, "lost" + std::to_string(number));
    files.WriteDocument({c.element});
    const bool ended = StartTicket(c.ecr, files).wait_for(kGenerous) == std::future_status::ready;
    m_Host.Spy().SetOverride({});
    m_Rig.Emulator().SetNoAnswer(c.ecr, false);
    if (!ended) m_Rig.Ecr(c.ecr).Cancel();  // let the stuck job go, so that the test can end
    ASSERT_TRUE(ended) << "the job waited for good";
    EXPECT_EQ(files.Warnings(), WarningLines(c.warnings));
    EXPECT_EQ(files.Reply(), "3\n");
    EXPECT_FALSE(m_Rig.Ecr(c.ecr).Events().Armed(DataQuestion::kDepartments));
    EXPECT_FALSE(m_Rig.Ecr(c.ecr).Events().Armed(DataQuestion::kHeader));
    ExpectNextReceiptRuns(c.ecr, number);
  }
}

// After a recovery with OnErrorVoidTicket, 21 means the register voided the receipt. When the element
// being recovered was the payment, the register printed the receipt and refuses the void: the reply is
// 0, and the refused void has its own warning line with the register's result.
TEST_F(TillFault, AVoidAfterARecoveryCountsOnlyWhenTheRegisterVoided) {
  m_Host.SetOptions({true, true, false});
  ShortenExchange(m_Rig.Ecr(2), std::chrono::milliseconds(500));
  CTicketFiles open = Ticket(2, "opened");
  open.WriteDocument({kOpen, kSale});
  StartTicket(2, open).wait();
  ASSERT_EQ(open.Reply(), "0\n");
  CTicketFiles files = Ticket(2, "payment");
  files.WriteDocument({kClose});
  std::atomic<bool> caused{false};
  m_Host.Spy().SetHook([&](const std::string& method, std::int32_t ecr, const std::string& text) {
    if (method == "Write" && text == kClose && !caused.exchange(true)) m_Rig.Emulator().SetPaperOut(ecr, true);
  });
  std::future<void> job = StartTicket(2, files);
  ASSERT_TRUE(Eventually([&] { return files.Warnings() == WarningLines({{0, 16}}); }));
  m_Rig.Emulator().SetPaperOut(2, false);
  ASSERT_EQ(job.wait_for(kGenerous), std::future_status::ready);
  m_Host.Spy().SetHook({});
  EXPECT_TRUE(Called("Write 2 <TICKETVOID></TICKETVOID>"));
  EXPECT_EQ(files.Warnings(), WarningLines({{0, 16}, {0, emulator::kResultNoTicketOpen}, {0, 0}}));
  EXPECT_EQ(files.Reply(), "0\n");
  EXPECT_EQ(m_Rig.Ecr(2).Events().Status().m_TicketOpen, 0);
}

// A printed report or zero-set ends when the printing has ended, not at a completion left over from
// the command before it; paper that runs out meanwhile is reported and waited out.
TEST_F(TillFault, PrintedReportsAreAnsweredOnceTheyArePrinted) {
  m_Host.SetOptions({true, false, false});
  m_Rig.Emulator().SetLineDelay(2, 20);
  CTicketFiles files = Ticket(2, "printed");
  files.WriteDocument({"<REPORT_REQUEST><TYPE>0</TYPE><PRINT>1</PRINT></REPORT_REQUEST>",
                       "<ZEROSET_REQUEST><TYPE>0</TYPE><PRINT>1</PRINT></ZEROSET_REQUEST>"});
  std::atomic<bool> caused{false};
  m_Host.Spy().SetHook([&](const std::string& method, std::int32_t ecr, const std::string& text) {
    if (method == "Request" && text == "80" && !caused.exchange(true)) m_Rig.Emulator().SetPaperOut(ecr, true);
  });
  m_Rig.Emulator().ClearCallLog();
  std::future<void> job = StartTicket(2, files);
  ASSERT_TRUE(Eventually([&] { return files.Warnings() == WarningLines({{0, 0}, {1, 16}}); }));
  m_Rig.Emulator().SetPaperOut(2, false);
  ASSERT_EQ(job.wait_for(kGenerous), std::future_status::ready);
  m_Host.Spy().SetHook({});
  m_Rig.Emulator().SetLineDelay(2, 0);
  EXPECT_EQ(files.Warnings(), WarningLines({{0, 0}, {1, 16}, {1, 0}}));
  EXPECT_EQ(files.Reply(), "0\n");
  // The zero-set's completion came before the reply was written.
  std::vector<std::string> log = m_Rig.Emulator().CallLog();
  auto request = std::find(log.begin(), log.end(), "Request 2 80");
  ASSERT_NE(request, log.end());
  EXPECT_NE(std::find(request, log.end(), "event DirectIOEvent 2 0"), log.end());
}

}  // namespace
}  // namespace driver::ecrtest
