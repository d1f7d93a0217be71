// The calls and events of one four-element receipt on a type-2 register, as the executor makes them.

#include <gtest/gtest.h>

#include <algorithm>

#include "driver/control/testing/control_rig.h"
#include "driver/control/tests/rig_wait.h"
#include "testsupport/temp_folder.h"

namespace driver {
namespace {

using testing::SendAndAwait;
using testing::WaitFor;
using testing::WriteAndAwait;

const char* const kReceipt[] = {
    "<OPEN_TICKET><INVOICE>0</INVOICE></OPEN_TICKET>",
    "<SELLITEM><PLUCODE></PLUCODE><PRICE>1,50</PRICE><DEPARTMENT>1</DEPARTMENT><DESCRIPTION>BREAD</DESCRIPTION>"
    "<QUANTITY>2</QUANTITY></SELLITEM>",
    "<SELLITEM><PLUCODE></PLUCODE><PRICE>3.25</PRICE><DEPARTMENT>2</DEPARTMENT><DESCRIPTION>MILK</DESCRIPTION>"
    "<QUANTITY></QUANTITY></SELLITEM>",
    "<CLOSE_TICKET><AMOUNT>10,00</AMOUNT><PAYMENTDESCRIPTION>CASH</PAYMENTDESCRIPTION>"
    "<PAYMENTTYPE>1</PAYMENTTYPE></CLOSE_TICKET>",
};

std::vector<std::string> Matching(const std::vector<std::string>& log, bool events) {
  std::vector<std::string> kept;
  for (const std::string& entry : log)
    if ((entry.rfind("event ", 0) == 0) == events && entry.find("StatusUpdateEvent") == std::string::npos)
      kept.push_back(entry);
  return kept;
}

std::size_t IndexOf(const std::vector<std::string>& log, const std::string& entry) {
  return static_cast<std::size_t>(std::find(log.begin(), log.end(), entry) - log.begin());
}

TEST(ReceiptCallOrder, FourElementReceiptOnTypeTwoGivesTheExecutorsCallsAndEventsInOrder) {
  testsupport::TempFolder base;
  CControlRig rig(base.Path());
  IFiscalControl& control = rig.Control();
  CEcrContext& ecr = rig.Ecr(2);
  rig.Emulator().ClearCallLog();

  bool completed = false;
  EXPECT_EQ(0, SendAndAwait(control, ecr, "0;", &completed));
  ASSERT_TRUE(completed);
  EXPECT_EQ(0, SendAndAwait(control, ecr, "0;*2;", &completed));
  ASSERT_TRUE(completed);
  control.IODirect(2, "0;", 0);
  ASSERT_TRUE(WaitFor(ecr, [&] { return ecr.Events().Status().m_KeyLocked == 1; }));
  control.IODirect(2, "0;#S3:3;", 0);
  std::string status;
  ASSERT_EQ(0, control.Request(2, kRequestStatus, status));
  EXPECT_NE(std::string::npos, status.find("<OPERATING>1</OPERATING>"));
  EXPECT_EQ(0, SendAndAwait(control, ecr, "0;+1;", &completed));
  ASSERT_TRUE(completed);
  for (const char* element : kReceipt) EXPECT_EQ(0, WriteAndAwait(control, ecr, element)) << element;
  EXPECT_EQ(0, SendAndAwait(control, ecr, "0;*3;", &completed));
  ASSERT_TRUE(WaitFor(ecr, [&] { return ecr.Events().Status().m_KeyLocked == 0; }));
  testing::Settle(rig, ecr);

  const std::vector<std::string> log = rig.Emulator().CallLog();
  std::vector<std::string> expectedCalls = {
      "IODirect 2 0;",       "IODirect 2 0;*2;",  "IODirect 2 0;", "IODirect 2 0;#S3:3;",
      "Request 2 5",         "IODirect 2 0;+1;",  std::string("Write 2 ") + kReceipt[0],
      std::string("Write 2 ") + kReceipt[1], std::string("Write 2 ") + kReceipt[2],
      std::string("Write 2 ") + kReceipt[3], "IODirect 2 0;*3;",
  };
  // Settle may have sent a few "0;" of its own to make sure every completion is in.
  const std::vector<std::string> calls = Matching(log, false);
  ASSERT_GE(calls.size(), expectedCalls.size());
  EXPECT_EQ(expectedCalls, std::vector<std::string>(calls.begin(), calls.begin() + static_cast<long>(expectedCalls.size())));
  for (std::size_t extra = expectedCalls.size(); extra < calls.size(); ++extra) EXPECT_EQ("IODirect 2 0;", calls[extra]);
  // Every IODirect ends with one DirectIOEvent; the unawaited ones may come after later calls.
  const std::vector<std::string> events = Matching(log, true);
  EXPECT_EQ(static_cast<long>(calls.size()) - 5, std::count(events.begin(), events.end(), "event DirectIOEvent 2 0"));
  // Each Write completes, job numbers rising, before the next Write is made.
  for (int job = 1; job <= 4; ++job) {
    const std::size_t write = IndexOf(log, std::string("Write 2 ") + kReceipt[job - 1]);
    const std::size_t done = IndexOf(log, "event OutputCompleteEvent 2 " + std::to_string(job) + " 0");
    ASSERT_LT(done, log.size()) << "job " << job;
    EXPECT_LT(write, done);
    if (job < 4) {
      EXPECT_LT(done, IndexOf(log, std::string("Write 2 ") + kReceipt[job]));
    }
  }
  EXPECT_EQ(0, ecr.Events().Status().m_TicketOpen);
}

}  // namespace
}  // namespace driver
