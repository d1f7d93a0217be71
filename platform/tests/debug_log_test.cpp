#include "platform/debug_log.h"

#include <gtest/gtest.h>

#include <string>

#include "testsupport/log_capture.h"

namespace {

TEST(DebugLog, FormatsOneLineAndCutsAt511Bytes) {
  testsupport::LogCapture log;
  platform::DebugLog("ProcessTicketFile for id %d", 3);
  std::string longText(600, 'x');
  platform::DebugLog("%s", longText.c_str());
  auto lines = log.Lines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "ProcessTicketFile for id 3");
  EXPECT_EQ(lines[1], std::string(511, 'x'));
}

}  // namespace
