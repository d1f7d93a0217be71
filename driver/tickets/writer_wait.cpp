#include "driver/tickets/writer_wait.h"

#include <set>

namespace driver {

template <class Visit>
void CWriterWait::ForEachCandidate(const MayStart& mayStart, Visit visit) const {
  std::set<std::int32_t> blocked;
  for (const auto& [place, ticket] : m_Line) {
    if (blocked.count(ticket.m_EcrId)) continue;
    if (ticket.m_WaitsForRoom) blocked.insert(ticket.m_EcrId);
    if (mayStart(ticket.m_EcrId) && !visit(ticket)) return;
  }
}

bool CWriterWait::Add(const CTicketNames& names, std::int32_t ecrId, TimePoint now) {
  if (!m_Paths.insert(names.m_Real).second) return false;
  std::uint64_t place = m_NextPlace++;
  m_Line.emplace(place, CWaitingTicket{names, ecrId, now, now + kPoll, place});
  return true;
}

std::optional<CWaitingTicket> CWriterWait::TakeFirstDue(TimePoint now, const MayStart& mayStart) {
  std::optional<std::uint64_t> due;
  ForEachCandidate(mayStart, [&](const CWaitingTicket& ticket) {
    if (ticket.m_NextTry > now) return true;
    due = ticket.m_Place;
    return false;
  });
  if (!due) return std::nullopt;
  auto entry = m_Line.find(*due);
  CWaitingTicket ticket = std::move(entry->second);
  m_Line.erase(entry);
  m_Paths.erase(ticket.m_Names.m_Real);
  return ticket;
}

void CWriterWait::TryAgain(CWaitingTicket ticket, TimePoint now) {
  ticket.m_NextTry = now + kPoll;
  m_Paths.insert(ticket.m_Names.m_Real);
  m_Line.emplace(ticket.m_Place, std::move(ticket));
}

void CWriterWait::TryLater(CWaitingTicket ticket, TimePoint due) {
  ticket.m_NextTry = due;
  ticket.m_WaitsForRoom = true;
  m_Paths.insert(ticket.m_Names.m_Real);
  m_Line.emplace(ticket.m_Place, std::move(ticket));
}

std::optional<std::chrono::milliseconds> CWriterWait::DelayToNext(TimePoint now, const MayStart& mayStart) const {
  TimePoint next = TimePoint::max();
  ForEachCandidate(mayStart, [&](const CWaitingTicket& ticket) {
    if (ticket.m_NextTry < next) next = ticket.m_NextTry;
    // One due now settles it: the rest of a long line need not be looked at.
    return next > now;
  });
  if (next == TimePoint::max()) return std::nullopt;
  if (next <= now) return std::chrono::milliseconds(0);
  // Rounded up: a timer that fires early would only find the try not yet due.
  return std::chrono::ceil<std::chrono::milliseconds>(next - now);
}

void CWriterWait::Clear() {
  m_Line.clear();
  m_Paths.clear();
}

}  // namespace driver
