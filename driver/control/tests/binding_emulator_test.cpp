// The binding against the register emulator, as the driver holds it: data questions answered from the
// register's queues, the follow-up commands they trigger, the last total, the status alert and
// WaitIODirect.

#include <gtest/gtest.h>

#include <algorithm>
#include <future>

#include "driver/control/testing/control_rig.h"
#include "driver/control/tests/rig_wait.h"
#include "driver/control/wait_io_direct.h"
#include "testsupport/log_capture.h"
#include "emulator/result_codes.h"
#include "testsupport/temp_folder.h"

namespace driver {
namespace {

using testing::SendAndAwait;
using testing::Settle;
using testing::WaitFor;
using testing::WriteAndAwait;

int CountCalls(CControlRig& rig, const std::string& entry) {
  const std::vector<std::string> log = rig.Emulator().CallLog();
  return static_cast<int>(std::count(log.begin(), log.end(), entry));
}

std::string Journal(CControlRig& rig, int ecr) { return testsupport::ReadFile(rig.Emulator().JournalPath(ecr)); }

// The handlers answer the register's questions while its exchange command runs; the command then
// completes, and nothing else is sent by the window thread: the job sends the command that follows.
TEST(BindingWithEmulator, HeaderExchangeAnswersThreeQuestionsWhileItsCommandRuns) {
  testsupport::TempFolder base;
  CControlRig rig(base.Path());
  CEcrContext& ecr = rig.Ecr(1);
  ecr.Events().Arm(DataQuestion::kHeader, {"A:THE SHOP:MAIN STREET 1:", "B:::THANK YOU"});
  bool completed = false;
  ASSERT_EQ(0, SendAndAwait(rig.Control(), ecr, "0;*2;+4;*T;*3;", &completed));
  ASSERT_TRUE(completed);
  EXPECT_EQ(0, ecr.Events().IoDirectResult());
  EXPECT_FALSE(ecr.Events().Armed(DataQuestion::kHeader));
  EXPECT_EQ(3, CountCalls(rig, "event DataEvent 1 B85"));
  ASSERT_EQ(0, SendAndAwait(rig.Control(), ecr, "0;*2;#a;*3;+1;"));
  EXPECT_EQ(0, ecr.Events().IoDirectResult());
  Settle(rig, ecr);
  EXPECT_EQ(1, CountCalls(rig, "IODirect 1 0;*2;#a;*3;+1;"));
  EXPECT_NE(std::string::npos, Journal(rig, 1).find("PROGRAM HEADER LINE 6 THANK YOU"));

  // With no transfer pending a fourth question is not answered: the register gives up its upload and
  // says so in the command's completion.
  ASSERT_EQ(0, SendAndAwait(rig.Control(), ecr, "0;*2;+4;*T;*3;"));
  EXPECT_NE(0, ecr.Events().IoDirectResult());
  EXPECT_EQ(4, CountCalls(rig, "event DataEvent 1 B85"));
  EXPECT_NE(std::string::npos, Journal(rig, 1).find("UPLOAD B85 INTERRUPTED"));
}

TEST(BindingWithEmulator, DepartmentUploadTakesTwoLinesThenTheEndMarkWhileItsCommandRuns) {
  testsupport::TempFolder base;
  CControlRig rig(base.Path());
  CEcrContext& ecr = rig.Ecr(2);
  ecr.Events().Arm(DataQuestion::kDepartments, {"5:SWEETS::1000:50:250:2:::::::", "6:BOOKS::0:0::1:::::::"});
  ASSERT_EQ(0, SendAndAwait(rig.Control(), ecr, "0;*2;+4;*F;*3;"));
  EXPECT_EQ(0, ecr.Events().IoDirectResult());
  EXPECT_FALSE(ecr.Events().Armed(DataQuestion::kDepartments));
  EXPECT_EQ(3, CountCalls(rig, "event DataEvent 2 B80"));
  EXPECT_EQ(3, ecr.Events().QuestionsAsked());
  EXPECT_NE(std::string::npos, Journal(rig, 2).find("UPLOAD B80 LINES 2 REJECTED 0"));

  // Disarmed, the queue answers nothing more: the register breaks its upload off and refuses it.
  ASSERT_EQ(0, SendAndAwait(rig.Control(), ecr, "0;*2;+4;*F;*3;"));
  EXPECT_NE(0, ecr.Events().IoDirectResult());
  EXPECT_EQ(4, CountCalls(rig, "event DataEvent 2 B80"));
  EXPECT_EQ(0, CountCalls(rig, "IODirect 2 0;*3;+1;")) << "the window thread sends nothing of its own";

  // The uploaded HALO now limits sales in department 5.
  ASSERT_EQ(0, SendAndAwait(rig.Control(), ecr, "0;*3;+1;"));
  ASSERT_EQ(0, WriteAndAwait(rig.Control(), ecr, "<OPEN_TICKET><INVOICE>0</INVOICE></OPEN_TICKET>"));
  EXPECT_NE(0, WriteAndAwait(rig.Control(), ecr,
                             "<SELLITEM><PLUCODE></PLUCODE><PRICE>10,01</PRICE><DEPARTMENT>5</DEPARTMENT>"
                             "<DESCRIPTION></DESCRIPTION><QUANTITY></QUANTITY></SELLITEM>"));
}

TEST(BindingWithEmulator, LastTotalReachesThePriceAndTheStatusFile) {
  testsupport::TempFolder base;
  CControlRig rig(base.Path());
  CEcrContext& ecr = rig.Ecr(2);
  ASSERT_EQ(0, SendAndAwait(rig.Control(), ecr, "0;+1;"));
  for (const char* element : {"<OPEN_TICKET><INVOICE>0</INVOICE></OPEN_TICKET>",
                              "<SELLITEM><PLUCODE></PLUCODE><PRICE>6,25</PRICE><DEPARTMENT>1</DEPARTMENT>"
                              "<DESCRIPTION>X</DESCRIPTION><QUANTITY></QUANTITY></SELLITEM>",
                              "<CLOSE_TICKET><AMOUNT></AMOUNT><PAYMENTDESCRIPTION></PAYMENTDESCRIPTION>"
                              "<PAYMENTTYPE>1</PAYMENTTYPE></CLOSE_TICKET>"})
    ASSERT_EQ(0, WriteAndAwait(rig.Control(), ecr, element));
  ecr.Events().ExpectLastPrice();
  rig.Control().IODirect(2, "%S%", 0);
  ASSERT_TRUE(WaitFor(ecr, [&] { return ecr.Events().LastPriceReady(); }));
  EXPECT_EQ("6,25", ecr.Events().LastPrice());
  EXPECT_EQ("D01 625:1\n", testsupport::ReadFile(base / "Tickets/2/ticketstatus.out"));
}

TEST(BindingWithEmulator, TroubleDuringAHeaderTransferSendsTheAlertCommandAndTellsTheSheet) {
  testsupport::TempFolder base;
  CControlRig rig(base.Path());
  rig.OpenSheet();
  CEcrContext& ecr = rig.Ecr(1);
  ecr.Events().Arm(DataQuestion::kHeader, {});
  rig.Emulator().SetGenericError(1, true);
  ASSERT_TRUE(WaitFor(ecr, [&] { return ecr.Events().Status().m_GenericError == 1; }));
  rig.Emulator().SetGenericError(1, false);
  ASSERT_TRUE(WaitFor(ecr, [&] { return ecr.Events().Status().m_GenericError == 0; }));
  Settle(rig, ecr);
  // Each status announced with the error during the transfer brings one alert.
  const int alerts = CountCalls(rig, "IODirect 1 0;*4;*3;+1;");
  EXPECT_GE(alerts, 1);
  EXPECT_EQ(std::vector<std::string>(static_cast<std::size_t>(alerts), "ECR status alert"), rig.SheetStatusLines());
  // Without a pending transfer the same trouble posts nothing.
  ecr.Events().Disarm(DataQuestion::kHeader);
  rig.Emulator().SetPaperOut(1, true);
  ASSERT_TRUE(WaitFor(ecr, [&] { return ecr.Events().Status().m_PaperOut == 1; }));
  Settle(rig, ecr);
  EXPECT_EQ(alerts, CountCalls(rig, "IODirect 1 0;*4;*3;+1;"));
}

TEST(BindingWithEmulator, SavedReportIsAnnouncedToTheContextAndTheOpenSheet) {
  testsupport::TempFolder base;
  CControlRig rig(base.Path());
  rig.OpenSheet();
  CEcrContext& ecr = rig.Ecr(3);
  std::string text = "<REPORT><PRINT>0</PRINT></REPORT>";
  ASSERT_EQ(0, rig.Control().Request(3, 51, text));
  ASSERT_TRUE(WaitFor(ecr, [&] { return ecr.Events().ReportReady(); }));
  const std::string path = ecr.Events().ReportPath();
  EXPECT_TRUE(testsupport::FileExists(path));
  rig.RunOnWindowThread([] {});
  EXPECT_EQ(std::vector<std::string>{"report of ECR 3 saved in " + path}, rig.SheetStatusLines());
}

TEST(WaitIODirect, ReturnsTheCallsStatusOnceTheCommandCompletes) {
  testsupport::TempFolder base;
  CControlRig rig(base.Path());
  EXPECT_EQ(0, WaitIODirect(rig.Control(), 3, "*LI", 0, rig.Ecr(3)));
  EXPECT_EQ(1, rig.Ecr(3).Events().IoDirectDone());
  // An unknown command is refused by the call: there is no completion to wait for.
  EXPECT_EQ(203, WaitIODirect(rig.Control(), 3, "*NOPE", 0, rig.Ecr(3)));
  // A command the register's state refuses completes with the register's code, which is the answer.
  EXPECT_EQ(emulator::kResultCommandRefused, WaitIODirect(rig.Control(), 3, "*S01Q3B$FRUIT$QK", 0, rig.Ecr(3)));
}

TEST(WaitIODirect, GivesThreeAfterItsTimeLimit) {
  testsupport::TempFolder base;
  CControlRig rig(base.Path());
  testsupport::LogCapture log;
  CEcrContext& ecr = rig.Ecr(4);
  ecr.SetLimits({std::chrono::milliseconds(200), ecr.Limits().m_Completion, ecr.Limits().m_Utility});
  rig.Emulator().SetNoAnswer(4, true);
  EXPECT_EQ(3, WaitIODirect(rig.Control(), 4, "*LI", 0, ecr));
  EXPECT_TRUE(log.Contains("[QOR_E_FAILURE] in CQorDriverDlg::WaitIODirect"));
}

TEST(WaitIODirect, EndsWithThreeWhenThePaperRunsOut) {
  testsupport::TempFolder base;
  CControlRig rig(base.Path());
  CEcrContext& ecr = rig.Ecr(2);
  ecr.SetLimits({std::chrono::minutes(10), ecr.Limits().m_Completion, ecr.Limits().m_Utility});
  // The error holds the printing table summary, so only paper out can end the wait in time.
  rig.Emulator().SetGenericError(2, true);
  ASSERT_TRUE(WaitFor(ecr, [&] { return ecr.Events().Status().m_GenericError == 1; }));
  auto waiting = std::async(std::launch::async, [&] { return WaitIODirect(rig.Control(), 2, "0;*2;#S141;*3;", 0, ecr); });
  rig.Emulator().SetPaperOut(2, true);
  ASSERT_EQ(std::future_status::ready, waiting.wait_for(testing::kEventLimit));
  EXPECT_EQ(3, waiting.get());
}

}  // namespace
}  // namespace driver
