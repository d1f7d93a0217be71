// Job threads on the emulated registers: one job at a time per register, registers side by side, jobs
// of the administration sheet, and jobs that leave at shutdown.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "driver/ecr/command_strings.h"
#include "driver/ecr/job_starter.h"
#include "driver/ecr/tests/job_rig.h"
#include "testsupport/log_capture.h"

namespace driver::ecrtest {
namespace {

const std::vector<std::string> kReceipt = {
    "<OPEN_TICKET><INVOICE>0</INVOICE></OPEN_TICKET>",
    "<SELLITEM><PLUCODE></PLUCODE><PRICE>2,00</PRICE><DEPARTMENT>1</DEPARTMENT><DESCRIPTION>TEA</DESCRIPTION>"
    "<QUANTITY></QUANTITY></SELLITEM>",
    "<CLOSE_TICKET><AMOUNT>2,00</AMOUNT><PAYMENTDESCRIPTION>CASH</PAYMENTDESCRIPTION>"
    "<PAYMENTTYPE>1</PAYMENTTYPE></CLOSE_TICKET>"};

class JobThread : public ::testing::Test {
 protected:
  JobThread() : m_Rig(m_Base.Path()), m_Host(m_Rig) {
    for (int ecr : {1, 2, 3, 4}) GiveMutexes(m_Rig.Ecr(ecr), "thread");
  }
  ~JobThread() override {
    // Threads still waiting leave through the stop mutexes, as at the driver's shutdown.
    for (int ecr : {1, 2, 3, 4}) m_Rig.Ecr(ecr).StopMutex()->Release();
    EXPECT_TRUE(CWorkerThread::WaitAllEnded(kGenerous));
  }

  CTicketFiles StartTicket(int ecr, const std::string& name, std::vector<CJobThreadIdentity>* listed = nullptr) {
    CEcrContext& context = m_Rig.Ecr(ecr);
    CTicketFiles files(context.TicketFolder(), name);
    files.WriteDocument(kReceipt);
    CDocumentJob job{files.m_Document, files.m_ReplyWork, files.m_Warnings, files.m_Reply};
    JobStartResult started = StartTicketJob(m_Host, context, job, [&](CQorThread& thread) {
      EXPECT_EQ(thread.JobCode(), kJobTicketDocument);
      EXPECT_EQ(thread.ReplyPath(), files.m_Reply);
      if (listed != nullptr) listed->push_back(thread.Identity());
    });
    EXPECT_EQ(started, JobStartResult::Started);
    return files;
  }
  std::vector<std::string> Calls(int ecr) {
    // The register number is the second word of every call.
    std::vector<std::string> kept;
    std::string number = std::to_string(ecr);
    for (const std::string& call : CallsOnly(m_Rig.Emulator().CallLog())) {
      std::size_t space = call.find(' ');
      if (space != std::string::npos && call.compare(space + 1, number.size() + 1, number + " ") == 0) {
        kept.push_back(call);
      } else if (space != std::string::npos && call.substr(space + 1) == number) {
        kept.push_back(call);
      }
    }
    return kept;
  }

  testsupport::TempFolder m_Base;
  CControlRig m_Rig;
  CTestJobHost m_Host;
};

TEST_F(JobThread, TwoTicketsForOneRegisterRunOneAfterTheOtherAndBothAreReplied) {
  m_Rig.Emulator().ClearCallLog();
  std::vector<CJobThreadIdentity> listed;
  CTicketFiles first = StartTicket(2, "first", &listed);
  CTicketFiles second = StartTicket(2, "second", &listed);
  ASSERT_TRUE(m_Host.WaitForEnded(2));
  EXPECT_EQ(first.Reply(), "0\n");
  EXPECT_EQ(second.Reply(), "0\n");
  std::vector<std::string> brackets;
  for (const std::string& call : Calls(2)) {
    if (call == "BeginJob 2" || call == "EndJob 2") brackets.push_back(call);
  }
  EXPECT_EQ(brackets, (std::vector<std::string>{"BeginJob 2", "EndJob 2", "BeginJob 2", "EndJob 2"}));
  std::vector<CJobThreadIdentity> ended = m_Host.Ended();
  ASSERT_EQ(listed.size(), 2u);
  EXPECT_TRUE(std::is_permutation(ended.begin(), ended.end(), listed.begin()))
      << "each end names the thread that was listed";
  EXPECT_NE(listed[0].m_Serial, listed[1].m_Serial);
}

TEST_F(JobThread, RegistersRunTheirJobsSideBySide) {
  // Register 1 is busy: its job waits, while register 3's job runs to the end.
  ASSERT_EQ(m_Rig.Ecr(1).JobMutex()->Wait(std::chrono::milliseconds(0)), platform::kWaitObject0);
  CTicketFiles busy = StartTicket(1, "busy");
  CTicketFiles free = StartTicket(3, "free");
  ASSERT_TRUE(m_Host.WaitForEnded(1));
  EXPECT_EQ(free.Reply(), "0\n");
  EXPECT_FALSE(testsupport::FileExists(busy.m_Reply));
  ASSERT_TRUE(m_Rig.Ecr(1).JobMutex()->Release());
  ASSERT_TRUE(m_Host.WaitForEnded(2));
  EXPECT_EQ(busy.Reply(), "0\n");
}

TEST_F(JobThread, AtShutdownJobsWaitingForABusyRegisterLeaveThroughTheStopMutexWithoutAReply) {
  testsupport::LogCapture log;
  ASSERT_EQ(m_Rig.Ecr(2).JobMutex()->Wait(std::chrono::milliseconds(0)), platform::kWaitObject0);
  m_Rig.Emulator().ClearCallLog();
  std::vector<CTicketFiles> tickets;
  for (int i = 0; i < 3; ++i) tickets.push_back(StartTicket(2, "waiting" + std::to_string(i)));
  EXPECT_EQ(CWorkerThread::LiveCount(), 3);

  ASSERT_TRUE(m_Rig.Ecr(2).StopMutex()->Release());
  ASSERT_TRUE(CWorkerThread::WaitAllEnded(kGenerous));
  EXPECT_EQ(log.Count("CQorThread::WAIT_OBJECT_0+1"), 3);
  for (const CTicketFiles& files : tickets) {
    EXPECT_FALSE(testsupport::FileExists(files.m_Reply));
    EXPECT_TRUE(testsupport::FileExists(files.m_Document));
  }
  EXPECT_TRUE(m_Host.Ended().empty()) << "a job that did not run does not report its end";
  EXPECT_TRUE(Calls(2).empty());
  EXPECT_TRUE(m_Rig.Ecr(2).JobMutex()->Release());
}

TEST_F(JobThread, AJobThatGetsTheRegisterAfterShutdownBeganLeavesItUntouched) {
  CEcrContext& ecr = m_Rig.Ecr(2);
  CTicketFiles files(ecr.TicketFolder(), "late");
  testsupport::WriteFile(files.m_Reply, "0\n");
  testsupport::WriteFile(files.m_Warnings, "  0    0\n");
  ecr.Cancel();
  m_Rig.Emulator().ClearCallLog();
  files.WriteDocument(kReceipt);
  CDocumentJob job{files.m_Document, files.m_ReplyWork, files.m_Warnings, files.m_Reply};
  ASSERT_EQ(StartTicketJob(m_Host, ecr, job, {}), JobStartResult::Started);
  ASSERT_TRUE(m_Host.WaitForEnded(1));
  EXPECT_TRUE(Calls(2).empty());
  EXPECT_EQ(files.Reply(), "0\n") << "the files of an earlier run stay as they were";
  EXPECT_EQ(files.Warnings(), "  0    0\n");
  EXPECT_TRUE(testsupport::FileExists(files.m_Document));
}

// Ten jobs started while the register is busy all wait at once; they run in the order they were
// started, whatever order their threads began to wait in.
TEST_F(JobThread, JobsOfOneRegisterRunInTheOrderTheyWereStarted) {
  CEcrContext& ecr = m_Rig.Ecr(3);
  ASSERT_EQ(ecr.JobMutex()->Wait(std::chrono::milliseconds(0)), platform::kWaitObject0);
  constexpr int kJobs = 10;
  for (int n = 0; n < kJobs; ++n) {
    CTicketFiles files(ecr.TicketFolder(), "order" + std::to_string(n));
    std::vector<std::string> receipt = kReceipt;
    receipt[1].replace(receipt[1].find("TEA"), 3, "ITEM" + std::to_string(n));
    files.WriteDocument(receipt);
    CDocumentJob job{files.m_Document, files.m_ReplyWork, files.m_Warnings, files.m_Reply};
    ASSERT_EQ(StartTicketJob(m_Host, ecr, job, {}), JobStartResult::Started);
  }
  ASSERT_TRUE(ecr.JobMutex()->Release());
  ASSERT_TRUE(m_Host.WaitForEnded(kJobs));
  const std::string journal = testsupport::ReadFile(m_Rig.Emulator().JournalPath(3));
  std::size_t at = 0;
  for (int n = 0; n < kJobs; ++n) {
    std::size_t found = journal.find("ITEM" + std::to_string(n), at);
    ASSERT_NE(found, std::string::npos) << "ITEM" << n << " not printed after ITEM" << n - 1 << "\n" << journal;
    at = found;
  }
}

// A job thread that ends while it holds the register (here in the middle of a receipt, with the
// keyboard locked) abandons the job mutex. The next job finds the register in a known state first:
// the receipt left open voided, the keyboard unlocked; then it runs, and the register is free again.
TEST_F(JobThread, AJobAfterOneThatEndedHoldingTheRegisterVoidsWhatItLeftAndRuns) {
  const std::string checking = "[ZEDO] CQorThread: ecr 3 left by a job that ended holding it; checking the register";
  testsupport::LogCapture log;
  CEcrContext& ecr = m_Rig.Ecr(3);
  std::thread([&] {
    ASSERT_EQ(ecr.JobMutex()->Wait(), platform::kWaitObject0);
    ecr.Events().ExpectIoDirect();
    ASSERT_EQ(m_Host.Control().IODirect(3, kStarLock, 0), 0);
    for (const std::string& element : {kReceipt[0], kReceipt[1]}) {
      ecr.Events().ExpectWrite();
      std::int32_t job = 0;
      ASSERT_EQ(m_Host.Control().Write(3, 2, element, job), 0);
      ASSERT_TRUE(ecr.Events().WaitUntil([&] { return ecr.Events().WriteDone(); },
                                         std::chrono::steady_clock::now() + kGenerous));
    }
    ASSERT_TRUE(ecr.Events().WaitUntil([&] {
          const CEcrStatus status = ecr.Events().Status();
          return status.m_KeyLocked && status.m_TicketOpen;
        },
                              std::chrono::steady_clock::now() + kGenerous));
  }).join();

  CTicketFiles next = StartTicket(3, "next");
  ASSERT_TRUE(m_Host.WaitForEnded(1));
  EXPECT_EQ(next.Reply(), "0\n");
  EXPECT_EQ(log.Count(checking), 1);
  const std::string journal = testsupport::ReadFile(m_Rig.Emulator().JournalPath(3));
  const std::size_t voided = journal.find("RECEIPT VOIDED");
  ASSERT_NE(voided, std::string::npos) << journal;
  EXPECT_NE(journal.find("RECEIPT NO. 1", voided), std::string::npos) << "the next receipt printed after the void";
  EXPECT_EQ(ecr.Events().Status().m_KeyLocked, 0);

  CTicketFiles after = StartTicket(3, "after");
  ASSERT_TRUE(m_Host.WaitForEnded(2));
  EXPECT_EQ(after.Reply(), "0\n");
  EXPECT_EQ(log.Count(checking), 1) << "the abandonment is told once";
}

TEST_F(JobThread, AdministrationJobsRunTheirOperationsAndWriteNoFiles) {
  struct Case {
    int ecr;
    CJobKind job;
    std::vector<std::string> calls;  // between BeginJob and EndJob, in order; "" = any call
  } cases[] = {
      {3, CDepartmentJob{{5, "ADMIN", "", "", "", 1}}, {"IODirect 3 *LI", "IODirect 3 *Sl", "IODirect 3 *S01Q5B$ADMIN$QK"}},
      {2, CPluJob{{"55", "", "1,00", 1}}, {"IODirect 2 0;*2;+4;*G;*3;"}},
      {4, COfferJob{}, {}},
      {1, CReportJob{2, 0}, {"Request 1 53"}},
      {2, CZeroSetJob{-1, 0}, {"IODirect 2 0;*2;+3;#Z;*3;+1;"}},
      {3, CHistoryRollbackJob{}, {"Request 3 14"}},
      {1, CNoJob{9999}, {}},
  };
  std::size_t ended = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE("job " + std::to_string(JobCodeOf(c.job)));
    m_Rig.Emulator().ClearCallLog();
    ASSERT_EQ(StartAdminJob(m_Host, m_Rig.Ecr(c.ecr), c.job), JobStartResult::Started);
    ASSERT_TRUE(m_Host.WaitForEnded(++ended));
    // The window thread's own follow-up after an upload may come at any time: not part of the job.
    std::vector<std::string> calls = Calls(c.ecr);
    calls.erase(std::remove(calls.begin(), calls.end(), "IODirect " + std::to_string(c.ecr) + " 0;*3;+1;"),
                calls.end());
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls.front(), "BeginJob " + std::to_string(c.ecr));
    EXPECT_EQ(calls.back(), "EndJob " + std::to_string(c.ecr));
    std::vector<std::string> inner(calls.begin() + 1, calls.end() - 1);
    if (c.calls.empty()) {
      EXPECT_TRUE(inner.empty());
    } else {
      EXPECT_TRUE(std::search(inner.begin(), inner.end(), c.calls.begin(), c.calls.end()) != inner.end());
    }
  }
  EXPECT_TRUE(m_Rig.Ecr(2).Events().WaitUntil([&] { return !m_Rig.Ecr(2).Events().Armed(DataQuestion::kPlus); },
                                    std::chrono::steady_clock::now() + kGenerous))
      << "the register fetched the PLU upload";
  for (const auto& entry : std::filesystem::directory_iterator(m_Rig.Ecr(3).TicketFolder())) {
    ADD_FAILURE() << "an administration job wrote " << entry.path();
  }
}

TEST_F(JobThread, SheetJobsWaitingForABusyRegisterEachProgramTheValuesTheyWereStartedWith) {
  CEcrContext& ecr = m_Rig.Ecr(2);
  CPluRecord sheet;
  sheet.m_Department = 1;
  sheet.m_Tax = 1;
  // Another job holds the register; the sheet writes the next PLU as soon as a job is started.
  ASSERT_EQ(ecr.JobMutex()->Wait(std::chrono::milliseconds(0)), platform::kWaitObject0);
  for (const char* code : {"61", "62", "63"}) {
    sheet.m_Code = code;
    sheet.m_Description = std::string("PLU ") + code;
    sheet.m_Price = "1,00";
    ASSERT_EQ(StartAdminJob(m_Host, ecr, CPluJob{sheet}), JobStartResult::Started);
  }
  sheet.m_Code = "99";
  ASSERT_TRUE(ecr.JobMutex()->Release());
  ASSERT_TRUE(m_Host.WaitForEnded(3));
  ASSERT_TRUE(ecr.Events().WaitUntil([&] { return !ecr.Events().Armed(DataQuestion::kPlus); },
                                     std::chrono::steady_clock::now() + kGenerous));
  for (const char* code : {"61", "62", "63"}) {
    CTicketFiles files(ecr.TicketFolder(), std::string("sale") + code);
    files.WriteDocument({kReceipt[0],
                         std::string("<SELLITEM><PLUCODE>") + code +
                             "</PLUCODE><PRICE></PRICE><DEPARTMENT></DEPARTMENT><DESCRIPTION></DESCRIPTION>"
                             "<QUANTITY></QUANTITY></SELLITEM>",
                         kReceipt[2]});
    CQorThread job(m_Host, files.Order(ecr));
    job.RunJob();
    EXPECT_EQ(files.Reply(), "0\n") << "PLU " << code << " reached the register";
  }
}

}  // namespace
}  // namespace driver::ecrtest
