#pragma once
// A driver of two registers as the tests meet it: register 1 ready with today's replies, register 2
// running a ticket with tickets waiting and a trouble it reported; 1,204 tickets today in all.

#include <chrono>

#include "driver/status/status_snapshot.h"
#include "driver/status/status_time.h"

namespace testsupport {

inline driver::CDriverStatus SampleStatus(std::chrono::system_clock::time_point now) {
  using namespace std::chrono_literals;
  using driver::StatusTime;
  driver::CRegisterStatus one;
  one.m_Number = 1;
  one.m_Type = 1;
  one.m_RepliesToday = {{0, 1200}, {22, 3}};
  one.m_LastReply = driver::CLastReply{"sale-13035-0.txt", 0, StatusTime(now - 10s)};
  driver::CRegisterStatus two;
  two.m_Number = 2;
  two.m_Type = 2;
  two.m_State = driver::RegisterState::kRunning;
  two.m_Ticket = "table-7.txt";
  two.m_TicketSince = StatusTime(now - 5s);
  two.m_TicketsWaiting = 2;
  two.m_RepliesToday = {{16, 1}};
  two.m_Trouble = driver::CTrouble{StatusTime(now - 20s), "paper out, change the roll"};
  return {"1.0.1", 4242, StatusTime(now - 1h), "/srv/qor/Tickets", true, {one, two}};
}

}  // namespace testsupport
