#include <gtest/gtest.h>

#include "driver/status/summary_line.h"
#include "driver/status/tests/status_sample.h"

namespace {

using driver::CDriverStatus;
using driver::RegisterState;

CDriverStatus Registers(std::vector<RegisterState> states, std::vector<int> ticketsToday) {
  CDriverStatus status;
  for (size_t index = 0; index < states.size(); ++index) {
    driver::CRegisterStatus& ecr = status.m_Registers.emplace_back();
    ecr.m_State = states[index];
    ecr.m_RepliesToday = {{0, ticketsToday[index]}, {22, 0}};
  }
  return status;
}

TEST(SummaryLine, CountsRegistersByStateAndTodaysTickets) {
  using enum RegisterState;
  struct Row {
    CDriverStatus m_Status;
    const char* m_Line;
  };
  const Row rows[] = {
      {Registers({kReady}, {0}), "1 register: 1 ready; 0 tickets today"},
      {Registers({kReady, kPaperOut, kReady, kReady}, {1000, 200, 4, 0}),
       "4 registers: 3 ready, 1 paper out; 1,204 tickets today"},
      {Registers({kNoAnswer, kRunning, kRunning}, {1, 0, 0}), "3 registers: 2 running, 1 no answer; 1 ticket today"},
      {Registers({kStopping, kHeldBySheet}, {999999, 1234001}),
       "2 registers: 1 held by the sheet, 1 stopping; 2,234,000 tickets today"},
      {Registers({}, {}), "0 registers; 0 tickets today"},
  };
  for (const Row& row : rows) EXPECT_EQ(driver::SummaryLine(row.m_Status), row.m_Line);
}

}  // namespace
