#pragma once
// The tickets waiting for their writer to let go, in the order they were found. A ticket is tried
// first 20 ms after it was found, then every 20 ms, until nobody else has it open or the writer wait
// limit has passed since it was found. Nothing here sleeps: the intake's host runs a timer to the next
// try, so a ticket held open by its writer delays nothing but itself. A ticket that could not be
// written beside (a full disk) is tried again later, and its register's later tickets wait behind it,
// so that they still run in their order.

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <unordered_set>

#include "driver/tickets/ticket_files.h"

namespace driver {

struct CWaitingTicket {
  using TimePoint = std::chrono::steady_clock::time_point;
  CTicketNames m_Names;
  std::int32_t m_EcrId = 0;
  TimePoint m_Found;
  TimePoint m_NextTry;
  std::uint64_t m_Place = 0;  // its place in the line
  bool m_WaitsForRoom = false;
};

class CWriterWait {
 public:
  using TimePoint = CWaitingTicket::TimePoint;
  static constexpr std::chrono::milliseconds kPoll{20};

  // Puts a ticket in line, first tried kPoll from now; false when it is already waiting.
  bool Add(const CTicketNames& names, std::int32_t ecrId, TimePoint now);
  // Tickets of a register that may not start another job now are passed over.
  using MayStart = std::function<bool(std::int32_t ecrId)>;

  // Takes the first ticket in line whose try is due out of the line.
  std::optional<CWaitingTicket> TakeFirstDue(TimePoint now, const MayStart& mayStart);
  // Puts a ticket still held by its writer back in its place, due kPoll from now.
  void TryAgain(CWaitingTicket ticket, TimePoint now);
  // Puts a ticket that waits for room back in its place, due at the time given; until then the later
  // tickets of its register are not taken.
  void TryLater(CWaitingTicket ticket, TimePoint due);
  // True once the limit has passed since the ticket was found.
  bool LimitPassed(const CWaitingTicket& ticket, TimePoint now) const { return now - ticket.m_Found >= m_Limit; }
  // Time to the next due try; nothing while no ticket waits.
  std::optional<std::chrono::milliseconds> DelayToNext(TimePoint now, const MayStart& mayStart) const;
  void Clear();
  std::size_t Size() const { return m_Line.size(); }

  void SetLimit(std::chrono::milliseconds limit) { m_Limit = limit; }

 private:
  // The tickets that may be taken now, in the order of the line: due, of a register that may start a
  // job, and behind no ticket of their register that waits for room.
  template <class Visit>
  void ForEachCandidate(const MayStart& mayStart, Visit visit) const;

  std::map<std::uint64_t, CWaitingTicket> m_Line;
  std::unordered_set<std::string> m_Paths;  // of the tickets in line, as found
  std::uint64_t m_NextPlace = 0;
  std::chrono::milliseconds m_Limit{10000};
};

}  // namespace driver
