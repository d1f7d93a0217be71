#include "driver/message_box.h"

#include <gtest/gtest.h>

#include "testsupport/log_capture.h"

namespace {

using driver::MessageAnswer;
using driver::MessageButtons;

// Nobody can answer without a display: the text is logged and the first button is the answer.
TEST(HeadlessMessageBox, LogsTheTextAndAnswersWithTheDefaultButton) {
  struct Case {
    MessageButtons buttons;
    MessageAnswer answer;
    const char* line;
  };
  const Case cases[] = {
      {MessageButtons::Ok, MessageAnswer::Ok, "[ZEDO] MessageBox: [Control failed] answered [OK]"},
      {MessageButtons::YesNo, MessageAnswer::Yes, "[ZEDO] MessageBox: [Control failed] answered [Yes]"},
  };
  for (const Case& c : cases) {
    testsupport::LogCapture log;
    driver::CHeadlessMessageBox box;
    EXPECT_EQ(box.Show("Control failed", c.buttons), c.answer);
    EXPECT_EQ(log.Lines(), std::vector<std::string>{c.line});
  }
}

}  // namespace
